#!/usr/bin/env bash
# Builds everything with clang under AddressSanitizer and UndefinedBehaviorSanitizer in a
# second build folder, runs every test there, then runs each libFuzzer target for a while
# on its seed corpus; warnings are errors, as in the other builds. Installs missing Debian
# packages first.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh" clang libclang-rt-14-dev
build=${VX_SANITIZE_BUILD_DIR:-$root/build-sanitize}
seconds=${VX_FUZZ_SECONDS:-20}
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
# -O1 and line tables: readable reports at a fraction of the full optimiser's build time.
cmake -S "$root" -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only" \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -gline-tables-only" \
  -DVX_SANITIZE=ON -DVX_BUILD_FUZZ=ON -DVX_BUILD_BENCH=OFF -DVX_WERROR=ON
cmake --build "$build" -j"$(nproc)"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/tests/lsan.supp}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
(cd "$build" && ctest --output-on-failure -j"$(nproc)")
[ "$seconds" -gt 0 ] || exit 0
"$root/scripts/fuzz.sh" "$build" "$seconds"
