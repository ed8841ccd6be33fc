#!/usr/bin/env bash
# The main job on the default machine: builds everything, then starts the engine on it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
build=${VX_BUILD_DIR:-$root/build}
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
cmake -S "$root" -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release -DVX_BUILD_BENCH=OFF
cmake --build "$build" -j"$(nproc)"
bin="$build/bin"
"$bin/vxmachine" init
"$bin/vxmachine" info
export VX_UI=${VX_UI:-headless}
set +e
"$bin/Install.exe" "$@"
status=$?
set -e
echo "Install.exe exited with status $status"
