#!/usr/bin/env bash
# Runs one Windows test program under wine (ctest's emulator for the Windows build), in the
# prefix inside the build tree unless the caller chose one.
here="$(cd "$(dirname "$0")/.." && pwd)"
export WINEPREFIX="${WINEPREFIX:-$here/build-windows/x64/wineprefix}" WINEDEBUG="${WINEDEBUG:--all}"
exec wine "$@"
