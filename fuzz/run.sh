#!/usr/bin/env bash
# Fuzzes both programs' dialogues and kavrin-eval's reader of data files: fuzz/run.sh BUILD_DIR SECONDS_PER_TARGET
# BUILD_DIR is a clang build configured with -DKAVRIN_BUILD_FUZZERS=ON (see README). Each target starts
# from its seeds (the example answer files and fuzz/seeds/), keeps what it finds in fuzz-corpus/<name>
# (reused by the next run) and writes an input that breaks a property to fuzz-findings/.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:?usage: fuzz/run.sh BUILD_DIR SECONDS}" && pwd)
seconds=${2:?usage: fuzz/run.sh BUILD_DIR SECONDS}
mkdir -p fuzz-findings

# fuzz_one NAME TARGET DICT SEED_DIR...
fuzz_one() {
  local name=$1 target=$2 dict=$3
  shift 3
  local corpus="fuzz-corpus/$name" log="fuzz-findings/$name.log" status=0
  mkdir -p "$corpus"
  echo "-- $name: ${seconds} s"
  "$target" "$corpus" "$@" -dict="$dict" \
    -max_total_time="$seconds" -max_len=4096 -timeout=30 -rss_limit_mb=4096 -print_final_stats=1 \
    -artifact_prefix=fuzz-findings/"$name"- > "$log" 2>&1 || status=$?
  grep -E "^(Done|stat::number_of_executed_units|stat::peak_rss_mb)" "$log" || true
  if [ "$status" -ne 0 ]; then
    tail -n 40 "$log"
    echo "$name: the fuzzer found an input that breaks a property (status $status; see fuzz-findings/)"
    exit 1
  fi
}

for program in kavrin-regge kavrin-models; do
  fuzz_one "$program" "$build/fuzz_${program//-/_}" "$here/fuzz/answers.dict" "$here/examples/$program" "$here/fuzz/seeds/$program"
done
fuzz_one kavrin-eval-table "$build/fuzz_eval_table" "$here/fuzz/table.dict" "$here/fuzz/seeds/kavrin-eval"
