#!/bin/sh
# vorell-session under a systemd user manager drives vorell.target. The
# manager is a stand-in systemctl on PATH that logs its arguments and answers
# is-enabled / is-active as each case says.
# Usage: session_systemd_test.sh VORELL_SESSION
set -u
session=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir "$tmp/bin"
cat >"$tmp/bin/systemctl" <<'EOT'
#!/bin/sh
echo "$*" >>"$FAKE_LOG"
case "$*" in
*list-unit-files*) echo "vorell.target enabled enabled" ;;
*is-enabled*) exit "$FAKE_ENABLED" ;;
*is-active*) exit "$FAKE_ACTIVE" ;;
*--failed*) [ -z "${FAKE_FAILED:-}" ] || echo "$FAKE_FAILED loaded failed failed Vorell" ;;
esac
exit 0
EOT
chmod +x "$tmp/bin/systemctl"
failures=0

# case COMMAND ENABLED ACTIVE STATUS "expected systemctl calls after the probe"
case_() {
    : >"$tmp/log"
    FAKE_LOG=$tmp/log FAKE_ENABLED=$2 FAKE_ACTIVE=$3 DISPLAY=:99 PATH="$tmp/bin:$PATH" \
        "$session" "$1" >/dev/null 2>&1
    status=$?
    calls=$(grep -v -e '^--user show-environment$' -e '^--user list-unit-files vorell.target$' "$tmp/log" |
        tr '\n' ';')
    if [ "$status" != "$4" ] || [ "$calls" != "$5" ]; then
        echo "$1 (enabled $2, active $3): status $status, calls '$calls'; expected $4, '$5'"
        failures=$((failures + 1))
    fi
}

case_ start     0 0 0 "--user reset-failed vorell*;--user import-environment DISPLAY XAUTHORITY;--user start vorell.target;"
# The restore unit is stopped by name, so that stop waits until it is
# inactive and the next start runs it again: restart re-applies the saved
# settings every time.
case_ stop      0 0 0 "--user stop vorell.target vorell-restore.service;"
case_ restart   0 0 0 "--user stop vorell.target vorell-restore.service;--user reset-failed vorell*;--user import-environment DISPLAY XAUTHORITY;--user start vorell.target;"
case_ enable    1 3 0 "--user enable vorell.target;"
case_ disable   0 0 0 "--user disable vorell.target;"
failed="--user list-units --failed --plain --no-legend vorell*"
case_ status    0 0 0 "--user --no-pager list-units --all vorell*;$failed;--user is-active --quiet vorell.target;"
case_ status    0 3 3 "--user --no-pager list-units --all vorell*;$failed;--user is-active --quiet vorell.target;"
# A failed unit is named, and status is not 0 though the target is active.
FAKE_FAILED=vorell-gestured.service case_ status 0 0 3 "--user --no-pager list-units --all vorell*;$failed;"
said=$(FAKE_LOG=/dev/null FAKE_ENABLED=0 FAKE_ACTIVE=0 FAKE_FAILED=vorell-idle.service DISPLAY=:99 \
    PATH="$tmp/bin:$PATH" "$session" status 2>&1 >/dev/null)
case $said in
*"failed: vorell-idle.service"*) ;;
*) echo "status does not name the failed unit: $said"; failures=$((failures + 1)) ;;
esac
# The autostart entry starts the target only when the user enabled it.
case_ autostart 0 3 0 "--user is-enabled --quiet vorell.target;--user reset-failed vorell*;--user import-environment DISPLAY XAUTHORITY;--user start --no-block vorell.target;"
case_ autostart 1 3 0 "--user is-enabled --quiet vorell.target;"
exit $((failures > 0))
