#!/usr/bin/env bash
# Regenerates the golden runs: every example answer file of both programs, run by the build in BUILD_DIR,
# its transcript and every result file that received lines. Regenerate only for a change of results that
# is meant, and say why in the commit message.
#
# usage: tests/golden/make-golden.sh [BUILD_DIR]
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$top/build}" && pwd)
golden=$top/tests/golden
for prog in kavrin-regge kavrin-models; do
  rm -rf "${golden:?}/$prog"
  for answers in "$top/examples/$prog"/*.in; do
    [ -f "$answers" ] || continue
    name=$(basename "$answers"); name=${name%.*}
    out=$golden/$prog/$name
    mkdir -p "$out/integral"
    cp "$top/data/integral/gauss-legendre100.dat" "$out/integral/"
    (cd "$out" && "$build/$prog" < "$answers" > transcript.txt)
    rm -rf "$out/integral"
    find "$out" -name '*.dat' -empty -delete
    rm -f "$out/.kavrin.lock" "$out/kavrin-run.txt"  # the record holds the date of the run
  done
done
