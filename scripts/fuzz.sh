#!/usr/bin/env bash
# Runs every libFuzzer target of a build folder for SECONDS on a copy of its seed corpus
# (tests/fuzz/corpus/<target>/), two at a time. Usage: fuzz.sh BUILD_DIR [SECONDS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$1
seconds=${2:-20}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
run_one() {
  local exe=$1 name
  name=$(basename "$exe")
  mkdir -p "$work/$name"
  [ -d "$root/tests/fuzz/corpus/$name" ] && cp -r "$root/tests/fuzz/corpus/$name/." "$work/$name/"
  # Findings land in the work folder; the log tells what broke.
  if "$exe" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
       -artifact_prefix="$work/$name-" "$work/$name" >"$work/$name.log" 2>&1; then
    # libFuzzer's own closing line says how many inputs ran.
    echo "fuzz $name: $(sed -n 's/^Done \([0-9]*\) runs.*/\1/p' "$work/$name.log" | tail -1) runs, clean"
  else
    echo "fuzz $name: FAILED"; tail -40 "$work/$name.log"
    return 1
  fi
}
export -f run_one
export root work seconds
targets=$(find "$build/bin" -maxdepth 1 -name '*_fuzz' -type f | sort)
[ -n "$targets" ] || { echo "no fuzz targets in $build/bin"; exit 1; }
printf '%s\n' $targets | xargs -P 2 -I{} bash -c 'run_one {}'
