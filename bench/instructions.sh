#!/usr/bin/env bash
# Whole-run instruction counts, from valgrind --tool=callgrind, of the
# program, the minimal C loop and the draws-only floor at the same fixed
# clock values (default: three). The program and the loop must print the
# same report there; the floor makes as many rand() pairs as the program.
#
# A count depends on everything the loader and libc read at start-up: the
# environment, the program's path, the working folder, and the loader's
# cache of libraries, /etc/ld.so.cache, which it searches for libc.so.6
# and which installing any library rewrites. So every run gets the same
# ones, whoever calls this: the binaries are copied into a folder whose
# name always has the same length, and each runs there as ./NAME with an
# environment of env -i, libc's folder in LD_LIBRARY_PATH, where the loader
# finds libc.so.6 before it would look in its cache, and the shim's
# variables. The same binaries then give the same counts on every run.
#
# usage: instructions.sh BUILD [CLOCK...]
#   BUILD  a build folder with the tests, such as build/test
set -euo pipefail
export LC_ALL=C  # valgrind's summary is read below
[ $# -ge 1 ] || { echo "usage: $0 build [clock...]" >&2; exit 2; }
build=$1
shift
[ $# -gt 0 ] || set -- 1700000000 0 4294967296
preload=$(cd "$(dirname "$0")/../tests" && pwd)/preload.sh
valgrind=$(command -v valgrind) || { echo "$0: valgrind: not found" >&2; exit 1; }
libc_folder=$(ldd "$build/random_hex_generator" | sed -n 's|^\tlibc\.so\.6 => \(/.*\)/libc\.so\.6 .*|\1|p')
[ -n "$libc_folder" ] || { echo "$0: ldd names no libc.so.6 for the program" >&2; exit 1; }

work=$(mktemp -d /tmp/instructions.XXXXXXXX)
trap 'rm -rf "$work"' EXIT
cp "$build/random_hex_generator" "$build/bench/minimal_loop" "$build/bench/draws_only" \
  "$build/bench/libfixed_time.so" "$work/"

# count CLOCK NAME [ARG...]: prints the instruction count of one run of
# ./NAME at CLOCK; its report goes to $work/NAME.out. A run valgrind cannot
# count, such as one built with AddressSanitizer, fails the whole.
count() {
  local clock=$1 name=$2 collected
  shift 2
  (cd "$work" && env -i PATH=/usr/bin:/bin "LD_LIBRARY_PATH=$libc_folder" \
    "$preload" ./libfixed_time.so "FIXED_TIME=$clock" \
    "$valgrind" --tool=callgrind --callgrind-out-file=/dev/null "./$name" "$@" \
    >"$name.out" 2>"$name.log") || true
  collected=$(sed -n 's/^==[0-9]*== Collected : \([0-9]*\)$/\1/p' "$work/$name.log")
  [ -n "$collected" ] ||
    { tail -n 5 "$work/$name.log" >&2; echo "$0: valgrind counted no run of $name" >&2; return 1; }
  echo "$collected"
}

printf '%-12s %9s %12s %12s %12s %8s %8s\n' \
  clock attempts program minimal_loop draws_only /loop /draws
while read -r clock attempts; do
  p=$(count "$clock" random_hex_generator)
  m=$(count "$clock" minimal_loop)
  d=$(count "$clock" draws_only "$attempts")
  cmp -s "$work/random_hex_generator.out" "$work/minimal_loop.out" ||
    { echo "$0: at clock $clock the program and the minimal loop print different reports" >&2; exit 1; }
  awk -v c="$clock" -v a="$attempts" -v p="$p" -v m="$m" -v d="$d" \
    'BEGIN { printf "%-12s %9d %12d %12d %12d %8.4f %8.4f\n", c, a, p, m, d, p / m, p / d }'
done < <("$build/bench/attempts" "$@")
