#!/usr/bin/env bash
# Whole-run instruction counts, from valgrind --tool=callgrind, of the program
# against the minimal C loop at the same fixed clock values (default: three).
# Both must print the same report; the ratio is program over loop.
#
# usage: instructions.sh PROGRAM MINIMAL_LOOP FIXED_TIME_SHIM [CLOCK...]
set -euo pipefail
export LC_ALL=C  # valgrind's summary is read below
[ $# -ge 3 ] || { echo "usage: $0 program minimal_loop shim [clock...]" >&2; exit 2; }
program=$1 loop=$2 shim=$3
shift 3
preload=$(dirname "$0")/../tests/preload.sh
[ $# -gt 0 ] || set -- 1700000000 0 4294967296
command -v valgrind >/dev/null || { echo "$0: valgrind: not found" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Prints the instruction count of one run; its report goes to $work/$2.
# A run valgrind cannot count, such as one built with AddressSanitizer,
# fails the whole.
count() {
  local collected
  "$preload" "$shim" "FIXED_TIME=$1" valgrind --tool=callgrind \
    --callgrind-out-file=/dev/null "$3" >"$work/$2" 2>"$work/$2.log" || true
  collected=$(sed -n 's/^==[0-9]*== Collected : \([0-9]*\)$/\1/p' "$work/$2.log")
  [ -n "$collected" ] || { tail -n 5 "$work/$2.log" >&2; echo "$0: valgrind counted no run of $3" >&2; return 1; }
  echo "$collected"
}

printf '%-12s %14s %14s %8s\n' clock program minimal_loop ratio
for clock in "$@"; do
  p=$(count "$clock" program "$program")
  m=$(count "$clock" loop "$loop")
  cmp -s "$work/program" "$work/loop" ||
    { echo "$0: at clock $clock the two reports differ" >&2; exit 1; }
  awk -v c="$clock" -v p="$p" -v m="$m" 'BEGIN { printf "%-12s %14d %14d %8.4f\n", c, p, m, p / m }'
done
