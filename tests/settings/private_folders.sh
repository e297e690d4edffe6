#!/bin/sh
# Runs a command with a /tmp and a /run/user of its own, the latter holding
# only this user's private folder: the window and the engine a test starts
# keep their locks and the files beside them there, and they go with the
# mounts. Run inside `unshare --mount`.
set -e
mount -t tmpfs -o mode=1777 tmpfs /tmp
mkdir -p /run/user
mount -t tmpfs -o mode=755 tmpfs /run/user
mkdir -m 700 "/run/user/$(id -u)"
exec "$@"
