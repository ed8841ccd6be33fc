#!/bin/bash
# The house style checked: clang-format (as .clang-format says, nothing rewritten) and
# clang-tidy (.clang-tidy's checks) over the project's own sources.
#
#   scripts/style.sh [BUILD_DIR]      BUILD_DIR holds compile_commands.json (configure it with
#                                     -DCMAKE_EXPORT_COMPILE_COMMANDS=ON); without one, build-tidy
#                                     is configured with clang (configured only, nothing built)
#   VX_STYLE_JOBS=N                   clang-tidy processes (default 2)
#   VX_STYLE_ONLY=format|tidy         one of the two checks
#   VX_STYLE_WINDOWS=0                leave out the Windows-only sources (they are checked through
#                                     a mingw configuration, build-tidy-windows, when mingw is there)
#
# Exit status 0 when both pass, 1 when either finds something (each finding is printed as
# FILE:LINE:COL: ...), 2 for a usage error.
set -u
cd "$(dirname "$0")/.."
build=${1:-build}
jobs=${VX_STYLE_JOBS:-2}
only=${VX_STYLE_ONLY:-}
status=0

mapfile -t sources < <(git ls-files 'engine/*.cpp' 'engine/*.h' 'extract/*.cpp' 'extract/*.h' \
  'library/*.cpp' 'library/*.h' 'platform/*.cpp' 'platform/*.h' 'probe/*.cpp' 'probe/*.h' \
  'tools/*.cpp' 'tools/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'bench/*.h')

if [ "$only" != tidy ]; then
  echo "style: clang-format over ${#sources[@]} files"
  if ! clang-format --dry-run -Werror "${sources[@]}"; then status=1; fi
fi

if [ "$only" != format ]; then
  ./scripts/deps.sh clang clang-tidy
  # Without a BUILD_DIR: a clang configuration of its own (configured only, nothing built)
  # with the fuzz targets and benchmarks, so that every Linux source has its command.
  if [ -z "${1:-}" ] && [ ! -f "$build/compile_commands.json" ]; then
    build=build-tidy
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_COMPILER=clang \
      -DCMAKE_CXX_COMPILER=clang++ -DVX_BUILD_FUZZ=ON -DVX_BUILD_BENCH=ON \
      -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null || exit 2
  fi
  if [ ! -f "$build/compile_commands.json" ]; then
    echo "style: $build/compile_commands.json is missing (configure with -DCMAKE_EXPORT_COMPILE_COMMANDS=ON)" >&2
    exit 2
  fi
  # The Windows-only sources through the 64-bit mingw configuration (its toolchain present),
  # clang told where that compiler keeps its C++ headers.
  winbuild=${VX_STYLE_WINDOWS_BUILD:-build-tidy-windows}
  wincxx=x86_64-w64-mingw32-g++-posix
  winargs=()
  if command -v "$wincxx" >/dev/null && [ "${VX_STYLE_WINDOWS:-1}" = 1 ]; then
    toolchain=()  # given once: the cache keeps it
    [ -f "$winbuild/CMakeCache.txt" ] ||
      toolchain=(-DCMAKE_TOOLCHAIN_FILE="cmake/toolchains/x86_64-w64-mingw32.cmake")
    cmake -S . -B "$winbuild" -G Ninja -DCMAKE_BUILD_TYPE=Release "${toolchain[@]}" \
      -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null || exit 2
    while read -r dir; do winargs+=(--extra-arg-before=-isystem"$dir"); done < <(
      "$wincxx" -E -x c++ -v - </dev/null 2>&1 | sed -n '/search starts here:/,/End of search/p' |
        grep -E '^ .*/c\+\+' | sed 's/^ //')
  else
    winbuild=
  fi
  # Each project source once, from the first folder whose build compiles it: "DIR FILE" lines.
  units=$(python3 - "$PWD" "$build" $winbuild <<'PY'
import json, os, sys
root, dirs = sys.argv[1], sys.argv[2:]
seen = set()
for d in dirs:
    for e in json.load(open(os.path.join(d, "compile_commands.json"))):
        f = os.path.realpath(os.path.join(e["directory"], e["file"]))
        rel = os.path.relpath(f, root)
        if rel.startswith(("engine/", "extract/", "library/", "platform/", "probe/", "tools/",
                           "tests/", "bench/")) and f not in seen:
            seen.add(f)
            print(d, rel)
PY
)
  echo "style: clang-tidy over $(printf '%s\n' "$units" | grep -c .) files with $jobs processes"
  log=$(mktemp)
  trap 'rm -f "$log"' EXIT
  start=$SECONDS
  tidy_one() {  # tidy_one DIR FILE
    local extra=()
    [ "$1" = "$TIDY_LINUX" ] || read -ra extra <<<"$TIDY_WINARGS"
    clang-tidy -p "$1" --quiet "${extra[@]}" "$2" 2>/dev/null
  }
  export -f tidy_one
  export TIDY_LINUX="$build" TIDY_WINARGS="${winargs[*]}"
  printf '%s\n' "$units" | xargs -P "$jobs" -L 1 bash -c 'tidy_one "$0" "$1"' >"$log"
  # Findings as FILE:LINE:COL: lines relative to the tree, a header's once.
  findings=$(grep -E '^/.*:[0-9]+:[0-9]+: (warning|error):' "$log" | sed "s|^$PWD/||" | sort -u)
  echo "style: clang-tidy took $((SECONDS - start))s"
  if [ -n "$findings" ]; then
    printf '%s\n' "$findings"
    echo "style: clang-tidy found $(printf '%s\n' "$findings" | wc -l) problems" \
      "(clang-tidy -p $build FILE, or -p $winbuild for a Windows-only one, shows each in full)"
    status=1
  fi
fi
exit $status
