#!/usr/bin/env bash
# Prints three lines that name the machine it runs on, a blank line, and
# that machine's Benchmarks table, in Markdown, as HACKING.md gives it: the
# benchmark program's figures, the instructions and mispredicted branches
# of whole runs (instructions.sh, so valgrind is needed), and the time of
# whole runs of the program against the minimal C loop and the draws-only
# floor. Nothing is asserted: the figures are what this machine measures.
# Takes about a minute, and is best run on an otherwise idle machine.
#
# usage: figures.sh [BUILD]
#   BUILD  a build folder with the tests and Google Benchmark, such as
#          build/test (the default)
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

# arguments FAMILY: the family's arguments, as its rows' names carry them
# (attempts_per_accepted/400000000/...), separated by spaces.
arguments() {
  sed -n 's|^"'"$1"'/\([0-9/]*\)/iterations.*|\1|p' "$work/$1.csv" | head -n 1 | tr / ' '
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
# program makes at its clock: the floor makes that many, and the program
# and the minimal loop ignore their arguments. Prints one line a round: the
# mean milliseconds of a run of the program, the loop and the floor.
whole_runs() {
  local rounds=$1 pairs=$2 round i program
  for ((round = 0; round < rounds; round++)); do
    for ((i = 0; i < 3; i++)); do
      program=${programs[(round + i) % 3]}
      # shellcheck disable=SC2016 # expanded by the inner bash
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
long_attempts=$(cut -d ' ' -f 2 "$work/long_pairs")

"$here/instructions.sh" "$build" >"$work/instructions"

cxx=$(sed -n 's/^CMAKE_CXX_COMPILER:[A-Z]*=//p' "$build/CMakeCache.txt")
# cpuinfo FIELD: the first processor's FIELD in /proc/cpuinfo.
cpuinfo() { sed -n "s/^$1[[:space:]]*: //p" /proc/cpuinfo | head -n 1; }
cpu=$(cpuinfo 'model name')
for field in 'cpu family' model stepping; do
  value=$(cpuinfo "$field")
  [ -z "$value" ] || cpu="$cpu, ${field#cpu } $value"
done
cores=$(nproc)
# shellcheck source=/dev/null
os=$(. /etc/os-release && echo "$PRETTY_NAME")

echo "Measured on $(date -u +%Y-%m-%d) by \`bench/figures.sh\`: ${cpu:-$(uname -m)}; $cores cores;"
build_type=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build/CMakeCache.txt")
echo "$os; $(getconf GNU_LIBC_VERSION); $("$cxx" --version | head -n 1), $build_type build;"
echo "$(valgrind --version)."
echo
echo "| Figure | Value |"
echo "| --- | --- |"
read -r seed_first seed_count < <(arguments accepted_over_floor)
echo "| an attempt of the program's draw loop, \`draw_accepted()\`, and two bare \`rand()\` calls, seeded as at $seed_count clocks from $seed_first (\`accepted_over_floor\`, $repetitions runs); the first over the second | $(field accepted_over_floor attempt_ns | range %.1f), $(field accepted_over_floor floor_ns | range %.1f) ns: $(field accepted_over_floor ratio | range %.3f) times |"
awk -v n="$(arguments attempts_per_accepted)" "$group"' { printf "| attempts per accepted value (`attempts_per_accepted`) | %s: %s accepted in %s attempts |\n", group(n / $1), group($1), group(n) }' \
  < <(field attempts_per_accepted accepted)
awk -v n="$(arguments attempts_per_range_pass)" "$group"' { printf "| attempts per range-check pass, so per byte check (`attempts_per_range_pass`) | %s: %s passes in %s attempts |\n", group(n / $1), group($1), group(n) }' \
  < <(field attempts_per_range_pass range_passes)
# instructions.sh's rows, after its two lines of headings.
awk "$group"' NR > 2 {
  what = NR > 3 ? "as above" : "instructions, then mispredicted conditional branches (cachegrind'"'"'s branch simulation), of the program, the minimal C loop and draws only"
  printf "| a whole run at clock %s (%s attempts): %s | %s, %s, %s: %.4f times the loop'"'"'s, %.4f times the floor'"'"'s; %s, %s, %s: %.3f times the loop'"'"'s, %.3f times the floor'"'"'s |\n", $1, group($2), what, group($3), group($4), group($5), $3 / $4, $3 / $5, group($8), group($9), group($10), $8 / $9, $8 / $10
}' "$work/instructions"
# ratios FILE: a run's time over the loop's, and over the floor's, round by
# round.
ratios() {
  printf '%s times, %s times' "$(awk '{ print $1 / $2 }' "$1" | range %.3f)" \
    "$(awk '{ print $1 / $3 }' "$1" | range %.3f)"
}
# times FILE: each program's time, round by round.
times() {
  printf '%s, %s, %s ms' "$(cut -d ' ' -f 1 "$1" | range %.2f)" \
    "$(cut -d ' ' -f 2 "$1" | range %.2f)" "$(cut -d ' ' -f 3 "$1" | range %.2f)"
}
echo "| a whole run, start-up included, over $runs clocks from $first_clock, $rounds rounds: program, minimal C loop, draws only; then a run over the loop's, and over the floor's, round by round | $(times "$work/whole_runs"); $(ratios "$work/whole_runs") |"
echo "| a whole run at clock $long_clock ($(awk "$group"' { print group($1) }' <<<"$long_attempts") attempts), $long_rounds rounds: as above | $(times "$work/long_runs"); $(ratios "$work/long_runs") |"
awk '{ p += $1; m += $2; d += $3 }
  END { printf "| that run over the minimal C loop'"'"'s, and over the floor'"'"'s, all rounds together | %.3f times, %.3f times |\n", p / m, p / d }' \
  "$work/long_runs"
