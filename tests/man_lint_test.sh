#!/bin/sh
# mandoc -Tlint must report nothing about the man page. Two messages are
# left out because they speak of this machine's manuals, not of the page:
# that its manual database is out of date, and that a page cross-referenced
# with .Xr, such as rand(3) from manpages-dev, is not installed here.
# usage: man_lint_test.sh MANDOC PAGE
if [ ! -x "$1" ]; then
  echo "mandoc not found (Debian package mandoc): the man page is not linted"
  exit 77
fi
report=$("$1" -Tlint "$2" 2>&1 |
  grep -v -e ': outdated mandoc.db lacks ' -e ': referenced manual not found: ')
[ -z "$report" ] && exit 0
printf '%s\n' "$report"
exit 1
