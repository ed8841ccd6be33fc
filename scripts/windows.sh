#!/usr/bin/env bash
# The Windows build: cross-compiles the deliverables as native Windows programs.
#   ./scripts/windows.sh          builds build-windows/x64 and build-windows/x86
#   ./scripts/windows.sh test     also builds the x64 tests and runs them under wine
#   ./scripts/windows.sh ci       both targets, the x64 tests under wine and the checks of the
#                                 x86 build (PE machine, Karvo.dll's export names)
# Installs the Debian packages it needs when some are missing (through scripts/deps.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
mode="${1:-build}"

pkgs=(cmake ninja-build g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix libz-mingw-w64-dev
      googletest)
# The tests of the windows bring their own X server (xvfb-run) and press keys on it.
[ "$mode" = build ] || pkgs+=(wine wine64 xvfb xdotool)
./scripts/deps.sh --only "${pkgs[@]}"

jobs="${VX_JOBS:-$(nproc)}"
build() {  # build DIR TOOLCHAIN TESTS [TARGETS...]
  local dir="$1" toolchain="$2" tests="$3"
  shift 3
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVX_WERROR=ON \
        -DCMAKE_TOOLCHAIN_FILE="cmake/toolchains/$toolchain.cmake" -DVX_BUILD_TESTS="$tests" \
        -DCMAKE_CROSSCOMPILING_EMULATOR="$PWD/scripts/wine-run.sh" >/dev/null
  ninja -C "$dir" -j "$jobs" "$@"
}

deliverables=(InstallExe Karvo ExtractExe HalvikExe vxpack vximage)
case "$mode" in
  build)
    build build-windows/x64 x86_64-w64-mingw32 OFF "${deliverables[@]}"
    build build-windows/x86 i686-w64-mingw32 OFF "${deliverables[@]}"
    ;;
  test|ci)
    build build-windows/x64 x86_64-w64-mingw32 ON
    if [ "$mode" = ci ]; then
      build build-windows/x86 i686-w64-mingw32 OFF "${deliverables[@]}"
    fi
    # One prefix inside the build tree, its HOME there too (a new prefix links Desktop and
    # Documents to $HOME), and one wineserver kept warm for all the test programs.
    export WINEPREFIX="$PWD/build-windows/x64/wineprefix" HOME="$PWD/build-windows/x64/winehome"
    export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY=""
    mkdir -p "$HOME"
    [ -f "$WINEPREFIX/system.reg" ] || wineboot -i >/dev/null 2>&1
    # The server wineboot left (or an earlier run's) would refuse a second one: end it first.
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
    wineserver -p
    # Wine's own services start with the first program and outlive it; started here, they hold
    # no test's output open (ctest would wait for them).
    wineboot </dev/null >/dev/null 2>&1 || true
    trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
    export VX_WINDOWS_X86_BIN="$PWD/build-windows/x86/bin"
    (cd build-windows/x64 && ctest --output-on-failure -j "$jobs")
    echo "windows.sh $mode: done in ${SECONDS}s"
    ;;
  *)
    echo "usage: $0 [build|test|ci]" >&2
    exit 2
    ;;
esac
