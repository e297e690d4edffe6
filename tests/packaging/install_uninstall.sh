#!/bin/sh
# "cmake --install" into a DESTDIR, with the build's prefix and with another
# one given at install time: every part lands under DESTDIR and the prefix
# (the cursor images excepted, at their fixed /usr/share path), the units
# and the autostart entry name the programs where they landed, and the
# uninstall target then leaves no file behind.
# Usage: install_uninstall.sh BUILD_DIR
set -eu
build=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "$*"; exit 1; }

expect_files() {
    root=$1 prefix=$2 etc=$3
    for f in \
        "$prefix/bin/gestured" "$prefix/bin/vorellctl2" "$prefix/bin/restoresettings" \
        "$prefix/bin/kbdwatch-tap" "$prefix/bin/vorellidle" "$prefix/bin/vorell-session" \
        "$prefix/lib/systemd/user/vorell.target" \
        "$prefix/lib/systemd/user/vorell-gestured.service" \
        "$prefix/lib/systemd/user/vorell-kbdwatch@.service" \
        "$prefix/lib/systemd/user/vorell-pad.service" \
        "$prefix/lib/udev/rules.d/70-vorellpad.rules" \
        "$etc/xdg/autostart/vorell.desktop" \
        "$prefix/share/man/man1/gestured.1.gz" "$prefix/share/man/man1/vorellctl2.1.gz" \
        "$prefix/share/man/man7/vorell-parameters.7.gz" \
        "$prefix/share/bash-completion/completions/vorellctl" \
        "$prefix/share/bash-completion/completions/vorellctl2" \
        "$prefix/share/doc/vorelltouchpad/LICENSE" \
        /usr/share/vorelltouchpad_data/cursor_image/V_Scroll.xbm; do
        [ -e "$root$f" ] || fail "not installed: $f"
    done
    grep -qx "ExecStart=$prefix/bin/gestured" "$root$prefix/lib/systemd/user/vorell-gestured.service" ||
        fail "vorell-gestured.service does not run $prefix/bin/gestured"
    grep -qx "ExecStopPost=$prefix/bin/gestured --release" "$root$prefix/lib/systemd/user/vorell-gestured.service" ||
        fail "vorell-gestured.service has no release step"
    grep -qx "ExecStart=$prefix/bin/kbdwatch-%i" "$root$prefix/lib/systemd/user/vorell-kbdwatch@.service" ||
        fail "vorell-kbdwatch@.service does not run $prefix/bin/kbdwatch-%i"
    grep -qx "Exec=$prefix/bin/vorell-session autostart" "$root$etc/xdg/autostart/vorell.desktop" ||
        fail "autostart entry does not run $prefix/bin/vorell-session"
    # Only the cursor images may leave the prefix.
    outside=$(cd "$root" && find . \( -type f -o -type l \) | sed 's|^\.||' |
        grep -v "^$prefix/" | grep -v "^$etc/" | grep -v '^/usr/share/vorelltouchpad_data/cursor_image/' || true)
    [ -z "$outside" ] || fail "installed outside the prefix: $outside"
}

uninstall_leaves_nothing() {
    root=$1
    DESTDIR=$root cmake --build "$build" --target uninstall >/dev/null || fail "uninstall failed"
    left=$(find "$root" \( -type f -o -type l \))
    [ -z "$left" ] || fail "left behind after uninstall: $left"
    left=$(find "$root" -name 'vorelltouchpad*')
    [ -z "$left" ] || fail "folders left behind after uninstall: $left"
}

prefix=$(sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p' "$build/CMakeCache.txt")
DESTDIR=$tmp/a cmake --install "$build" >/dev/null || fail "install failed"
expect_files "$tmp/a" "$prefix" "$prefix/etc"
uninstall_leaves_nothing "$tmp/a"

# A prefix given at install time; /usr keeps its configuration in /etc.
DESTDIR=$tmp/b cmake --install "$build" --prefix /opt/vorell >/dev/null || fail "install failed"
expect_files "$tmp/b" /opt/vorell /opt/vorell/etc
uninstall_leaves_nothing "$tmp/b"

DESTDIR=$tmp/c cmake --install "$build" --prefix /usr >/dev/null || fail "install failed"
expect_files "$tmp/c" /usr /etc
uninstall_leaves_nothing "$tmp/c"
echo ok
