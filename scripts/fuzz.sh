#!/usr/bin/env bash
# fuzz.sh [target...]: builds the libFuzzer targets with clang in build-fuzz and runs each for
# FUZZ_SECONDS (default 60). Exits non-zero when a target crashed or broke an invariant.
# Not part of CI. A crash input is left in build-fuzz/crashes/<target>/; copy it into
# fuzz/corpus/<target>/ so the ordinary test run (tst_fuzz_corpus) keeps replaying it.
set -euo pipefail
cd "$(dirname "$0")/.."
VQ_WITH_CLANG=1 bash scripts/deps.sh

seconds=${FUZZ_SECONDS:-60}
build=build-fuzz
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(settings commandline decoder screen msglayout eventjson)

cmake -S fuzz -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --parallel "$(nproc)"

# Short inputs keep the decoder fast; its frame cap is in the seeds, replayed in full by the tests.
declare -A max_len=([settings]=128 [commandline]=512 [decoder]=512 [screen]=2048
    [msglayout]=1024 [eventjson]=1024)

failed=()
summary=()
for t in "${targets[@]}"; do
    bin="$build/fuzz_$t"
    [ -x "$bin" ] || { echo "no fuzz target $t" >&2; exit 2; }
    work="$build/corpus/$t" crashes="$build/crashes/$t" log="$build/fuzz-$t.log"
    mkdir -p "$work" "$crashes"
    dict=()
    [ -f "fuzz/dict/$t.dict" ] && dict=(-dict="fuzz/dict/$t.dict")
    echo "== $t: ${seconds}s"
    status=0
    # New inputs go to the work folder; the seeds in fuzz/corpus are only read.
    "$bin" "$work" "fuzz/corpus/$t" "${dict[@]}" -max_total_time="$seconds" \
        -max_len="${max_len[$t]:-4096}" -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="$crashes/" -print_final_stats=1 >"$log" 2>&1 || status=$?
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    cov=$(grep -Eo 'cov: [0-9]+ ft: [0-9]+' "$log" | tail -1)
    corp=$(grep -Eo 'corp: [0-9]+/[0-9]+[a-zA-Z]+' "$log" | tail -1)
    found=$(find "$crashes" -type f | wc -l)
    line="$t: ${execs:-?} execs, ${cov:-no coverage}, ${corp:-no corpus}, exit $status, $found crash file(s)"
    summary+=("$line")
    if [ "$status" -ne 0 ] || [ "$found" -gt 0 ]; then
        failed+=("$t")
        grep -E 'invariant broken|ERROR: |SUMMARY: ' "$log" | head -5 || true
        find "$crashes" -type f | sed 's/^/  input: /'
    fi
done

echo "== summary"
printf '%s\n' "${summary[@]}"
if [ ${#failed[@]} -gt 0 ]; then
    echo "crashed: ${failed[*]} (logs in $build/fuzz-<target>.log)" >&2
    exit 1
fi
