#!/usr/bin/env bash
# Runs one Windows test program under wine (ctest's emulator for the Windows build): the
# prefix and its HOME inside the build tree unless the caller chose them.
here="$(cd "$(dirname "$0")/.." && pwd)"
export WINEPREFIX="${WINEPREFIX:-$here/build-windows/x64/wineprefix}"
export HOME="${WINE_HOME:-${HOME}}" WINEDEBUG="${WINEDEBUG:--all}"
exec wine "$@"
