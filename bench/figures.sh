#!/usr/bin/env bash
# Prints three lines on when and on what machine it measures, a blank line,
# and HACKING.md's Benchmarks tables in Markdown, with this machine's
# figures, its timings in one Value column: the benchmark program's, the
# instructions and mispredicted branches of whole runs (instructions.sh, so
# valgrind is needed), and the time of whole runs of the program against
# minimal_loop and draws_only. Nothing is asserted. Takes about 30 s on a
# 2-core AMD EPYC of family 25, model 17, and is best run on an otherwise
# idle machine.
#
# usage: figures.sh [BUILD]
#   BUILD  a build folder with the tests and Google Benchmark, such as
#          build/test (the default)
# shellcheck disable=SC2016 # single quotes hold Markdown's backquotes and the inner bash's $1
set -euo pipefail
export LC_ALL=C  # the tools' output is read below, and awk prints numbers
build=${1:-build/test}
here=$(dirname "$0")
preload=$here/../tests/preload.sh
bench=$build/bench/random_hex_generator_bench
[ -x "$bench" ] || {
  echo "$0: $bench: not built: it needs the tests' build with Google Benchmark: apt-get install libbenchmark-dev, then run cmake --workflow --preset test again" >&2
  exit 1
}
command -v valgrind >/dev/null || { echo "$0: valgrind: not found: apt-get install valgrind" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# group N: N with its thousands grouped, as 1,916.
group='function group(n,   s, r) {
  s = sprintf("%.0f", n); r = ""
  while (length(s) > 3) { r = "," substr(s, length(s) - 2) r; s = substr(s, 1, length(s) - 3) }
  return s r
}'

# benchmark FAMILY [OPTION...]: runs one family of the benchmark program,
# whose runs then fill $work/FAMILY.csv.
benchmark() {
  "$bench" --benchmark_filter="^$1(/|\$)" --benchmark_format=csv "${@:2}" 2>/dev/null >"$work/$1.csv"
}

