#!/bin/sh
# Merges what the runs found into the kept seed corpus, minimised:
#   fuzz/minimise.sh BUILD_DIR [NAME...]
# For each target, libFuzzer's merge keeps the smallest set of inputs from
# fuzz/corpus/NAME and BUILD_DIR/work/NAME that reaches the same coverage,
# and that set replaces fuzz/corpus/NAME (commit it when it stays small).
# The merge takes the target's fuzz/options/NAME as fuzz/run.sh does: with
# a smaller -max_len it would cut the long inputs the runs kept.
set -eu
build=$1
shift
here=$(cd "$(dirname "$0")" && pwd)
options() { [ -f "$here/options/$1" ] && grep -v '^#' "$here/options/$1" | tr '\n' ' ' || true; }
if [ $# -eq 0 ]; then
  set -- $(cd "$here" && ls *.cpp | sed -n 's/\.cpp$//p' | grep -v '^replay_main$')
fi
for name in "$@"; do
  fuzzer="$build/bin/fuzz_$name"
  merged="$build/merged/$name"
  rm -rf "$merged"
  mkdir -p "$merged" "$here/corpus/$name" "$build/work/$name"
  "$fuzzer" -merge=1 -rss_limit_mb=2048 -timeout=10 $(options "$name") "$merged" "$here/corpus/$name" "$build/work/$name" \
    > "$build/merged/$name.log" 2>&1
  rm -rf "$here/corpus/$name"
  mv "$merged" "$here/corpus/$name"
  echo "fuzz $name: corpus $(ls "$here/corpus/$name" | wc -l) inputs, $(du -sk "$here/corpus/$name" | cut -f1) KB"
done
