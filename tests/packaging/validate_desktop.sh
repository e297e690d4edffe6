#!/bin/sh
# The autostart entry, as configured, is a valid desktop entry, runs
# vorell-session by an absolute path that exists, and stays out of the way
# of desktops that start their autostart entries as systemd units.
# Usage: validate_desktop.sh DESKTOP_FILE BIN_DIR
set -eu
entry=$1 bin=$2
out=$(desktop-file-validate "$entry" 2>&1) || { echo "$out"; exit 1; }
[ -z "$out" ] || { echo "desktop-file-validate: $out"; exit 1; }
grep -qx "Exec=$bin/vorell-session autostart" "$entry" || { echo "Exec line wrong"; exit 1; }
[ -x "$bin/vorell-session" ] || { echo "no $bin/vorell-session"; exit 1; }
grep -qx "X-systemd-skip=true" "$entry" || { echo "no X-systemd-skip"; exit 1; }
echo ok
