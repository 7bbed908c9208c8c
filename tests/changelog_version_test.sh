#!/bin/sh
# The changelog's latest entry must be for this package at the version the
# build says it is.
# usage: changelog_version_test.sh CHANGELOG PACKAGE VERSION
latest=$(head -n 1 "$1")
case $latest in
"$2 ($3) "*) exit 0 ;;
esac
printf '%s: the latest entry is "%s", not %s (%s)\n' "$1" "$latest" "$2" "$3"
exit 1
