#!/bin/sh
# The Debian package built from this build folder: lintian finds no error,
# the control data names the X tools the engine runs, the developer tools
# stay out, and it installs, removes and purges cleanly in a scratch root.
# Usage: package_test.sh BUILD_DIR
set -eu
build=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "$*"; exit 1; }

rm -rf "$build/package"
(cd "$build" && cpack -G DEB >"$tmp/cpack.log" 2>&1) || { cat "$tmp/cpack.log"; fail "cpack failed"; }
deb=$(ls "$build"/package/vorelltouchpad_*.deb)

# lintian: no errors; warnings are printed for the log. Its cache of the
# package's binaries stays in the scratch folder, not in /tmp.
TMPDIR=$tmp lintian --tag-display-limit 0 "$deb" >"$tmp/lintian" 2>&1 || true
grep -v '^running with root privileges' "$tmp/lintian" || true
if grep -q '^E: ' "$tmp/lintian"; then fail "lintian reports errors"; fi

depends=$(dpkg-deb -f "$deb" Depends)
# (The engine carries its own X client libraries, XTEST among them.)
for dep in xautomation x11-xserver-utils libx11-6 libgtkmm-3.0-1v5; do
    echo "$depends" | grep -q "\\b$dep\\b" || fail "Depends lacks $dep: $depends"
done
contents=$(dpkg-deb -c "$deb")
for file in ./usr/bin/gestured ./usr/bin/vorell-session ./etc/xdg/autostart/vorell.desktop \
    ./usr/lib/systemd/user/vorell.target ./usr/share/man/man7/vorell-parameters.7.gz \
    ./usr/share/vorelltouchpad_data/cursor_image/Zoom_In.xbm ./usr/share/doc/vorelltouchpad/copyright \
    ./usr/bin/vorell-settings ./usr/share/applications/vorell-settings.desktop \
    ./usr/share/icons/hicolor/scalable/apps/vorell-settings.svg ./usr/share/man/man1/vorell-settings.1.gz; do
    echo "$contents" | grep -q " $file\\( \\|$\\)" || fail "package lacks $file"
done
for file in tpsim xrecord /usr/local/; do
    if echo "$contents" | grep -q "$file"; then fail "package holds $file"; fi
done
grep -q ExecStart=/usr/bin/gestured <<EOT || fail "the packaged unit does not run /usr/bin/gestured"
$(dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/lib/systemd/user/vorell-gestured.service)
EOT

# A scratch root with an empty dpkg database; the maintainer script runs
# outside it (there is no shell inside), with DPKG_ROOT pointing at it.
root=$tmp/root
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
: >"$root/var/lib/dpkg/status"
: >"$root/var/lib/dpkg/available"
dpkg_root() { dpkg --root="$root" --force-script-chrootless --force-not-root "$@"; }

dpkg_root --force-depends -i "$deb" >"$tmp/install.log" 2>&1 || { cat "$tmp/install.log"; fail "dpkg -i failed"; }
# No manual step is left: the engine finds the xte of xautomation itself.
! grep -q 'xte' "$tmp/install.log" || fail "the installation still asks for an xte step"
[ -x "$root/usr/bin/gestured" ] || fail "gestured not installed"
[ ! -e "$root/usr/local" ] || fail "the package touched /usr/local"
dpkg_root -r vorelltouchpad >/dev/null 2>&1 || fail "dpkg -r failed"
# Removal keeps the conffile, purge removes it.
left=$(cd "$root" && find . \( -type f -o -type l \) -not -path './var/*')
[ "$left" = "./etc/xdg/autostart/vorell.desktop" ] || fail "after removal: $left"
dpkg_root -P vorelltouchpad >/dev/null 2>&1 || fail "dpkg -P failed"
left=$(cd "$root" && find . -mindepth 1 -not -path './var' -not -path './var/*')
[ -z "$left" ] || fail "after purge: $left"
echo ok
