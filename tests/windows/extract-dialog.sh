#!/usr/bin/env bash
# Extract.exe's Win32 dialog under wine on a virtual display of its own (xvfb-run -a) and a wine
# prefix of its own: Escape presses Cancel as a person would, and the scripted answer takes the
# real question. Answered No, the extraction goes on and hands over to the installer (the example
# installed from its response file); answered with a word that fits no button, the extraction is
# cancelled with the same refusal line as the terminal dialog. Arguments: the x64 bin folder, the
# source folder, a work folder. Needs xvfb-run and xdotool.
set -euo pipefail
bin="$1" src="$2" work="$3"
for tool in xvfb-run xdotool; do
  command -v "$tool" >/dev/null || { echo "extract-dialog: $tool is missing; skipped"; exit 77; }
done
fail() { echo "extract-dialog: $*" >&2; exit 1; }
# The whole test runs inside one virtual display, its number searched from a random start:
# parallel runs (other tests, other checkouts) that all start from the same number race for it.
if [ -z "${VX_EXTRACT_DIALOG_DISPLAY:-}" ]; then
  rm -rf "$work" && mkdir -p "$work"
  VX_EXTRACT_DIALOG_DISPLAY=1 exec xvfb-run -a -n "$((100 + RANDOM % 800))" bash "$0" "$@"
fi
export WINEDEBUG=-all VX_UI=win32 VX_WAIT=1 VX_NO_RESTART=1
# The pause before the installer starts leaves time for Escape to arrive.
export VX_PACE=2
win() { echo "Z:${1//\//\\}"; }
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
. "$(dirname "$0")/own-prefix.sh"
own_wine_prefix "$work"

cancel_run() { bash "$(dirname "$0")/cancel-run.sh" "$@"; }

wine "$bin/vxpack.exe" --out "$(win "$work/dist")" "$(win "$src/examples/sample/Sample.inf")" \
  >"$work/pack.log" 2>&1 || fail "vxpack failed: $(tail -2 "$work/pack.log")"
dist="$work/dist"
question="File extraction has not been completed  yet. Are you sure you want to cancel it now?"

# Refused: the run is cancelled (status 11) and nothing is installed.
echo maybe >"$work/refused.txt"
status=0
VX_ANSWERS="$(win "$work/refused.txt")" cancel_run "$dist" >"$work/refused.out" \
  2>"$work/refused.err" || status=$?
sed -i 's/\r$//' "$work/refused.err"  # Windows ends its lines with CR LF
[ "$status" -eq 11 ] || fail "a refused answer ended with status $status: $(cat "$work/refused.err")"
grep -qxF "VX_ANSWERS line 1: \"maybe\" does not fit the dialog \"File extraction has not been completed  yet. Are you sure...\", which accepts yes or no; the run is cancelled" \
  "$work/refused.err" || fail "no refusal line: $(cat "$work/refused.err")"
grep -qxF " | $question | yes" "$work/refused.err" || fail "the question did not cancel"

# Accepted: No lets the extraction finish; the installer runs the response file.
echo no >"$work/accepted.txt"
status=0
VX_ANSWERS="$(win "$work/accepted.txt")" cancel_run "$dist" \
  "-s$(win "$src/examples/sample/Sample.response.ini")" >"$work/accepted.out" \
  2>"$work/accepted.err" || status=$?
sed -i 's/\r$//' "$work/accepted.err"
[ "$status" -eq 0 ] || fail "the accepted run ended with status $status: $(tail -5 "$work/accepted.err")"
grep -qxF " | $question | no" "$work/accepted.err" || fail "the question was not answered No"
app="$WINEPREFIX/drive_c/Program Files/Vx Sample"
[ -f "$app/Sample.exe" ] && [ -f "$app/Install.exe" ] || fail "the installer did not install"
VX_UI=headless VX_PACE=0 wine "C:\\Program Files\\Vx Sample\\Install.exe" -f \
  "C:\\Program Files\\Vx Sample\\Sample.inf" >/dev/null 2>&1 || fail "uninstall failed"
echo "extract-dialog: refused answer cancelled, accepted extraction handed over"
