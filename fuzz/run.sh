#!/usr/bin/env bash
# Builds one libFuzzer target with clang and runs it for a while.
#
#   fuzz/run.sh TARGET [SECONDS]     e.g. fuzz/run.sh settings_fuzzer 60
#   fuzz/run.sh --list               the targets there are
#
# Seeds come from fuzz/corpus/TARGET/ or <folder>/fuzz/corpus/TARGET/ (read
# only); what the run finds is kept in build-fuzz/corpus/TARGET/, and a crash
# is written to build-fuzz/crashes/. The exit status is non-zero on a crash or
# a sanitizer report.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${QV_FUZZ_BUILD:-$root/build-fuzz}"

targets() {
    for f in "$root"/fuzz/*_fuzzer.cpp "$root"/*/fuzz/*_fuzzer.cpp; do
        if [ -e "$f" ]; then basename "$f" .cpp; fi
    done | sort -u
}

if [ "${1:-}" = "--list" ]; then
    targets
    exit 0
fi
target="${1:?usage: fuzz/run.sh TARGET [SECONDS] (fuzz/run.sh --list for the targets)}"
seconds="${2:-60}"
known="$(targets)"
if ! grep -qx -- "$target" <<<"$known"; then
    echo "unknown fuzz target: $target; there are:" >&2
    echo "$known" >&2
    exit 2
fi

cmake -S "$root/fuzz" -B "$build" -DCMAKE_CXX_COMPILER="${CXX_FUZZ:-clang++}" -DCMAKE_C_COMPILER="${CC_FUZZ:-clang}" >/dev/null
cmake --build "$build" --target "$target" -j"${QV_FUZZ_JOBS:-2}"

seeds=()
for dir in "$root/fuzz/corpus/$target" "$root"/*/fuzz/corpus/"$target"; do
    if [ -d "$dir" ]; then seeds+=("$dir"); fi
done
work="$build/corpus/$target"
crashes="$build/crashes/$target"
mkdir -p "$work" "$crashes"

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
exec "$build/bin/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$crashes/" "$work" "${seeds[@]}"
