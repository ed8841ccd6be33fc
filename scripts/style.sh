#!/bin/bash
# The house style checked: clang-format (as .clang-format says, nothing rewritten) and
# clang-tidy (.clang-tidy's checks) over the project's own sources.
#
#   scripts/style.sh [BUILD_DIR]      BUILD_DIR holds compile_commands.json (configure it with
#                                     -DCMAKE_EXPORT_COMPILE_COMMANDS=ON); without one, build-tidy
#                                     is configured with clang (configured only, nothing built)
#   VX_STYLE_JOBS=N                   clang-tidy processes (default: the processors)
#   VX_STYLE_NICE=N                   their niceness (default 10)
#   VX_TIDY=PROGRAM                   the clang-tidy (default clang-tidy-22, installed when missing)
#   VX_STYLE_ONLY=format|tidy         one of the two checks
#   VX_STYLE_WINDOWS=0                leave out the Windows-only sources (they are checked through
#                                     a mingw configuration, build-tidy-windows, its compiler
#                                     installed when missing)
#
# Each source's result is kept in BUILD_DIR/tidy-cache under a hash of all it was computed from
# (the source, the project headers it reaches, its compile command, the tool and .clang-tidy):
# an unchanged source is not checked again.
#
# Exit status 0 when both pass, 1 when either finds something (each finding is printed as
# FILE:LINE:COL: ...), 2 for a usage error.
set -u
cd "$(dirname "$0")/.."
build=${1:-build-tidy}
jobs=${VX_STYLE_JOBS:-$(nproc)}
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
  # The newer clang-tidy leaves the system headers' code out of its matching: a run takes a
  # fraction of what the distribution's default one needs.
  tidy=${VX_TIDY:-clang-tidy-22}
  windows=${VX_STYLE_WINDOWS:-1}
  # The Windows-only sources need the 64-bit mingw configuration: its compiler comes too.
  winpkgs=()
  [ "$windows" = 1 ] && winpkgs=(g++-mingw-w64-x86-64-posix libz-mingw-w64-dev googletest)
  ./scripts/deps.sh clang "$tidy" "${winpkgs[@]}" ninja-build || exit 2
  # Without a BUILD_DIR: a clang configuration of its own (configured only, nothing built)
  # with the fuzz targets and benchmarks, so that every Linux source has its command.
  if [ -z "${1:-}" ]; then
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
  if [ "$windows" = 1 ]; then
    toolchain=()  # given once: the cache keeps it
    [ -f "$winbuild/CMakeCache.txt" ] ||
      toolchain=(-DCMAKE_TOOLCHAIN_FILE="cmake/toolchains/x86_64-w64-mingw32.cmake")
    cmake -S . -B "$winbuild" -G Ninja -DCMAKE_BUILD_TYPE=Release "${toolchain[@]}" \
      -DCMAKE_EXPORT_COMPILE_COMMANDS=ON >/dev/null || exit 2
    # clang knows not every mingw flag: a copy of the commands without those it refuses.
    mkdir -p "$winbuild/tidy"
    sed 's/ -fno-keep-inline-dllexport//g' "$winbuild/compile_commands.json" \
      >"$winbuild/tidy/compile_commands.json"
    winbuild=$winbuild/tidy
    while read -r dir; do winargs+=(--extra-arg-before=-isystem"$dir"); done < <(
      "$wincxx" -E -x c++ -v - </dev/null 2>&1 | sed -n '/search starts here:/,/End of search/p' |
        grep -E '^ .*/c\+\+' | sed 's/^ //')
  else
    winbuild=
  fi
  # Each project source once, from the first folder whose build compiles it, with the key of
  # its cached result: "DIR FILE KEY" lines.
  salt="$("$tidy" --version | tr '\n' ' ') $(cat .clang-tidy) ${winargs[*]}"
  units=$(python3 scripts/tidy_units.py "$PWD" "$salt" "$build" $winbuild) || exit 2
  cache=$build/tidy-cache
  mkdir -p "$cache"
  todo=$(printf '%s\n' "$units" | while read -r dir file key; do
    [ -f "$cache/$key" ] || echo "$dir $file $key"
  done)
  echo "style: clang-tidy over $(printf '%s\n' "$units" | grep -c .) files," \
    "$(printf '%s\n' "$todo" | grep -c .) of them changed since the last run, with $jobs processes"
  start=$SECONDS
  tidy_one() {  # tidy_one DIR FILE KEY: the findings into the cache, unless clang-tidy crashed
    local extra=() out
    [ "$1" = "$TIDY_LINUX" ] || read -ra extra <<<"$TIDY_WINARGS"
    # A source clang cannot compile is a finding too (its errors name no file: this one).
    out=$(set -o pipefail; nice -n "$TIDY_NICE" "$TIDY" -p "$1" --quiet "${extra[@]}" "$2" 2>/dev/null |
      sed "s|^error: |$2:1:1: error: |")
    local rc=$?
    if [ $rc -le 1 ]; then
      printf '%s\n' "$out" >"$TIDY_CACHE/$3.tmp" && mv "$TIDY_CACHE/$3.tmp" "$TIDY_CACHE/$3"
    else
      echo "$2:1:1: error: clang-tidy failed (status $rc)"
    fi
  }
  export -f tidy_one
  export TIDY="$tidy" TIDY_LINUX="$build" TIDY_WINARGS="${winargs[*]}" TIDY_CACHE="$cache" \
    TIDY_NICE="${VX_STYLE_NICE:-10}"
  failed=$(printf '%s\n' "$todo" | grep . | xargs -r -P "$jobs" -L 1 bash -c 'tidy_one "$0" "$1" "$2"')
  # Findings as FILE:LINE:COL: lines relative to the tree, a header's once.
  findings=$( (printf '%s\n' "$failed"
    printf '%s\n' "$units" | while read -r _ _ key; do cat "$cache/$key" 2>/dev/null; done) |
    grep -E '^(/.*)?[^ ]+:[0-9]+:[0-9]+: (warning|error):' | sed "s|^$PWD/||" | sort -u)
  echo "style: clang-tidy took $((SECONDS - start))s"
  if [ -n "$findings" ]; then
    printf '%s\n' "$findings"
    echo "style: clang-tidy found $(printf '%s\n' "$findings" | wc -l) problems" \
      "($tidy -p $build FILE, or -p $winbuild for a Windows-only one, shows each in full)"
    status=1
  fi
fi
exit $status
