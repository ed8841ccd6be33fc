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

# The rest of a product's life at scale 1 and 2, each on a machine of its own: maintenance
# (Documentation taken away, Sample Data added), the uninstall (paced, so that its window is
# pictured while it waits), a stop during the installation with its rollback in the install
# window, and a failed installation with its reason. Each phase keeps its pictures as
# docs/screenshots/walk-<scale>x-<phase>.png.
pick() {  # pick SHOTS FROM-NUMBER PATTERN NAME [head|tail|middle]: a picture of this phase
  local shots=$1 from=$2 pattern=$3 name=$4 which=${5:-tail} list n
  list=$(ls "$shots" | sort | awk -v f="$from" '{ if (substr($0, 1, 4) + 0 > f) print }' | grep -E -- "$pattern" || true)
  n=$(printf '%s\n' "$list" | grep -c . || true)
  [ "$n" -gt 0 ] || { echo "screenshots.sh: no $name picture ($pattern)" >&2; return 0; }
  case $which in
    head) f=$(printf '%s\n' "$list" | head -1) ;;
    middle) f=$(printf '%s\n' "$list" | sed -n "$(((n + 1) / 2))p") ;;
    *) f=$(printf '%s\n' "$list" | tail -1) ;;
  esac
  cp "$shots/$f" "$out/$name.png"
  echo "docs/screenshots/$name.png  ($f)"
}
last() { ls "$1" | sort | tail -1 | cut -c1-4 | sed 's/^0*//;s/^$/0/'; }
walk() {
  local scale=$1 m="$work/walk-$scale" shots="$work/walk-$scale/pictures" at
  mkdir -p "$shots"
  export VX_MACHINE="$m/machine"
  "$bin/vxmachine" init >/dev/null
  local d; d=$("$bin/vxmachine" path 'C:\dist')
  "$bin/vxpack" --out "$d" "$sample/Sample.inf" >/dev/null 2>&1
  local run=(env VX_UI=qt VX_WAIT=1 VX_SNAPSHOTS="$shots" QT_SCALE_FACTOR="$scale"
             xvfb-run -a -s "-screen 0 1600x1200x24")
  local p="walk-${scale}x"
  VX_PACE=0 VX_ANSWERS="$work/answers" "${run[@]}" "$d/Sample.exe" 2>>"$work/dialogs.txt"
  pick "$shots" 0 '-wizard-Completion' "$p-completion"
  at=$(last "$shots")
  printf 'text:0,2\nok\nok\n' >"$m/maintenance"
  local installed; installed=$("$bin/vxmachine" path 'C:\Program Files\Vx Sample')
  VX_PACE=0 VX_ANSWERS="$m/maintenance" "${run[@]}" "$installed/Install.exe" -m \
    'C:\Program Files\Vx Sample\Sample.inf' 2>>"$work/dialogs.txt" || true
  pick "$shots" "$at" '-wizard-Components' "$p-maintenance"
  at=$(last "$shots")
  printf 'ok\nyes\n' >"$m/uninstall"
  VX_PACE=0.3 VX_ANSWERS="$m/uninstall" "${run[@]}" "$installed/Install.exe" -u \
    'C:\Program Files\Vx Sample\Sample.inf' 2>>"$work/dialogs.txt" || true
  pick "$shots" "$at" '-confirm-' "$p-uninstall-confirm"
  pick "$shots" "$at" '-uninstall-' "$p-uninstall-waiting" middle
  pick "$shots" "$at" '-uninstall-' "$p-uninstall-done"
  at=$(last "$shots")
  # A stop: the documentation asks for one halfway; the question takes its default, Yes.
  sed -e '/^\[Documentation\]/,/^nIcons/{s/^nItems=2/nItems=3/;s/^nIcons=1/2=? | If (1 == 1) | 15 | Stop here |\r\nnIcons=1/}' \
    "$sample/Sample.inf" >"$m/Sample.inf"
  "$bin/vxpack" --out "$m/stop" --source "$sample" "$m/Sample.inf" >/dev/null 2>&1
  VX_PACE=0.2 VX_ANSWERS="$work/answers" "${run[@]}" "$m/stop/Sample.exe" 2>>"$work/dialogs.txt" || true
  pick "$shots" "$at" '-message-' "$p-stop-question"
  pick "$shots" "$at" '-progress-' "$p-rollback"
  at=$(last "$shots")
  # A failure: a file stands where the program's folder goes.
  rm -rf "$installed"
  echo "in the way" >"$installed"
  VX_PACE=0 VX_ANSWERS="$work/answers" "${run[@]}" "$d/Sample.exe" 2>>"$work/dialogs.txt" || true
  rm -f "$installed"
  pick "$shots" "$at" '-message-' "$p-failure"
}
rm -f "$out"/walk-*.png
for scale in 1 2; do walk "$scale"; done
