#!/bin/sh
# Every manual page renders with man without a warning, and every program of
# the package has a page (a page of its own or a link to a shared one).
# Usage: render_manuals.sh MAN_DIR PROGRAM ...
set -eu
man=$1
shift
status=0
for page in "$man"/*.1 "$man"/*.5 "$man"/*.7; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
    if [ -n "$warnings" ]; then
        echo "$page:"; echo "$warnings"; status=1
    fi
    # A page that renders to nothing is as broken as one with warnings.
    lines=$(LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$page" 2>/dev/null | wc -l)
    [ "$lines" -gt 10 ] || { echo "$page: only $lines lines"; status=1; }
done
for program in "$@"; do
    page="$man/$program.1.gz"
    if [ ! -e "$page" ]; then
        echo "no manual page for $program"; status=1
    elif ! zcat "$page" | grep -q -- "$program"; then
        echo "$page does not name $program"; status=1
    fi
done
exit $status
