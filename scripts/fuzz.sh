#!/usr/bin/env bash
# A long fuzz run on one core: builds the fuzz target as the test command does (build-fuzz, RelWithDebInfo) and
# fuzzes for MINUTES minutes, growing a corpus kept between runs; prints libFuzzer's closing statistics.
set -euo pipefail
cd "$(dirname "$0")/.."

if [[ $# -ne 1 || ! "$1" =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: scripts/fuzz.sh MINUTES" >&2
  echo "  QM_FUZZ_CORPUS  the corpus folder kept between runs (default build-fuzz/long-corpus)" >&2
  echo "  QM_FUZZ_LOG     libFuzzer's full output (default build-fuzz/fuzz-DATE.log)" >&2
  echo "  QM_FUZZ_RUNS    end after this many executions if that comes first" >&2
  exit 2
fi
minutes=$1
corpus=${QM_FUZZ_CORPUS:-build-fuzz/long-corpus}
runs=()
if [[ -n "${QM_FUZZ_RUNS:-}" ]]; then runs=("-runs=$QM_FUZZ_RUNS"); fi

scripts/builds.sh fuzz
mkdir -p "$corpus" build-fuzz/findings
log=${QM_FUZZ_LOG:-build-fuzz/fuzz-$(date +%Y%m%d-%H%M%S).log}
echo "fuzzing for $minutes min; corpus $corpus, log $log, findings in build-fuzz/findings/"

# The first folder is the corpus that grows; the seeds and the test macros are only read. A finding (crash,
# input over 10 s, over 2 GB of memory) ends the run and is written to build-fuzz/findings/.
status=0
build-fuzz/bin/macro_fuzzer -max_total_time=$((minutes * 60)) -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
  -dict=tests/fuzz/macro.dict -print_final_stats=1 -reload=0 -artifact_prefix=build-fuzz/findings/ "${runs[@]}" \
  "$corpus" tests/fuzz/seeds tests/macros >"$log" 2>&1 || status=$?

grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -1 || true
grep -E '^stat::' "$log" || true
if [[ $status -ne 0 ]]; then
  grep -E '^==[0-9]+== ERROR|^artifact_prefix|Test unit written|SUMMARY' "$log" || tail -20 "$log"
  echo "fuzzing stopped with status $status: see $log" >&2
fi
exit "$status"
