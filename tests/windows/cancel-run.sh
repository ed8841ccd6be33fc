#!/usr/bin/env bash
# Starts the self-extractor DIST/Sample.exe under wine (further arguments passed on), presses
# Escape on its dialog once it shows (Cancel, as a person would) and ends with the extractor's
# status. Run it on a display (xdotool finds the dialog there).
#   cancel-run.sh DIST [ARGUMENTS...]
set -uo pipefail
wine "$1/Sample.exe" "${@:2}" &
pid=$! id=""
for _ in $(seq 1 300); do
  id=$(xdotool search --onlyvisible --class sample.exe 2>/dev/null | head -1 || true)
  [ -n "$id" ] && break
  sleep 0.1
done
[ -n "$id" ] && xdotool windowfocus --sync "$id" key Escape
wait "$pid"
