#!/usr/bin/env bash
# Fuzzes both programs' dialogues: fuzz/run.sh BUILD_DIR SECONDS_PER_TARGET
# BUILD_DIR is a clang build configured with -DKAVRIN_BUILD_FUZZERS=ON (see README). Each target starts
# from the example answer files and fuzz/seeds/, keeps what it finds in fuzz-corpus/<program> (reused by
# the next run) and writes an input that breaks a property to fuzz-findings/.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:?usage: fuzz/run.sh BUILD_DIR SECONDS}" && pwd)
seconds=${2:?usage: fuzz/run.sh BUILD_DIR SECONDS}
mkdir -p fuzz-findings
for program in kavrin-regge kavrin-models; do
  target="$build/fuzz_${program//-/_}"
  corpus="fuzz-corpus/$program"
  mkdir -p "$corpus"
  echo "-- $program: ${seconds} s"
  log="fuzz-findings/$program.log"
  status=0
  "$target" "$corpus" "$here/examples/$program" "$here/fuzz/seeds/$program" -dict="$here/fuzz/answers.dict" \
    -max_total_time="$seconds" -max_len=4096 -timeout=30 -rss_limit_mb=4096 -print_final_stats=1 \
    -artifact_prefix=fuzz-findings/"$program"- > "$log" 2>&1 || status=$?
  grep -E "^(Done|stat::number_of_executed_units|stat::peak_rss_mb)" "$log" || true
  if [ "$status" -ne 0 ]; then
    tail -n 40 "$log"
    echo "$program: the fuzzer found an input that breaks a property (status $status; see fuzz-findings/)"
    exit 1
  fi
done
