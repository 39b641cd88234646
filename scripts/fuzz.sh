#!/usr/bin/env bash
# Builds the libFuzzer targets (tests/fuzz/fuzz_*.cpp) with clang, ASan and
# UBSan in build-fuzz/ and runs each for a bounded time, starting from its
# seed corpus tests/fuzz/corpus/<target>/. A finding (crash, sanitizer
# report, timeout, leak) fails the script; its input is kept in
# build-fuzz/findings/<target>/.
#   bash scripts/fuzz.sh [SECONDS] [TARGET...]   default: 60 s, every target
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-60}"
[ $# -gt 0 ] && shift
bash "$root/scripts/install-deps.sh" --fuzz
build="$root/build-fuzz"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DKORVAN_FUZZ=ON \
    -DKORVAN_BUILD_GUI=OFF -DKORVAN_BUILD_TESTS=OFF -DKORVAN_BUILD_BENCH=OFF > /dev/null
cmake --build "$build" --target korvan_fuzz -j"$(nproc)"

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for source in "$root"/tests/fuzz/fuzz_*.cpp; do targets+=("$(basename "$source" .cpp)"); done
fi
failed=()
for target in "${targets[@]}"; do
    # The growing corpus lives in the build folder; the repository keeps the seeds.
    work="$build/corpus/$target"
    findings="$build/findings/$target"
    mkdir -p "$work" "$findings"
    seeds=()
    [ -d "$root/tests/fuzz/corpus/$target" ] && seeds=("$root/tests/fuzz/corpus/$target")
    echo "== $target: $seconds s"
    status=0
    "$build/tests/fuzz/$target" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2048 \
        -max_len=8192 -print_final_stats=1 -artifact_prefix="$findings/" \
        "$work" "${seeds[@]}" > "$build/$target.log" 2>&1 || status=$?
    grep -E "^#[0-9]+[[:space:]]+(INITED|DONE)|^stat::(number_of_executed_units|peak_rss_mb)" \
        "$build/$target.log" || true
    if [ "$status" -ne 0 ]; then
        tail -n 40 "$build/$target.log"
        failed+=("$target")
    fi
done
if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzzing found faults in: ${failed[*]} (inputs in $build/findings/)" >&2
    exit 1
fi
