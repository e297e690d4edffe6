#!/bin/sh
# The parameter page cannot drift from the README: with the README's line of
# one parameter gone, the generator names it and fails the build; with the
# README as it is, every parameter of both tables is on the page.
# Usage: parameter_page_drift.sh PARAMETER_MANUAL README
set -eu
gen=$1 readme=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

"$gen" "$readme" >"$tmp/page.scd"
for client in ctl ctl2; do
    for name in $("$gen" --names $client); do
        escaped=$(printf '%s' "$name" | sed 's/_/\\\\_/g')
        grep -q "^\*$escaped\* (" "$tmp/page.scd" || { echo "$name missing from the page"; exit 1; }
    done
done

for name in ZoomSlider MaxTapTime; do
    grep -v "^| \`$name\` |" "$readme" >"$tmp/README.md"
    if "$gen" "$tmp/README.md" >/dev/null 2>"$tmp/err"; then
        echo "generator accepted a README without $name"; exit 1
    fi
    grep -q "no README line for $name" "$tmp/err" || { cat "$tmp/err"; exit 1; }
done
echo ok
