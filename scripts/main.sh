#!/usr/bin/env bash
# The main job on the default machine: builds everything, packs the example product into its
# self-extractor, installs it unattended with a response file, and shows what was installed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
build=${VX_BUILD_DIR:-$root/build}
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
cmake -S "$root" -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)"
bin="$build/bin"
sample="$root/examples/sample"
dist="$build/dist"

echo "== The machine"
"$bin/vxmachine" init
"$bin/vxmachine" info

echo "== Packing the example product"
"$bin/vxpack" --out "$dist" --splash "$sample/splash/Splash.bmp" "$sample/Sample.inf"

echo "== Installing it unattended: Sample.exe -s Sample.response.ini"
export VX_UI=${VX_UI:-headless} VX_WAIT=1
set +e
"$dist/Sample.exe" "-s$sample/Sample.response.ini"
status=$?
set -e
echo "Install.exe exited with status $status"

show_tree() {
  local host
  host=$("$bin/vxmachine" path "$1")
  echo "-- $1"
  [ -d "$host" ] && (cd "$host" && find . -type f | sed 's|^\./|   |' | sort) || echo "   (none)"
}
echo "== Installed files"
show_tree 'C:\Program Files\Vx Sample'
show_tree 'C:\Program Files\Vx Sample Data'
echo "== Shortcuts"
"$bin/vxmachine" info | sed -n 's/^\(Programs\|Desktop\): //p' | while read -r folder; do
  host=$("$bin/vxmachine" path "$folder")
  find "$host" -name '*.lnk' 2>/dev/null | while read -r link; do
    rest=${link#"$host"}
    echo "   $folder${rest//\//\\}"
  done
done
echo "== Registry"
"$bin/vxmachine" reg export 'HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vx Sample' || true
"$bin/vxmachine" reg export 'HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\SharedDLLs' || true
"$bin/vxmachine" reg export 'HKEY_CURRENT_USER\Software\Example Vendor' || true
echo "== Restart queue"
"$bin/vxmachine" pending || true
exit "$status"