# field FAMILY COLUMN: the column, by its heading, of the family's own runs
# (not the aggregates that repetitions add, named ..._mean and so on), one
# value a line.
field() {
  awk -F, -v family="$1" -v column="$2" '
    NR == 1 { for (i = 1; i <= NF; i++) { h = $i; gsub(/"/, "", h); at[h] = i }; next }
    { name = $1; gsub(/"/, "", name) }
    index(name, family "/") == 1 && name !~ /_[a-z]+$/ { print $at[column] }' "$work/$1.csv"
}

# argument FAMILY: the family's argument, as its row's name carries it
# (attempts_per_accepted/400000000/...).
argument() {
  sed -n 's|^"'"$1"'/\([0-9]*\)/iterations.*|\1|p' "$work/$1.csv"
}

# range FORMAT: "LOW to HIGH" of the numbers on standard input.
range() {
  sort -g | awk -v f="$1" 'NR == 1 { low = $1 } { high = $1 } END { printf f " to " f, low, high }'
}

repetitions=6
benchmark accepted_over_floor --benchmark_repetitions=$repetitions
benchmark attempts_per_accepted
benchmark attempts_per_range_pass

# whole_runs ROUNDS PAIRS: times whole runs of each program at the clock
# values of PAIRS, bench/attempts' output, in ROUNDS rounds, the order
# turning each round so that drift in the machine's speed falls on all
# alike. Each run is given as an argument the number of rand() pairs the
# program makes at its clock: draws_only makes that many, and the program
# and minimal_loop ignore their arguments. Prints one line a round: the
# mean milliseconds of a run of the program, minimal_loop and draws_only.
whole_runs() {
  local rounds=$1 pairs=$2 round i program
  for ((round = 0; round < rounds; round++)); do
    for ((i = 0; i < 3; i++)); do
      program=${programs[(round + i) % 3]}
      "$preload" "$build/bench/libfixed_time.so" bash -c '
        set -e
        start=$EPOCHREALTIME
        while read -r clock pairs; do
          FIXED_TIME=$clock "$1" "$pairs" >/dev/null
        done <"$2"
        echo "$(basename "$1") $3 $start $EPOCHREALTIME"' _ "$program" "$pairs" "$round"
    done
  done | awk -v runs="$(wc -l <"$pairs")" -v rounds="$rounds" '
    { ms[$1, $2] = ($4 - $3) * 1000 / runs; n++ }
    END {
      if (n != 3 * rounds) exit 1
      for (r = 0; r < rounds; r++)
        print ms["random_hex_generator", r], ms["minimal_loop", r], ms["draws_only", r]
    }' || { echo "$0: a whole run failed" >&2; exit 1; }
}
programs=("$build/random_hex_generator" "$build/bench/minimal_loop" "$build/bench/draws_only")
first_clock=1700000000 runs=200 rounds=4
"$build/bench/attempts" $(seq "$first_clock" $((first_clock + runs - 1))) >"$work/pairs"
whole_runs "$rounds" "$work/pairs" >"$work/whole_runs"
# One clock whose run is long, so that start-up counts for little in it.
long_clock=1765007056 long_rounds=21
"$build/bench/attempts" "$long_clock" >"$work/long_pairs"
whole_runs "$long_rounds" "$work/long_pairs" >"$work/long_runs"

"$here/instructions.sh" "$build" >"$work/instructions"

cxx=$(sed -n 's/^CMAKE_CXX_COMPILER:[A-Z]*=//p' "$build/CMakeCache.txt")
build_type=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build/CMakeCache.txt")
# cpuinfo FIELD: the first processor's FIELD in /proc/cpuinfo.
cpuinfo() { sed -n "s/^$1[[:space:]]*: //p" /proc/cpuinfo | head -n 1; }
cpu=$(cpuinfo 'model name')
for field in 'cpu family' model stepping; do
  value=$(cpuinfo "$field")
  [ -z "$value" ] || cpu="$cpu, ${field#cpu } $value"
done
# shellcheck source=/dev/null
os=$(. /etc/os-release && echo "$PRETTY_NAME")

echo "Measured on $(date -u +%Y-%m-%d) by \`bench/figures.sh\`."
echo "CPU: ${cpu:-$(uname -m)}; $(nproc) cores."
echo "Software: $os; $(getconf GNU_LIBC_VERSION); $("$cxx" --version | head -n 1), $build_type build; $(valgrind --version)."
echo
echo '| Attempts from seed 1 | attempts | passes | attempts per pass |'
echo '| --- | --- | --- | --- |'
# count FAMILY COUNTER WHAT: the family's row of that table.
count() {
  awk -v n="$(argument "$1")" -v what="$3" "$group"' {
    printf "| %s | %s | %s | %s |\n", what, group(n), group($1), group(n / $1) }' < <(field "$1" "$2")
}
count attempts_per_accepted accepted 'both checks (`attempts_per_accepted`)'
count attempts_per_range_pass range_passes 'the range check (`attempts_per_range_pass`)'
echo
echo "| Whole run at clock | attempts | program's instructions | \`minimal_loop\`'s | \`draws_only\`'s | program / \`minimal_loop\` | program / \`draws_only\` | program's mispredicted branches | \`minimal_loop\`'s | \`draws_only\`'s | program / \`minimal_loop\` | program / \`draws_only\` |"
echo '| --- | --- | --- | --- | --- | --- | --- | --- | --- | --- | --- | --- |'
# instructions.sh's rows, after its two lines of headings.
awk "$group"' NR > 2 { printf "| %s | %s | %s | %s | %s | %.4f | %.4f | %s | %s | %s | %.3f | %.3f |\n",
  $1, group($2), group($3), group($4), group($5), $3 / $4, $3 / $5, group($8), group($9), group($10), $8 / $9, $8 / $10 }' "$work/instructions"
echo
echo '| Timing | Value |'
echo '| --- | --- |'
# row WHAT FIGURE: a row of that table.
row() { echo "| $1 | $2 |"; }
what="\`accepted_over_floor\`, $repetitions runs"
row "$what: ns an attempt of \`draw_accepted()\`" "$(field accepted_over_floor attempt_ns | range %.1f)"
row "$what: \`draw_accepted()\` / two bare draws" "$(field accepted_over_floor ratio | range %.3f)"
# whole_rows WHAT FILE: the rows of whole_runs' output in FILE: the
# program's time, then its time over the others', round by round.
whole_rows() {
  row "$1: ms a run of the program" "$(cut -d ' ' -f 1 "$2" | range %.2f)"
  row "$1: program / \`minimal_loop\`" "$(awk '{ print $1 / $2 }' "$2" | range %.3f)"
  row "$1: program / \`draws_only\`" "$(awk '{ print $1 / $3 }' "$2" | range %.3f)"
}
whole_rows "$runs clocks from $first_clock, $rounds rounds" "$work/whole_runs"
whole_rows "clock $long_clock, $long_rounds rounds" "$work/long_runs"
read -r over_loop over_floor < <(awk '{ p += $1; m += $2; d += $3 } END { printf "%.3f %.3f\n", p / m, p / d }' "$work/long_runs")
row "clock $long_clock, all $long_rounds rounds together: program / \`minimal_loop\`" "$over_loop"
row "clock $long_clock, all $long_rounds rounds together: program / \`draws_only\`" "$over_floor"
