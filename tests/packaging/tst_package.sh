#!/bin/bash
# Builds the Debian package from the build tree, unpacks it into a throw-away root and checks what a user
# gets: both programs start from there, every file lands where the desktop and systemd look for it, and
# the desktop entry, the AppStream metainfo and the man page pass their validators.
#
#   tst_package.sh BUILD_DIR VERSION
set -uo pipefail

build=$1 version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "PASS: $*"; }

# The package of the build tree as it is, into a folder of its own.
if ! (cd "$build" && cpack -G DEB -B "$work/out" > "$work/cpack.log" 2>&1); then
    cat "$work/cpack.log"
    fail "cpack -G DEB"
    exit 1
fi
deb=$work/out/arkivoda_${version}_amd64.deb
[ -f "$deb" ] || { ls "$work/out"; fail "no $deb"; exit 1; }
pass "cpack made $(basename "$deb")"

depends=$(dpkg-deb -f "$deb" Depends)
if [[ $depends == *libqt6core6* && $depends == *libdeflate0* && $depends == *zlib1g* ]]; then
    pass "dependencies computed from the libraries: $depends"
else
    fail "Depends lacks Qt, libdeflate or zlib: '$depends'"
fi

recommends=$(dpkg-deb -f "$deb" Recommends)
if [[ $recommends == *rclone* && $recommends == *qt6-translations-l10n* ]]; then
    pass "recommends: $recommends"
else
    fail "Recommends lacks rclone or Qt's translations: '$recommends'"
fi

root=$work/root
dpkg -x "$deb" "$root"
for file in usr/bin/arkivoda usr/bin/arkivoda-cli usr/bin/arkivoda.HRV usr/bin/arkivoda.ENU \
    usr/bin/Arkivoda_Info_HR.txt usr/bin/Arkivoda_Info_EN.txt \
    usr/share/applications/arkivoda.desktop usr/share/icons/hicolor/scalable/apps/arkivoda.svg \
    usr/share/icons/hicolor/48x48/apps/arkivoda.png \
    usr/share/metainfo/io.github.arkivoda.Arkivoda.metainfo.xml usr/share/man/man1/arkivoda-cli.1 \
    usr/lib/systemd/user/arkivoda@.service usr/lib/systemd/user/arkivoda@.timer; do
    [ -f "$root/$file" ] || fail "the package lacks /$file"
done

output=$("$root/usr/bin/arkivoda-cli" --version 2>&1)
[ "$output" = "arkivoda-cli $version" ] && pass "arkivoda-cli --version from the package: $output" \
    || fail "arkivoda-cli --version printed '$output'"
# The language modules beside the unpacked program are the ones it finds.
output=$(HOME=$work/home XDG_CONFIG_HOME=$work/home/.config "$root/usr/bin/arkivoda-cli" --help 2>&1)
[[ $output == *"arkivoda-cli"* ]] || fail "arkivoda-cli --help printed '$output'"

if output=$(desktop-file-validate "$root/usr/share/applications/arkivoda.desktop" 2>&1) && [ -z "$output" ]; then
    pass "desktop-file-validate reports nothing"
else
    fail "desktop-file-validate: $output"
fi
if command -v appstreamcli > /dev/null; then
    if output=$(appstreamcli validate --no-net "$root/usr/share/metainfo/io.github.arkivoda.Arkivoda.metainfo.xml" 2>&1) \
        && ! grep -q -E '^[EWI]:' <<< "$output"; then
        pass "appstreamcli validate reports nothing"
    else
        fail "appstreamcli validate: $output"
    fi
fi
warnings=$(MANWIDTH=80 man --warnings -l "$root/usr/share/man/man1/arkivoda-cli.1" 2>&1 > "$work/man.txt")
if [ -z "$warnings" ] && grep -q "EXIT STATUS" "$work/man.txt"; then
    pass "man -l renders arkivoda-cli.1 without warnings"
else
    fail "man -l: ${warnings:-no EXIT STATUS section}"
fi
grep -q '^ExecStart=.*arkivoda-cli' "$root/usr/lib/systemd/user/arkivoda@.service" \
    && grep -q '^Persistent=true' "$root/usr/lib/systemd/user/arkivoda@.timer" \
    || fail "the systemd units do not run arkivoda-cli daily and persistently"

[ "$failures" = 0 ] && echo "All package checks passed." || echo "$failures package check(s) FAILED"
exit $((failures > 0))
