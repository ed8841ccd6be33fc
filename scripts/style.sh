#!/bin/bash
# The house style checked: clang-format (as .clang-format says, nothing rewritten) and
# clang-tidy (.clang-tidy's checks) over the project's own sources.
#
#   scripts/style.sh [BUILD_DIR]      BUILD_DIR (default: build) holds compile_commands.json:
#                                     configure it with -DCMAKE_EXPORT_COMPILE_COMMANDS=ON
#   VX_STYLE_JOBS=N                   clang-tidy processes (default 2)
#   VX_STYLE_ONLY=format|tidy         one of the two checks
#
# Exit status 0 when both pass, 1 when either finds something (each finding is printed as
# FILE:LINE: ...), 2 for a usage error.
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
  if [ ! -f "$build/compile_commands.json" ]; then
    echo "style: $build/compile_commands.json is missing (configure with -DCMAKE_EXPORT_COMPILE_COMMANDS=ON)" >&2
    exit 2
  fi
  # Only what the build compiles (a file of the Windows build is not in a Linux build's list).
  mapfile -t units < <(python3 - "$build/compile_commands.json" "$PWD" <<'PY'
import json, os, sys
root = sys.argv[2]
seen = set()
for e in json.load(open(sys.argv[1])):
    f = os.path.realpath(os.path.join(e["directory"], e["file"]))
    rel = os.path.relpath(f, root)
    if rel.startswith(("engine/", "extract/", "library/", "platform/", "probe/", "tools/", "tests/", "bench/")) and f not in seen:
        seen.add(f)
        print(f)
PY
)
  echo "style: clang-tidy over ${#units[@]} files with $jobs processes"
  if ! printf '%s\n' "${units[@]}" |
      xargs -P "$jobs" -n 4 clang-tidy -p "$build" --quiet 2>/dev/null |
      grep -E '(warning|error):' ; then
    : # nothing found
  else
    status=1
  fi
fi
exit $status
