#!/usr/bin/env bash
# Runs a command (a test run) with an empty /tmp of its own, then fails if
# the command left anything there: the tests must clean up after
# themselves. The X servers' socket folder (/tmp/.X11-unix), which Xvfb
# makes when it is missing, is not the tests' and does not count. A network
# namespace of its own keeps the X servers' abstract sockets apart from any
# other run on the machine. Needs root.
#
#   scripts/in-private-tmp.sh COMMAND [ARGS...]
set -euo pipefail
if [ "${VORELL_PRIVATE_TMP:-}" != 1 ]; then
    exec env VORELL_PRIVATE_TMP=1 unshare --mount --net "$0" "$@"
fi
mount --make-rprivate /
mount -t tmpfs -o mode=1777 tmpfs /tmp
status=0
"$@" || status=$?
left=$(find /tmp -mindepth 1 -maxdepth 1 ! -name .X11-unix)
if [ -n "$left" ]; then
    echo "left in /tmp by the run:"
    echo "$left"
    [ "$status" -ne 0 ] || status=1
fi
exit "$status"
