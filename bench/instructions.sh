#!/usr/bin/env bash
# Whole-run counts, from valgrind --tool=cachegrind with its branch
# simulation, of the program, the minimal C loop and the draws-only floor at
# the same fixed clock values (default: two): the instructions each
# executes and the conditional branches its simulated predictor
# mispredicts. The program and the loop must print the same report there;
# the floor makes as many rand() pairs as the program.
#
# A count depends on everything the loader and libc read at start-up: the
# environment, the program's path, the working folder, and the loader's
# cache of libraries, /etc/ld.so.cache, which it searches for libc.so.6
# and which installing any library rewrites. So every run gets the same
# ones, whoever calls this: the binaries are copied into a folder whose
# name always has the same length, and each runs there as ./NAME with an
# environment of env -i, libc's folder in LD_LIBRARY_PATH, where the loader
# finds libc.so.6 before it would look in its cache, and the shim's
# variables. The same binaries then give the same counts on every run; they
# move with glibc, valgrind, an /etc/ld.so.preload, glibc-hwcaps/x86-64-v2
# or -v3 folders in libc's folder, and whether it is mounted as an overlay.
#
# usage: instructions.sh BUILD [CLOCK...]
#   BUILD  a build folder with the tests, such as build/test
set -euo pipefail
export LC_ALL=C  # valgrind's summary is read below
[ $# -ge 1 ] || { echo "usage: $0 build [clock...]" >&2; exit 2; }
build=$1
shift
[ $# -gt 0 ] || set -- 1700000000 1765007056
preload=$(cd "$(dirname "$0")/../tests" && pwd)/preload.sh
valgrind=$(command -v valgrind) || { echo "$0: valgrind: not found" >&2; exit 1; }
libc_folder=$(ldd "$build/random_hex_generator" | sed -n 's|^\tlibc\.so\.6 => \(/.*\)/libc\.so\.6 .*|\1|p')
[ -n "$libc_folder" ] || { echo "$0: ldd names no libc.so.6 for the program" >&2; exit 1; }

work=$(mktemp -d /tmp/instructions.XXXXXXXX)
trap 'rm -rf "$work"' EXIT
cp "$build/random_hex_generator" "$build/bench/minimal_loop" "$build/bench/draws_only" \
  "$build/bench/libfixed_time.so" "$work/"

# count CLOCK NAME [ARG...]: prints the instructions and the mispredicted
# conditional branches of one run of ./NAME at CLOCK; its report goes to
# $work/NAME.out. A run valgrind cannot count, such as one built with
# AddressSanitizer, fails the whole.
count() {
  local clock=$1 name=$2 counted
  shift 2
  (cd "$work" && env -i PATH=/usr/bin:/bin "LD_LIBRARY_PATH=$libc_folder" \
    "$preload" ./libfixed_time.so "FIXED_TIME=$clock" \
    "$valgrind" --tool=cachegrind --cache-sim=no --branch-sim=yes \
    --cachegrind-out-file=/dev/null "./$name" "$@" >"$name.out" 2>"$name.log") || true
  counted=$(sed -n -e 's/^==[0-9]*== I *refs: *\([0-9,]*\)$/\1/p' \
    -e 's/^==[0-9]*== Mispredicts: .*( *\([0-9,]*\) cond .*/\1/p' "$work/$name.log" |
    tr -d , | paste -s -d ' ')
  [[ $counted =~ ^[0-9]+\ [0-9]+$ ]] ||
    { tail -n 5 "$work/$name.log" >&2; echo "$0: valgrind counted no run of $name" >&2; return 1; }
  echo "$counted"
}

printf '%-21s %-54s %s\n' "" instructions "mispredicted conditional branches"
printf '%-11s %9s %12s %12s %12s %7s %7s %10s %10s %10s %7s\n' clock attempts \
  program minimal_loop draws_only /loop /draws program minimal_loop draws_only /draws
while read -r clock attempts; do
  read -r pi pm < <(count "$clock" random_hex_generator)
  read -r mi mm < <(count "$clock" minimal_loop)
  read -r di dm < <(count "$clock" draws_only "$attempts")
  cmp -s "$work/random_hex_generator.out" "$work/minimal_loop.out" ||
    { echo "$0: at clock $clock the program and the minimal loop print different reports" >&2; exit 1; }
  awk -v c="$clock" -v a="$attempts" -v pi="$pi" -v mi="$mi" -v di="$di" -v pm="$pm" -v mm="$mm" \
    -v dm="$dm" 'BEGIN { printf "%-11s %9d %12d %12d %12d %7.4f %7.4f %10d %10d %10d %7.3f\n",
      c, a, pi, mi, di, pi / mi, pi / di, pm, mm, dm, pm / dm }'
done < <("$build/bench/attempts" "$@")
