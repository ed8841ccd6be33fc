#!/usr/bin/env bash
# End to end under wine, headless: packs the example with the Windows vxpack.exe, installs it
# from its self-extractor with the response file, checks the files, the registration and the
# shortcuts, replaces a file in use at the next restart, modifies and removes it. Arguments: the
# x64 bin folder, the source folder, a work folder, the file holder (vxholdfile.exe).
set -euo pipefail
bin="$1" src="$2" work="$3" holder="$4"
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

# The same answers on the emulated machine of the Linux build (its bin folder: VX_LINUX_BIN,
# else build/bin of the source tree once built) leave the same files, values and shortcuts
# (by name; their targets are not read here). Left out of the files' contents: the engine's
# own programs (other builds), the installed script (Wine's profile writer drops its blank
# lines, and InstalledFrom names each run's own folder) and its record (keys that only a new
# emulated machine lacks are recorded as created there).
values() {  # KEY|NAME|TYPE|DATA lines, key and name in lower case (both are matched so)
  while IFS='|' read -r k n t d; do
    [ "$t" = REG_DWORD ] && d=$((d))
    echo "${k,,}|${n,,}|$t|$d"
  done | sort
}
product() {  # DRIVE_C PROGRAMS DESKTOP: files with their sums, then shortcuts, of the installed product
  (cd "$1/Program Files" && find "Vx Sample" "Vx Sample Data" -type f | sort | while read -r f; do
    case "$f" in
      */Install.exe | */Karvo.dll | */Sample.inf | */Sample.inf.record) echo "$f" ;;
      *) echo "$f $(md5sum <"$f" | cut -c1-32)" ;;
    esac
  done)
  find -L "$2" "$3" -maxdepth 2 -name '*.lnk' -path '*Vx Sample*' | sed "s|^$2|programs|;s|^$3|desktop|" | sort
}
keys=('HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vx Sample'
      'HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\SharedDLLs'
      'HKEY_CURRENT_USER\Software\Example Vendor')
lin="${VX_LINUX_BIN:-$src/build/bin}" machine="$work/machine"
if [ -x "$lin/vxpack" ] && [ -x "$lin/vxmachine" ]; then
  "$lin/vxpack" --engine "$lin" --out "$work/linux" --splash "$src/examples/sample/splash/Splash.bmp" \
    "$src/examples/sample/Sample.inf" >"$work/linux-pack.log" 2>&1 || fail "Linux vxpack failed"
  VX_MACHINE="$machine" "$work/linux/Sample.exe" "-s$src/examples/sample/Sample.response.ini" \
    >/dev/null 2>&1 || fail "installation on the emulated machine failed ($?)"
  for k in "${keys[@]}"; do VX_MACHINE="$machine" "$lin/vxmachine" reg export "$k"; done |
    grep -F '|' | values >"$work/linux.values"
  for k in "${keys[@]}"; do wine reg query "$k" /s; done | tr -d '\r' |
    awk '/^[^ ]/ { key = $0 } /^    / { sub(/^    /, ""); n = split($0, f, "    ");
           d = f[3]; for (i = 4; i <= n; i++) d = d "    " f[i]; print key "|" f[1] "|" f[2] "|" d }' |
    values >"$work/windows.values"
  diff -u "$work/linux.values" "$work/windows.values" >&2 || fail "the values differ from the emulation's"
  user=$(find "$machine/drive_c/Windows/Profiles" -mindepth 1 -maxdepth 1 | head -1)
  product "$machine/drive_c" "$user/Start Menu/Programs" "$user/Desktop" >"$work/linux.files"
  user=$(find "$drive_c/users" -mindepth 1 -maxdepth 1 -name "$(id -un)" | head -1)
  product "$drive_c" "$user/AppData/Roaming/Microsoft/Windows/Start Menu/Programs" "$user/Desktop" \
    >"$work/windows.files"
  diff -u "$work/linux.files" "$work/windows.files" >&2 || fail "the files differ from the emulation's"
  for sys in "$machine/drive_c/Windows/System32" "$drive_c/windows/system32"; do
    cmp -s "$sys/VxShared.dll" "$src/examples/sample/shared/VxShared.dll" || fail "no shared library in $sys"
  done
  echo "e2e: the same files, values and shortcuts as on the emulated machine"
