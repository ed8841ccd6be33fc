#!/usr/bin/env bash
# End to end under wine, headless: packs the example with the Windows vxpack.exe, installs it
# from its self-extractor with the response file, checks the files, the registration and the
# shortcuts, then removes it. Arguments: the x64 bin folder, the source folder, a work folder.
set -euo pipefail
bin="$1" src="$2" work="$3"
export WINEDEBUG=-all VX_UI=headless VX_WAIT=1 VX_PACE=0 VX_NO_RESTART=1
win() { echo "Z:${1//\//\\}"; }
fail() { echo "e2e: $*" >&2; exit 1; }
drive_c="$WINEPREFIX/drive_c"
rm -rf "$work" && mkdir -p "$work"

wine "$bin/vxpack.exe" --out "$(win "$work/dist")" --splash "$(win "$src/examples/sample/splash/Splash.bmp")" \
     "$(win "$src/examples/sample/Sample.inf")" >"$work/pack.log" || fail "vxpack failed: $(tail -2 "$work/pack.log")"
[ -f "$work/dist/Sample.exe" ] || fail "no self-extractor"
wine "$work/dist/Sample.exe" "-s$(win "$src/examples/sample/Sample.response.ini")" >/dev/null ||
  fail "installation failed ($?)"

app="$drive_c/Program Files/Vx Sample"
for f in Docs/Manual.txt Docs/Notes.txt Sample.cfg Sample.exe Sample.inf Install.exe Karvo.dll; do
  [ -f "$app/$f" ] || fail "missing $f"
done
[ -f "$drive_c/Program Files/Vx Sample Data/More/rivers.csv" ] || fail "missing data file"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vx Sample'
wine reg query "$key" /v UninstallString |
  grep -qF 'Vx Sample\Install.exe" -u "C:\Program Files\Vx Sample\Sample.inf"' ||
  fail "no uninstall entry"
wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\SharedDLLs' | grep -qi 'VxShared.dll' ||
  fail "no shared count"
links=$(find "$drive_c/users" -path '*Programs/Vx Sample/*.lnk' | wc -l)
[ "$links" -eq 2 ] || fail "expected 2 shortcuts, found $links"

# Modify: the same answers without the documentation.
sed 's/^Component2=1/Component2=0/' "$src/examples/sample/Sample.response.ini" >"$work/modify.ini"
wine "C:\\Program Files\\Vx Sample\\Install.exe" -m "C:\\Program Files\\Vx Sample\\Sample.inf" "|" \
     "-s$(win "$work/modify.ini")" >/dev/null || fail "modify failed ($?)"
[ ! -e "$app/Docs/Manual.txt" ] && [ -f "$app/Sample.exe" ] || fail "modify did not remove the documentation"

wine "C:\\Program Files\\Vx Sample\\Install.exe" -f "C:\\Program Files\\Vx Sample\\Sample.inf" >/dev/null ||
  fail "uninstall failed ($?)"
# The engine that started the uninstall copy held its Install.exe and Karvo.dll: they are
# queued for the next start, which wineboot -r stands in for.
if [ -e "$app" ]; then
  wine reg query 'HKLM\System\CurrentControlSet\Control\Session Manager' /v PendingFileRenameOperations |
    grep -qi 'Vx Sample' || fail "engine files left and not queued: $(ls "$app")"
  wineboot -r >/dev/null 2>&1
  [ ! -e "$app" ] || fail "the restart left $(ls -A "$app")"
  echo "e2e: the engine's own files went at the restart"
fi
[ ! -e "$app/Sample.exe" ] && [ ! -e "$app/Docs" ] || fail "product files left behind"
[ ! -e "$drive_c/Program Files/Vx Sample Data" ] || fail "data folder left behind"
! wine reg query "$key" >/dev/null 2>&1 || fail "uninstall entry left behind"
[ -z "$(find "$drive_c/users" -path '*Programs/Vx Sample/*.lnk')" ] || fail "shortcuts left behind"
echo "e2e: installed, registered and removed"
