#!/bin/sh
# Runs a command with a /run/user of its own, holding only this user's
# private folder: the engine a test starts keeps its lock and the files
# beside it there, and they go with the mount. Run inside `unshare --mount`.
set -e
mount -t tmpfs -o mode=755 tmpfs /run/user
mkdir -m 700 "/run/user/$(id -u)"
exec "$@"
