#!/bin/sh
# Runs the fuzz targets built by the fuzz preset:
#   fuzz/run.sh BUILD_DIR SECONDS [NAME...]
# Each target runs for SECONDS on a working corpus, build/fuzz/work/NAME,
# seeded from fuzz/corpus/NAME and kept between runs (what a run finds stays
# there; fuzz/minimise.sh merges it, minimised, into the kept corpus), with
# fuzz/dict/NAME.dict when there is one, and the libFuzzer options listed
# in fuzz/options/NAME (one a line, "#" lines ignored) when there is such a
# file: a target whose input must pass a limit of its reader (the 64 KiB
# lines of preference files and of the sessions table, the .reg loader's
# physical line and regdump's wrapping of longer ones) raises -max_len
# there, since the default stays near 4 KB. A crash or a failed property leaves
# its input in BUILD_DIR/artifacts/NAME/ and makes the run fail; the input
# then belongs under tests/fuzz/NAME/ with the fix.
set -eu
build=$1
seconds=$2
shift 2
here=$(cd "$(dirname "$0")" && pwd)
options() { [ -f "$here/options/$1" ] && grep -v '^#' "$here/options/$1" | tr '\n' ' ' || true; }
if [ $# -eq 0 ]; then
  set -- $(cd "$here" && ls *.cpp | sed -n 's/\.cpp$//p' | grep -v '^replay_main$')
fi
failed=""
for name in "$@"; do
  fuzzer="$build/bin/fuzz_$name"
  work="$build/work/$name"
  artifacts="$build/artifacts/$name"
  mkdir -p "$work" "$artifacts"
  [ -d "$here/corpus/$name" ] && cp -n "$here/corpus/$name"/* "$work"/ 2>/dev/null || true
  dict=""
  [ -f "$here/dict/$name.dict" ] && dict="-dict=$here/dict/$name.dict"
  options=$(options "$name")
  log="$build/work/$name.log"
  if "$fuzzer" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$artifacts/" \
       -rss_limit_mb=2048 -timeout=10 $dict $options "$work" > "$log" 2>&1; then
    status=ok
  else
    status=FAILED
    failed="$failed $name"
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  edges=$(sed -n 's/.*cov: \([0-9]*\).*/\1/p' "$log" | tail -n 1)
  echo "fuzz $name: $status, ${runs:-0} runs in ${seconds} s, ${edges:-0} edges, corpus $(ls "$work" | wc -l) inputs"
  [ "$status" = ok ] || tail -n 30 "$log"
done
if [ -n "$failed" ]; then
  echo "fuzz: failing targets:$failed (inputs under $build/artifacts)"
  exit 1
fi
