#!/bin/sh
# Every unit that vorell.target pulls in, configured for the build's bin
# folder, passes "systemd-analyze --user verify" without a word: unknown
# keys, missing programs and Documentation= pages that man cannot find all
# print something. Runs as root without a running systemd: the user manager
# only needs a private runtime folder.
# Usage: verify_units.sh UNIT_DIR MAN_DIR [UNIT_TO_SKIP ...]
set -eu
units=$1 man=$2
shift 2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# man finds pages in a manN tree.
mkdir -p "$tmp/man/man1" "$tmp/man/man7" "$tmp/runtime" "$tmp/units"
chmod 700 "$tmp/runtime"
cp -P "$man"/*.1.gz "$tmp/man/man1/"
cp -P "$man"/*.7.gz "$tmp/man/man7/"
cp "$units"/vorell* "$tmp/units/"
cd "$tmp/units"

# The target and everything it wants, instances of the watcher template too.
wanted=$(sed -n 's/^Wants=//p' vorell.target)
list=vorell.target
for unit in $wanted; do
    skip=no
    for s in "$@"; do [ "$unit" = "$s" ] && skip=yes; done
    [ $skip = yes ] && { echo "not verified (its program is not built): $unit"; continue; }
    template=$(printf '%s' "$unit" | sed 's/@[^.]*\./@./')
    [ -f "$template" ] || { echo "vorell.target wants $unit, which is not shipped"; exit 1; }
    list="$list $unit"
done
[ "$(echo $list | wc -w)" -ge 9 ] || { echo "too few units: $list"; exit 1; }

out=$(MANPATH="$tmp/man" XDG_RUNTIME_DIR="$tmp/runtime" systemd-analyze --user verify $list 2>&1) || {
    echo "$out"; exit 1; }
if [ -n "$out" ]; then
    echo "systemd-analyze had something to say:"
    echo "$out"
    exit 1
fi
echo "verified: $list"
