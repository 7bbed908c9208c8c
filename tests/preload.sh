#!/usr/bin/env bash
# Runs a command with a shim preloaded into it and, optionally, variables
# set for it. The tests, the benchmarks and CI all run the program this way,
# with bench's clock-stopping shim or the tests' unbuffering one.
#
# The loader splits LD_PRELOAD at spaces and colons, with no escape, so a
# shim in a folder such as "~/My Projects/build" cannot be named there by
# its path. LD_PRELOAD gets the shim's bare file name instead, which the
# loader looks up like a library: in LD_LIBRARY_PATH, whose entries are
# split only at colons and semicolons. A folder holding either is refused.
#
# qemu-user hands its own environment on to the program it runs, but the
# host's loader would first try to preload the target's shim into qemu
# itself. So when COMMAND is a qemu-user program (qemu-*), the variables go
# to the program through qemu's -E option instead.
#
# usage: preload.sh SHIM [NAME=VALUE...] COMMAND [ARG...]
#   e.g. preload.sh build/test/bench/libfixed_time.so FIXED_TIME=0 build/test/random_hex_generator
set -euo pipefail
[ $# -ge 2 ] || { echo "usage: $0 shim [name=value...] command [arg...]" >&2; exit 2; }
shim=$1
shift
folder=$(dirname "$shim")
case $folder in
*[:\;]*)
  echo "$0: $folder: a folder with ':' or ';' cannot be searched for the shim" >&2
  exit 2
  ;;
esac
variables=("LD_LIBRARY_PATH=$folder${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}"
  "LD_PRELOAD=$(basename "$shim")")
while [[ $# -gt 0 && $1 == [A-Za-z_]*=* ]]; do
  variables+=("$1")
  shift
done
[ $# -gt 0 ] || { echo "$0: no command" >&2; exit 2; }

case $(basename "$1") in
qemu-*)
  emulator=$1
  shift
  options=()
  for variable in "${variables[@]}"; do
    options+=(-E "$variable")
  done
  exec "$emulator" "${options[@]}" "$@"
  ;;
*)
  exec env "${variables[@]}" "$@"
  ;;
esac
