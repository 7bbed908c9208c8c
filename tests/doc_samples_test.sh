#!/usr/bin/env bash
# The sample runs in the documents are what the program prints. A sample is
# a literal block (```text in Markdown, .Bd -literal in a man page) whose
# first line is a command that runs random_hex_generator and whose other
# lines are its output. A command line that ends in an odd number of
# backslashes loses the last one and is joined by the next line of its
# block, leading blanks and all, wherever the backslash stands (sh would not
# join in single quotes or a comment). The command must be
#   $ TZ=UTC faketime -f 'DATE' random_hex_generator [| COMMAND...]
# (faketime -f with a date stops the clock there, in the zone TZ). The
# program is run with the clock stopped at DATE, UTC, by the fixed-clock
# shim, piped on as the line says, and must print those lines byte for
# byte; the document must also name DATE in seconds. Where the program runs
# natively and faketime can stop a clock here, sh also runs the command,
# joined, with the program's folder first on PATH; otherwise the test
# says why not. Each document must hold a sample.
#
# usage: doc_samples_test.sh SHIM PROGRAM DOCUMENT... [-- EMULATOR...]
set -u
export LC_ALL=C
[ $# -ge 3 ] || { echo "usage: $0 shim program document... [-- emulator...]" >&2; exit 2; }
shim=$1 program=$2
shift 2
documents=()
while [ $# -gt 0 ] && [ "$1" != -- ]; do
  documents+=("$1")
  shift
done
[ $# -gt 0 ] && shift
emulator=("$@")
preload=$(dirname "$0")/preload.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Whether the samples are also run as written, and if not, why.
as_written=
if [ ${#emulator[@]} -gt 0 ]; then
  why="the program runs under an emulator"
elif ! command -v faketime >/dev/null; then
  why="faketime not found"
elif ! stopped=$(TZ=UTC faketime -f '2000-01-01 00:00:00' date +%s 2>&1) ||
  [ "$stopped" != 946684800 ]; then
  why="faketime cannot stop the clock here ($(head -n 1 <<<"$stopped"))"
else
  as_written=1
fi

# extract DOCUMENT FOLDER: writes each sample's first line to FOLDER/N.command
# and the rest, as a reader sees it, to FOLDER/N.expected. In a man page
# only \& (nothing) and \e (a backslash) may appear; any other escape fails.
extract() {
  mkdir "$2"
  awk -v man="$([[ $1 == *.md ]] && echo 0 || echo 1)" -v folder="$2" '
    function unescape(line,   out, i, c) {
      out = ""
      for (i = 1; i <= length(line); i++) {
        c = substr(line, i, 1)
        if (c == "\\") {
          c = substr(line, ++i, 1)
          if (c == "&") c = ""
          else if (c == "e") c = "\\"
          else { printf "line %d: escape \\%s in a sample\n", NR, c; failed = 1 }
        }
        out = out c
      }
      return out
    }
    man && /^\.Bd -literal/ { inside = 1; first = 1; continued = 0; next }
    man && /^\.Ed/ { inside = 0; next }
    !man && /^```/ { inside = !inside && $0 == "```text"; first = 1; continued = 0; next }
    inside {
      line = man ? unescape($0) : $0
      if (first) {
        if (continued) line = command line
        continued = match(line, /\\+$/) && RLENGTH % 2
        if (continued) { command = substr(line, 1, length(line) - 1); next }
        first = 0
        sample = line ~ /^\$ .*random_hex_generator/
        if (sample) {
          n++
          print line > (folder "/" n ".command")
          printf "" > (folder "/" n ".expected")
        }
      } else if (sample) {
        print line > (folder "/" n ".expected")
      }
    }
    END { exit failed }' "$1"
}

# same DOCUMENT N WHY: the output in $work/actual is sample N's; if not,
# says WHY and shows the difference.
same() {
  cmp -s "$work/samples/$2.expected" "$work/actual" && return 0
  echo "$1: sample $2$3"
  diff "$work/samples/$2.expected" "$work/actual"
  return 1
}

# check DOCUMENT N: sample N of the document, extracted into $work/samples.
check() {
  local command date clock pipeline
  command=$(cat "$work/samples/$2.command")
  if [[ ! $command =~ ^\$\ TZ=UTC\ faketime\ -f\ \'([^\']+)\'\ random_hex_generator(\ \|\ (.+))?$ ]]; then
    echo "$1: sample $2: not \$ TZ=UTC faketime -f 'DATE' random_hex_generator [| ...]: $command"
    return 1
  fi
  date=${BASH_REMATCH[1]} pipeline=${BASH_REMATCH[3]:-cat}
  clock=$(date -u -d "$date UTC" +%s) || { echo "$1: sample $2: no date: $date"; return 1; }
  grep -qw -- "$clock" "$1" || { echo "$1: sample $2: $date, clock value $clock, is not named"; return 1; }

  "$preload" "$shim" "FIXED_TIME=$clock" "${emulator[@]}" "$program" | sh -c "$pipeline" >"$work/actual"
  same "$1" "$2" ", at clock $clock: the document differs from the program's output" || return 1
  if [ -n "$as_written" ]; then
    PATH="$(dirname "$program"):$PATH" sh -c "${command#\$ }" >"$work/actual"
    same "$1" "$2" ": run as written, it prints otherwise" || return 1
  fi
  echo "$1: sample $2, at clock $clock ($date), is the program's output"
}

failures=0
for document in "${documents[@]}"; do
  rm -rf "$work/samples"
  extract "$document" "$work/samples" || { failures=$((failures + 1)); continue; }
  count=$(find "$work/samples" -name '*.command' | wc -l)
  [ "$(find "$work/samples" -name '*.expected' -size +0 | wc -l)" -gt 0 ] ||
    { echo "$document: no sample run"; failures=$((failures + 1)); }
  for ((n = 1; n <= count; n++)); do
    [ -s "$work/samples/$n.expected" ] || continue  # a command shown without its output
    check "$document" "$n" || failures=$((failures + 1))
  done
done
[ -n "$as_written" ] || echo "$why: the samples were not also run as written"
echo "$failures failures"
[ "$failures" -eq 0 ]
