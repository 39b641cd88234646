#!/usr/bin/env bash
# Installs what is missing, builds everything with warnings as errors in a
# build folder of its own and runs every test (GUI tests offscreen).
#   --sanitize  the same with AddressSanitizer and UndefinedBehaviorSanitizer
#               in build-sanitize/, stopping at the first report
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
sanitize=0
for arg in "$@"; do
    case "$arg" in
    --sanitize) sanitize=1 ;;
    *) echo "usage: $0 [--sanitize]" >&2; exit 2 ;;
    esac
done
bash "$root/scripts/install-deps.sh"
export QT_QPA_PLATFORM=offscreen
if [ "$sanitize" -eq 0 ]; then
    build="$root/build-test"
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVAN_WERROR=ON > /dev/null
    cmake --build "$build" -j"$(nproc)"
    ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
    exit 0
fi

build="$root/build-sanitize"
# GCC 12 reports uninitialised members inside std::regex and std::function
# that the sanitizers' instrumentation makes up; its other warnings stay errors.
flags="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
flags+=" -Wno-maybe-uninitialized"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVAN_WERROR=ON \
    -DKORVAN_BUILD_BENCH=OFF -DCMAKE_CXX_FLAGS="$flags" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" > /dev/null
cmake --build "$build" -j"$(nproc)"
# Every report ends its test program; the suite stops at the first failure.
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:detect_stack_use_after_return=1:strict_string_checks=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export LSAN_OPTIONS="suppressions=$root/tests/sanitizers/lsan.supp:print_suppressions=0"
ctest --test-dir "$build" --output-on-failure --stop-on-failure -j"$(nproc)"
