#!/usr/bin/env bash
# The program and the minimal C loop, run with the clock stopped at the same
# value, must print the same bytes, the program nothing on standard error,
# and both must exit 0. The clock values take in the edges of the seed (0,
# -1, 2^31, 2^32 and past) and seconds whose accepted value holds a TAB, LF
# or CR byte.
#
# usage: same_report_test.sh SHIM PROGRAM MINIMAL_LOOP [EMULATOR...]
set -u
shim=$1 program=$2 loop=$3
shift 3
emulator=("$@")
preload=$(dirname "$0")/preload.sh

run() {  # run CLOCK BINARY
  "$preload" "$shim" "FIXED_TIME=$1" "${emulator[@]}" "$2"
}

failures=0
for clock in 0 -1 1 1700000000 1700000024 1700000025 1700000032 \
  2147483647 2147483648 4294967295 4294967296 4294967297 -2147483649 \
  253402300799; do
  expected=$(run "$clock" "$loop"; echo "status $?")
  actual=$(run "$clock" "$program" 2>&1; echo "status $?")
  if [ "$expected" != "$actual" ]; then
    echo "clock $clock: program and minimal loop differ"
    diff <(printf '%s\n' "$expected") <(printf '%s\n' "$actual")
    failures=$((failures + 1))
  elif [[ $actual != *$'\n'"status 0" ]]; then
    echo "clock $clock: both exit with status ${actual##*status }, not 0"
    failures=$((failures + 1))
  fi
done
echo "$failures clock values fail"
[ "$failures" -eq 0 ]
