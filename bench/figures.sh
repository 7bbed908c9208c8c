#!/usr/bin/env bash
# Prints HACKING.md's two Benchmarks tables in Markdown, the second with one
# row, this machine's:
# - counts of whole runs at two clocks, from instructions.sh, over
#   draws_only's;
# - times on this CPU: whole runs of the program at clock 1765007056 over
#   those of draws_only and minimal_loop, 21 rounds of one run each,
#   summed; and the benchmark program's draw_accepted() over two bare
#   draws an attempt, its 6 iterations summed.
# It fails when the benchmark program is not built, valgrind is missing,
# a run fails, or instructions.sh fails, as it does when the program and
# minimal_loop print different reports. Run it on an otherwise idle machine.
#
# usage: figures.sh [BUILD]
#   BUILD  a build folder with the tests and Google Benchmark, such as
#          build/test (the default)
# shellcheck disable=SC2016 # single quotes hold Markdown's backquotes and the inner bash's $1
set -euo pipefail
export LC_ALL=C  # the tools' output is read below, and awk prints numbers
build=${1:-build/test}
here=$(dirname "$0")
bench=$build/bench/random_hex_generator_bench
[ -x "$bench" ] || {
  echo "$0: $bench: not built: it needs the tests' build with Google Benchmark: apt-get install libbenchmark-dev, then run cmake --workflow --preset test again" >&2
  exit 1
}
command -v valgrind >/dev/null || { echo "$0: valgrind: not found: apt-get install valgrind" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$here/instructions.sh" "$build" >"$work/counts"
"$bench" --benchmark_filter='^accepted_over_floor/' --benchmark_format=csv 2>/dev/null >"$work/bench.csv"

# Whole runs at one clock whose run is long, so that start-up counts for
# little: each round runs each program once, the order turning each round
# so that drift in the machine's speed falls on all alike. draws_only is
# given the number of rand() pairs the program makes there; the program and
# minimal_loop ignore it.
clock=1765007056 rounds=21
read -r _ pairs < <("$build/bench/attempts" "$clock")
programs=("$build/random_hex_generator" "$build/bench/minimal_loop" "$build/bench/draws_only")
for ((round = 0; round < rounds; round++)); do
  for ((i = 0; i < 3; i++)); do
    "$here/../tests/preload.sh" "$build/bench/libfixed_time.so" "FIXED_TIME=$clock" bash -c '
      set -e
      start=$EPOCHREALTIME
      "$1" "$2" >/dev/null
      echo "${1##*/} $start $EPOCHREALTIME"' _ "${programs[(round + i) % 3]}" "$pairs"
  done
done >"$work/runs"

# cpuinfo FIELD: the first processor's FIELD in /proc/cpuinfo.
cpuinfo() { sed -n "s/^$1[[:space:]]*: //p" /proc/cpuinfo | head -n 1; }
cpu=$(cpuinfo 'model name')
for field in 'cpu family' model; do
  value=$(cpuinfo "$field")
  [ -z "$value" ] || cpu="$cpu, ${field#cpu } $value"
done

over="× \`draws_only\`'s"
echo "| Clock | attempts | program's instructions, $over | \`minimal_loop\`'s instructions, $over | program's mispredicted conditional branches, $over | \`minimal_loop\`'s mispredicted conditional branches, $over |"
echo '| --- | --- | --- | --- | --- | --- |'
# instructions.sh's rows, after its two lines of headings, over draws_only's.
awk 'NR > 2 { a = sprintf("%d", $2); while (a ~ /[0-9][0-9][0-9][0-9]/) sub(/[0-9][0-9][0-9]($|,)/, ",&", a)
  printf "| %s | %s | %.3f | %.3f | %.3f | %.3f |\n", $1, a, $3 / $5, $4 / $5, $8 / $10, $9 / $10 }' "$work/counts"
echo
echo "| CPU | program / \`draws_only\`, $rounds runs each at clock $clock | program / \`minimal_loop\`, the same | \`draw_accepted()\` / two bare draws an attempt, 6 passes over the 50 clocks |"
echo '| --- | --- | --- | --- |'
ratio=$(awk -F, 'NR == 1 { for (i = 1; i <= NF; i++) if ($i == "\"ratio\"") c = i; next }
  { printf "%.3f", $c }' "$work/bench.csv")
awk -v cpu="${cpu:-$(uname -m)}, $(nproc) cores" -v ratio="$ratio" '{ s[$1] += $3 - $2 }
  END { printf "| %s | %.3f | %.3f | %s |\n", cpu, s["random_hex_generator"] / s["draws_only"],
    s["random_hex_generator"] / s["minimal_loop"], ratio }' "$work/runs"
