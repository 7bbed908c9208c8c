#!/bin/sh
# mandoc -Tlint must report nothing about the man page. The one message left
# out is mandoc's note that this machine's manual database is out of date for
# a cross-referenced page: it speaks of the machine, not of the page.
# usage: man_lint_test.sh MANDOC PAGE
if [ ! -x "$1" ]; then
  echo "mandoc not found (Debian package mandoc): the man page is not linted"
  exit 77
fi
report=$("$1" -Tlint "$2" 2>&1 | grep -v ': outdated mandoc.db lacks ')
[ -z "$report" ] && exit 0
printf '%s\n' "$report"
exit 1