else
  echo "e2e: no Linux build in $lin, so no comparison with the emulated machine"
fi

# A file in use: Sample.exe, an older copy held open by another program, while the same
# answers install the product again. The new copy waits for the restart (status 4 with
# VX_NO_RESTART), and wineboot -r, standing in for the restart, puts it in place.
exe="$app/Sample.exe" flag="$work/held"
printf 'older copy\n' >"$exe" && touch -d 2001-01-01 "$exe"
wine "$holder" 'C:\Program Files\Vx Sample\Sample.exe' "$(win "$flag")" &
holder_pid=$!
for _ in $(seq 300); do [ -e "$flag" ] && break; sleep 0.1; done
[ -e "$flag" ] || fail "the holder did not open Sample.exe"
status=0
wine "$work/dist/Sample.exe" "-s$(win "$src/examples/sample/Sample.response.ini")" >/dev/null || status=$?
rm -f "$flag"
wait "$holder_pid" || fail "the holder failed"
[ "$status" -eq 4 ] || fail "installing over a file in use ended with status $status, not 4"
grep -q 'older copy' "$exe" || fail "the file in use was written over at once"
wine reg query 'HKLM\System\CurrentControlSet\Control\Session Manager' /v PendingFileRenameOperations |
  grep -qi 'Vx Sample\\Sample.exe' || fail "the replacement of Sample.exe is not queued"
wineboot -r >/dev/null 2>&1
cmp -s "$exe" "$src/examples/sample/bin/Sample.exe" || fail "the restart did not put the new Sample.exe in place"
echo "e2e: the file in use was replaced at the restart"

# Modify: the same answers without the documentation.
sed 's/^Component2=1/Component2=0/' "$src/examples/sample/Sample.response.ini" >"$work/modify.ini"
wine "C:\\Program Files\\Vx Sample\\Install.exe" -m "C:\\Program Files\\Vx Sample\\Sample.inf" "|" \
     "-s$(win "$work/modify.ini")" >/dev/null || fail "modify failed ($?)"
[ ! -e "$app/Docs/Manual.txt" ] && [ -f "$app/Sample.exe" ] || fail "modify did not remove the documentation"

uninstall() {
  wine "C:\\Program Files\\Vx Sample\\Install.exe" -f "C:\\Program Files\\Vx Sample\\Sample.inf" >/dev/null ||
    fail "uninstall failed ($?)"
}
uninstall
# The engine that started the uninstall copy held its Install.exe and Karvo.dll: they are
# queued for the next start, which wineboot -r stands in for.
if [ -e "$app" ]; then
  wine reg query 'HKLM\System\CurrentControlSet\Control\Session Manager' /v PendingFileRenameOperations |
    grep -qi 'Vx Sample' || fail "engine files left and not queued: $(ls "$app")"
  # Installed again before that restart: the new engine files are the product's, and the
  # restart leaves them.
  wine "$work/dist/Sample.exe" "-s$(win "$src/examples/sample/Sample.response.ini")" >/dev/null ||
    fail "installing again before the restart failed ($?)"
  wineboot -r >/dev/null 2>&1
  for f in Install.exe Karvo.dll Sample.inf; do
    [ -f "$app/$f" ] || fail "the restart deleted the new installation's $f"
  done
  echo "e2e: an installation before the restart keeps the engine files the uninstall queued"
  uninstall
  if [ -e "$app" ]; then wineboot -r >/dev/null 2>&1; fi
  [ ! -e "$app" ] || fail "the restart left $(ls -A "$app")"
  echo "e2e: the engine's own files went at the restart"
fi
[ ! -e "$app/Sample.exe" ] && [ ! -e "$app/Docs" ] || fail "product files left behind"
[ ! -e "$drive_c/Program Files/Vx Sample Data" ] || fail "data folder left behind"
! wine reg query "$key" >/dev/null 2>&1 || fail "uninstall entry left behind"
[ -z "$(find "$drive_c/users" -path '*Programs/Vx Sample/*.lnk')" ] || fail "shortcuts left behind"
echo "e2e: installed, registered and removed"
