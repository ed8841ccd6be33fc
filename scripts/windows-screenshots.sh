#!/usr/bin/env bash
# Pictures of the native Windows windows for the README: packs the example's Windows
# self-extractor (vxpack --engine build-windows/x64/bin), runs it under wine on a virtual X
# display (Xvfb) with VX_UI=win32, scripted answers and VX_SNAPSHOTS, once at 100 % and once at
# 200 % (the prefix's LogPixels 96 and 192), and keeps every kind of window as
# docs/screenshots/windows-<scale>x-<kind>.png.
#
# Builds what it needs: build-windows/x64 (the Windows deliverables, VX_WINDOWS_BUILD_DIR) and
# vxpack for Linux (VX_BUILD_DIR, default build/). Needs wine64, xvfb-run and xdotool. The wine
# prefix lives in build-windows/x64/screenshots/, apart from the tests' prefix.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build=${VX_BUILD_DIR:-$root/build}
winbuild=${VX_WINDOWS_BUILD_DIR:-$root/build-windows/x64}
out="$root/docs/screenshots"
for tool in wine xvfb-run xdotool; do
  command -v "$tool" >/dev/null || { echo "windows-screenshots.sh: $tool is missing" >&2; exit 1; }
done

generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
if [ ! -f "$winbuild/CMakeCache.txt" ]; then
  cmake -S . -B "$winbuild" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/x86_64-w64-mingw32.cmake -DVX_BUILD_TESTS=OFF >/dev/null
fi
cmake --build "$winbuild" --target InstallExe Karvo ExtractExe HalvikExe
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" --target vxpack

work="$winbuild/screenshots"
mkdir -p "$work/home"
export WINEPREFIX="$work/prefix" HOME="$work/home" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "windows-screenshots.sh: making the wine prefix (once)"
  DISPLAY="" wineboot -i >/dev/null 2>&1
fi
# Without a window manager on the display, wine draws the frames and caption bars itself; their
# buttons need the Marlett font, which Debian's wine keeps outside the prefix.
DISPLAY="" wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null
for font in /usr/share/wine/fonts/marlett.ttf; do
  [ -f "$font" ] && cp -n "$font" "$WINEPREFIX/drive_c/windows/Fonts/"
done
# A wine server keeps the screen size of the display it first met: every run starts a new one.
fresh_server() {
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
}
trap fresh_server EXIT
win() { echo "Z:${1//\//\\}"; }

sample="$root/examples/sample"
dist="$work/dist"
rm -rf "$dist"
"$build/bin/vxpack" --engine "$winbuild/bin" --out "$dist" --splash "$sample/splash/Splash.bmp" \
  "$sample/Sample.inf" >"$work/pack.log" 2>&1 || { cat "$work/pack.log" >&2; exit 1; }

# Welcome, license, name, company, components (Program and Documentation), both destinations,
# summary, completion.
cat >"$work/answers.txt" <<'ANSWERS'
ok
yes
text:Ann Example
text:Example Corp
text:0,1
text:C:\Program Files\Vx Sample
text:C:\Program Files\Vx Sample Data
ok
ok
ANSWERS
# The second run asks about the newer manual after the summary: Yes, then the completion.
{ head -8 "$work/answers.txt"; printf 'yes\nok\n'; } >"$work/again.txt"
echo yes >"$work/cancel.txt"
printf 'ok\nyes\n' >"$work/uninstall.txt"

setdpi() {  # the prefix's screen resolution, read by every program as it starts
  local dpi=$1
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null
  wine reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' \
    /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null
}

# run SCALE PACE ANSWERS PROGRAM [ARGS...]: one program on a display of its own (a cancelled
# extraction ends with status 11).
run() {
  local scale=$1 pace=$2 answers=$3
  shift 3
  local size=$((1024 * scale))x$((768 * scale))x24
  fresh_server
  VX_UI=win32 VX_WAIT=1 VX_NO_RESTART=1 VX_PACE=$pace VX_ANSWERS="$(win "$answers")" \
    VX_SNAPSHOTS="$(win "$shots")" timeout 600 xvfb-run -a -n "$((100 + RANDOM % 800))" -s "-screen 0 $size" "$@" \
    2>>"$work/dialogs.txt" || echo "windows-screenshots.sh: $* ended with status $?"
}


# Every kind of window once: "NNNN-kind[-title].png" -> windows-<scale>x-kind[-title].png, the
# first picture of each kind (the extractor's opening words, the file question before the
# uninstall's), but the last of the progress windows (far on).
keep() {
  local scale=$1 file kind target
  for file in $(ls "$work/shots-$scale" | sort); do
    kind=${file#*-}
    target="$out/windows-${scale}x-$kind"
    case $kind in progress-* | uninstall-*) ;; *) [ -f "$target" ] && continue ;; esac
    cp "$work/shots-$scale/$file" "$target"
  done
}

: >"$work/dialogs.txt"
rm -f "$out"/windows-*.png
mkdir -p "$out"
installed='C:\Program Files\Vx Sample'
for scale in 1 2; do
  shots="$work/shots-$scale"
  rm -rf "$shots"
  mkdir -p "$shots"
  setdpi $((96 * scale))
  # The extractor's cancel question (paced, so that Escape comes before the installer starts).
  run "$scale" 3 "$work/cancel.txt" bash "$root/tests/windows/cancel-run.sh" "$dist"
  # The whole installation through the wizard.
  run "$scale" 0.1 "$work/answers.txt" wine "$dist/Sample.exe"
  # Once more over the installed product, whose manual now looks newer: the file question.
  touch -d '2035-01-01' "$WINEPREFIX/drive_c/Program Files/Vx Sample/Docs/Manual.txt" || true
  run "$scale" 0 "$work/again.txt" wine "$dist/Sample.exe"
  # The uninstall: its confirmation and its window.
  run "$scale" 0.3 "$work/uninstall.txt" wine "$installed\\Install.exe" -u "$installed\\Sample.inf"
  # Whatever is left goes, so that the next scale starts afresh.
  VX_UI=headless VX_PACE=0 wine "$installed\\Install.exe" -f "$installed\\Sample.inf" \
    >/dev/null 2>&1 || true

  keep "$scale"
done
ls "$out"/windows-*.png | sed "s|$root/||"
