#!/usr/bin/env bash
# The example installed through the Win32 windows under wine, on a display of its own (run it
# under xvfb-run): with the same scripted answers it must leave what the headless run leaves,
# and every window it showed is pictured. Runs in a wine prefix of its own (a virtual desktop,
# so that wine draws the window frames; VX_TEST_DPI sets the scale, 96 by default), so that it
# shares no wine server with the tests that run without a display.
# Arguments: the x64 bin folder, the source folder, a work folder.
set -euo pipefail
bin="$1" src="$2" work="$3"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" VX_WAIT=1 VX_PACE=0 VX_NO_RESTART=1
export VX_CHECK_UI_THREAD=1
win() { echo "Z:${1//\//\\}"; }
fail() { echo "win32-e2e: $*" >&2; exit 1; }
[ -n "${DISPLAY:-}" ] || fail "no display: run me under xvfb-run"
rm -rf "$work" && mkdir -p "$work"
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
dpi="${VX_TEST_DPI:-96}"
# A virtual desktop, so that wine draws the window frames, and the scale: read when wine starts.
desktop() {
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null
  wine reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' /v LogPixels \
       /t REG_DWORD /d "$dpi" /f >/dev/null
}
. "$(dirname "$0")/own-prefix.sh"
own_wine_prefix "$work" desktop
drive_c="$WINEPREFIX/drive_c"

# The windows one by one, answered through their controls.
VX_TEST_PICTURES="$(win "$work/dialogs")" wine "$bin/test_win32ui.exe" >"$work/win32ui.log" 2>&1 || { tail -40 "$work/win32ui.log"; fail "test_win32ui failed"; }
# Real key presses on the display answer a question ("o": No to all).
VX_TEST_KEYS=1 wine "$bin/test_win32ui.exe" --gtest_filter='*KeyPressOnTheDisplay*' >"$work/keys.log" 2>&1 &
tester=$!
xdotool mousemove 512 384 >/dev/null 2>&1 || true
for _ in $(seq 120); do
  kill -0 "$tester" 2>/dev/null || break
  xdotool key o >/dev/null 2>&1 || true
  sleep 0.5
done
wait "$tester" || { tail -20 "$work/keys.log"; fail "a key press did not answer the question"; }
grep -qF '[  PASSED  ] 1 test.' "$work/keys.log" && ! grep -q SKIPPED "$work/keys.log" || fail "the key test did not run"
wine "$bin/vxpack.exe" --out "$(win "$work/dist")" --splash "$(win "$src/examples/sample/splash/Splash.bmp")" \
     "$(win "$src/examples/sample/Sample.inf")" >"$work/pack.log" || fail "vxpack failed: $(tail -2 "$work/pack.log")"
printf '%s\n' ok yes 'text:Ann Example' 'text:Example Corp' 'text:0,2' 'text:C:\Apps\Sample' \
       'text:C:\Apps\Sample Data' ok ok >"$work/answers.txt"
printf '%s\n' ok yes >"$work/remove.txt"
export VX_ANSWERS="$(win "$work/answers.txt")"

user='HKCU\Software\Example Vendor\Vx Sample\UserInfo'
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vx Sample'
# What an installation left: every file with its bytes (the installation record names what
# each run found before it, which differs), the user's values, the registration, the links.
state() {
  cp "$drive_c/Apps/Sample/Sample.inf" "$work/$1.inf" 2>/dev/null || true
  (cd "$drive_c/Apps" 2>/dev/null && find . -type f ! -name '*.record' -exec md5sum {} + | sort)
  wine reg query "$user" 2>/dev/null | tr -d '\r' | grep -E 'Registered(Owner|Organization)' || true
  wine reg query "$key" /v UninstallString 2>/dev/null | tr -d '\r' | grep UninstallString || true
  (cd "$drive_c/users" && find . -path '*Vx Sample*' -name '*.lnk' | sort)
}
remove() {  # UI [SNAPSHOTS]
  VX_UI="$1" VX_ANSWERS="$(win "$work/remove.txt")" VX_SNAPSHOTS="${2:-}" \
    wine "C:\\Apps\\Sample\\Install.exe" -u "C:\\Apps\\Sample\\Sample.inf" >/dev/null 2>"$work/remove-$1.err" ||
    fail "uninstall through $1 failed: $(tail -3 "$work/remove-$1.err")"
  [ ! -e "$drive_c/Apps/Sample/Sample.exe" ] || fail "uninstall through $1 left the product"
  wine reg delete "$user" /f >/dev/null 2>&1 || true
  # Each installation starts from the same machine: what the removal keeps (a folder that
  # held more than the product) goes too.
  find "$drive_c/Apps" >"$work/left-$1.txt" 2>/dev/null || true
  rm -rf "$drive_c/Apps"
}

VX_UI=headless wine "$work/dist/Sample.exe" >/dev/null 2>"$work/headless.err" ||
  fail "headless installation failed: $(tail -3 "$work/headless.err")"
state headless >"$work/headless.state"
grep -q 'Sample.exe' "$work/headless.state" && grep -q 'Ann Example' "$work/headless.state" ||
  fail "the headless run installed nothing to compare with"
remove headless

VX_UI=win32 VX_SNAPSHOTS="$(win "$work/snapshots")" wine "$work/dist/Sample.exe" >/dev/null \
  2>"$work/win32.err" || fail "installation through the windows failed: $(tail -3 "$work/win32.err")"
state win32 >"$work/win32.state"
diff -u "$work/headless.state" "$work/win32.state" || fail "the windows left another machine"
remove win32 "$(win "$work/snapshots")"
# The removal's questions (its engine prints to this terminal) answered alike.
grep -F ' | ' "$work/remove-headless.err" >"$work/headless.lines" || true
grep -F ' | ' "$work/remove-win32.err" >"$work/win32.lines" || true
[ -s "$work/win32.lines" ] || fail "the removal through the windows printed no dialog line"
diff -u "$work/headless.lines" "$work/win32.lines" || fail "the dialogs were answered differently"
for kind in splash backdrop preparation progress confirm uninstall; do
  ls "$work/snapshots"/*-"$kind"*.png >/dev/null 2>&1 || fail "no picture of the $kind window"
done
echo "win32-e2e: $(wc -l <"$work/win32.state") items alike, $(ls "$work/snapshots" | wc -l) pictures"
