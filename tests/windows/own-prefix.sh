# Sourced by the tests that show windows: gives the test a wine prefix and a wine server of its
# own, started under the test's display (DISPLAY must be set). Wine's desktop process takes the
# display of the first program that needs it and keeps it as long as its server lives, so a server
# shared with the tests that run without a display (or with another test's display, since gone)
# cannot make a window: such runs failed at random, depending on which test started first.
#   own_wine_prefix WORK [SETUP]
# The prefix and its HOME go in WORK; SETUP (a command) runs once the prefix exists, before the
# server that serves the rest of the test starts (settings wine reads when it starts). The caller
# ends the server at exit: wineserver -k.
own_wine_prefix() {
  [ -n "${DISPLAY:-}" ] || { echo "own_wine_prefix: no display" >&2; return 1; }
  export WINEPREFIX="$1/prefix" HOME="$1/home"
  mkdir -p "$HOME"
  wineboot -i >/dev/null 2>&1 || true
  [ -z "${2:-}" ] || "$2"
  # One server from here on, kept warm (the one wineboot left would refuse it: end it first).
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  wineserver -p
}
