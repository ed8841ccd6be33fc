#!/usr/bin/env bash
# The wizard's native windows on a display of their own (Xvfb): the scripted-answer tests,
# a smoke run driven by real key presses (xdotool) from Welcome to Completion, and pictures of
# every page at 100 % and 200 % (LogPixels 96 and 192), kept as PNG files in OUT.
#   wizard.sh BIN_DIR OUT
# Needs wine, Xvfb and xdotool (the prefix is its own, in OUT); ImageMagick for the PNGs.
set -uo pipefail
bin="$1" out="$2"
for tool in Xvfb xdotool wine; do
  command -v "$tool" >/dev/null || { echo "wizard.sh: $tool is missing; skipped" >&2; exit 77; }
done
rm -rf "$out" && mkdir -p "$out"

# A display number no other X server holds (parallel runs each take their own).
display=""
for n in $(seq 71 130); do
  [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || { display=$n; break; }
done
[ -n "$display" ] || { echo "wizard.sh: no free X display" >&2; exit 1; }
Xvfb ":$display" -screen 0 1600x1200x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'wineserver -k >/dev/null 2>&1; kill $xvfb 2>/dev/null; wait $xvfb 2>/dev/null' EXIT
export DISPLAY=":$display"
for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
. "$(dirname "$0")/../own-prefix.sh"
own_wine_prefix "$out" || exit 1

set_dpi() {  # LogPixels for the programs started from now on
  local hex
  hex=$(printf '0x%x' "$1")
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$hex" /f >/dev/null 2>&1
  wine reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' \
    /v LogPixels /t REG_DWORD /d "$hex" /f >/dev/null 2>&1
}
fail=0
set_dpi 96

echo "== The scripted answers, against the headless walk"
wine "$bin/test_win32wizard.exe" || fail=1

echo "== Smoke run: key presses from Welcome to Completion"
wine "$bin/wizard_demo.exe" - >"$out/smoke.txt" 2>"$out/smoke-dialogs.txt" &
demo=$!
# Waits for the page with this title, gives it the keyboard and presses the keys.
page() {
  local title="$1" window
  shift
  window=$(timeout 30 xdotool search --sync --onlyvisible --name "^$title\$" | head -1)
  [ -n "$window" ] || { echo "wizard.sh: the page \"$title\" did not show" >&2; return 1; }
  xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
  sleep 0.3
  xdotool key --delay 150 "$@"
}
{
  page Welcome alt+n &&
    page "License Agreement" alt+y &&
    page Information Home shift+End K i m Tab Home shift+End K i m space C o alt+n &&
    page Type Down alt+n &&
    page Components End space alt+n &&
    page Destination alt+n &&
    page Summary alt+s &&
    page Completion alt+f
} || fail=1
timeout 30 tail --pid=$demo -f /dev/null
wait $demo || fail=1
# A Windows console program ends its lines with CR LF.
sed -i 's/\r$//' "$out/smoke.txt"
cat "$out/smoke.txt"
for want in "wizard: start" "completion: finished" "type: Custom" "owner: Kim" \
            "custom: Base | 0 | 1 | Docs | 1 | 0 | Tools | 1 | 0"; do
  grep -qxF "$want" "$out/smoke.txt" || { echo "wizard.sh: the smoke run did not leave \"$want\"" >&2; fail=1; }
done

echo "== Pictures of every page at 100 % and 200 %"
answers=(ok yes text:Ann text:Acme 1 text:1 'text:C:\Apps\Demo' ok ok)
for dpi in 96 192; do
  dir="$out/pictures-$((dpi * 100 / 96))"
  mkdir -p "$dir"
  set_dpi "$dpi"
  wine "$bin/wizard_demo.exe" "$(winepath -w "$dir")" "${answers[@]}" >/dev/null 2>&1 || fail=1
  count=$(ls "$dir"/*.bmp 2>/dev/null | wc -l)
  [ "$count" -eq 8 ] || { echo "wizard.sh: $count pictures at $dpi dpi, not 8" >&2; fail=1; }
  if command -v convert >/dev/null; then
    for f in "$dir"/*.bmp; do convert "$f" "${f%.bmp}.png" && rm -f "$f"; done
  fi
done
set_dpi 96
echo "pictures in $out"
exit $fail
