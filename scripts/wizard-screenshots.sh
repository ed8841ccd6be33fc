#!/usr/bin/env bash
# Pictures of the example product's wizard pages for the README: packs examples/sample, installs it
# on a throw-away machine through the Qt windows under Xvfb with scripted answers, once at
# scale 1 and once at scale 2, and keeps every wizard page the run saved (VX_SNAPSHOTS) in
# docs/screenshots/ as wizard-<scale>x-<order>-<page>.png.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VX_BUILD_DIR:-$root/build}
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
cmake -S "$root" -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)" --target InstallExe ExtractExe Karvo HalvikExe vxpack vxmachine
bin="$build/bin"
sample="$root/examples/sample"
out="$root/docs/screenshots"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The answers, page by page: welcome, license, name, company, components (Program and
# Documentation), the two destinations, summary, then the completion page.
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

mkdir -p "$out"
rm -f "$out"/wizard-*.png
for scale in 1 2; do
  export VX_MACHINE="$work/machine-$scale"
  "$bin/vxmachine" init >/dev/null
  "$bin/vxpack" --out "$work/dist-$scale" --splash "$sample/splash/Splash.bmp" "$sample/Sample.inf" >/dev/null
  shots="$work/shots-$scale"
  mkdir -p "$shots"
  set +e
  VX_UI=qt VX_WAIT=1 VX_PACE=0 VX_ANSWERS="$work/answers.txt" VX_SNAPSHOTS="$shots" \
    QT_SCALE_FACTOR=$scale xvfb-run -a -s "-screen 0 1920x1440x24" \
    "$work/dist-$scale/Sample.exe" 2>"$work/log-$scale.txt"
  status=$?
  set -e
  if [ $status -ne 0 ]; then
    echo "the run at scale $scale ended with status $status:" >&2
    cat "$work/log-$scale.txt" >&2
    exit 1
  fi
  n=0
  for f in $(ls "$shots" | grep -- '-wizard-' | sort); do
    n=$((n + 1))
    page=${f#*-wizard-}
    cp "$shots/$f" "$out/wizard-${scale}x-$(printf %02d $n)-$page"
  done
  echo "scale $scale: $n wizard pictures"
done
ls "$out"
