#!/usr/bin/env bash
# Installs the example product through its real windows on a virtual X display (Xvfb) with
# VX_UI=qt and VX_SNAPSHOTS, on a machine of its own, and keeps a picture of each kind of
# window under docs/screenshots/. Needs a build (VX_BUILD_DIR, default build/) and xvfb-run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VX_BUILD_DIR:-$root/build}
bin="$build/bin"
out="$root/docs/screenshots"
command -v xvfb-run >/dev/null || { echo "screenshots.sh: xvfb-run is missing (Debian package xvfb)" >&2; exit 1; }
for program in vxpack vxmachine Install.exe Extract.exe; do
  [ -x "$bin/$program" ] || { echo "screenshots.sh: build first ($bin/$program is missing)" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export VX_MACHINE="$work/machine"
"$bin/vxmachine" init >/dev/null
sample="$root/examples/sample"
dist=$("$bin/vxmachine" path 'C:\dist')
"$bin/vxpack" --out "$dist" --splash "$sample/splash/Splash.bmp" "$sample/Sample.inf" >/dev/null 2>&1

# Welcome, license, the user's name and company; every later dialog takes its default.
printf 'ok\nyes\ntext:Ada Example\ntext:Example Works\n' >"$work/answers"
# A short pace keeps the splash up long enough to be drawn on a real display.
VX_UI=qt VX_WAIT=1 VX_PACE=0.1 VX_ANSWERS="$work/answers" VX_SNAPSHOTS="$work/pictures" \
  xvfb-run -a -s "-screen 0 800x600x24" "$dist/Sample.exe" 2>"$work/dialogs.txt" || {
  cat "$work/dialogs.txt" >&2
  echo "screenshots.sh: the installation did not complete" >&2
  exit 1
}

# Once more over the installed product, whose manual now looks newer: the file question.
manual=$("$bin/vxmachine" path 'C:\Program Files\Vx Sample\Docs\Manual.txt')
touch -d '2035-01-01' "$manual"
VX_UI=qt VX_WAIT=1 VX_PACE=0 VX_ANSWERS="$work/answers" VX_SNAPSHOTS="$work/pictures" \
  xvfb-run -a -s "-screen 0 800x600x24" "$dist/Sample.exe" 2>>"$work/dialogs.txt" || true

# The last picture of each kind: "NNNN-kind-Title.png" -> docs/screenshots/<name>.png.
keep() {
  local pattern=$1 name=$2 file
  file=$(ls "$work/pictures" | grep -E "$pattern" | ${3:-tail} -1 || true)
  if [ -n "$file" ]; then
    cp "$work/pictures/$file" "$out/$name.png"
    echo "docs/screenshots/$name.png  ($file)"
  else
    echo "screenshots.sh: no picture matches $pattern" >&2
  fi
}
mkdir -p "$out"
keep '^[0-9]+-extract\.png$' extractor head
keep '^[0-9]+-splash' splash head
keep '^[0-9]+-preparation' preparation
keep '^[0-9]+-backdrop' backdrop head
keep '^[0-9]+-(message|wizard)-License' license
keep '^[0-9]+-question-' file-question
keep '^[0-9]+-progress-Install' backdrop-with-progress
