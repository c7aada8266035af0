#!/usr/bin/env bash
# Runs one program of the build on an answer file in a fresh run directory (named after the answer file,
# without its extension), and says where the result files are. Installed (PREFIX/share/doc/kavrin/examples),
# it runs the installed program, PREFIX/bin, and puts the run directory below the working directory.
#
# usage: examples/run.sh kavrin-regge|kavrin-models ANSWER_FILE [RUN_DIR] [BUILD_DIR]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
prog=${1:?program name (kavrin-regge or kavrin-models)}
answers=$(cd "$(dirname "${2:?answer file}")" && pwd)/$(basename "$2")
name=$(basename "$answers" .in)
run=${3:-$top/run/$prog/$name}
build=${4:-$top/build}
bin=$build/$prog
if [ ! -x "$bin" ] && [ -z "${4:-}" ] && [ -x "$top/../../../bin/$prog" ]; then
  bin=$(cd "$top/../../../bin" && pwd)/$prog
  run=${3:-$PWD/run/$prog/$name}
fi
[ -x "$bin" ] || { echo "run.sh: $bin is not built; build first (see README.md)" >&2; exit 1; }
rm -rf "$run"
mkdir -p "$run"
(cd "$run" && "$bin" < "$answers" > transcript.txt)
echo "results of $prog on $(basename "$answers") are in $run:"
(cd "$run" && for f in *.dat; do n=$(wc -l < "$f"); [ "$n" -gt 0 ] && printf '  %-22s %5d lines\n' "$f" "$n"; done) || true
echo "  transcript.txt         (the dialogue as printed)"
echo "  kavrin-run.txt         (what produced them: program, answers, settings, files)"
