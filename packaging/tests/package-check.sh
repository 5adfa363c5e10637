#!/bin/sh
# Builds the Debian package from a build tree, unpacks it with dpkg -x and
# starts what it holds: the program headless, as an installed program with
# its files in a fresh user data folder, and xbtool --version.
#   package-check.sh BUILD_DIR
set -eu
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT

fail() {
    echo "package-check: $*" >&2
    exit 1
}

cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 || {
    cat "$work/cpack.log" >&2
    fail "cpack failed"
}
deb=$(ls "$work"/out/*.deb)
[ -f "$deb" ] || fail "no package was written"
echo "package: $(basename "$deb"), $(du -k "$deb" | cut -f1) KiB"

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for lib in libqt6widgets6 libqt6svg6 libcdio; do
    echo "$depends" | grep -q "$lib" || fail "Depends lacks $lib"
done
[ "$(dpkg-deb -f "$deb" Architecture)" = "$(dpkg --print-architecture)" ] || fail "wrong architecture"

dpkg -x "$deb" "$work/root"
for f in usr/bin/tessaron usr/bin/xbtool usr/share/tessaron/QorvaGER.lng usr/share/tessaron/QorvaENG.lng usr/share/tessaron/help/en/index.html \
         usr/share/applications/org.example.tessaron.desktop usr/share/metainfo/org.example.tessaron.metainfo.xml \
         usr/share/icons/hicolor/scalable/apps/org.example.tessaron.svg usr/share/man/man1/xbtool.1.gz; do
    [ -f "$work/root/$f" ] || fail "the package lacks /$f"
done

"$work/root/usr/bin/xbtool" --version | grep -q '^xbtool (Tessaron) ' || fail "xbtool --version"

chmod a-w "$work/root/usr/bin"
mkdir -p "$work/home"
mkdir -m 700 "$work/run"
env -u TESSARON_HOME HOME="$work/home" XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/run" \
    QT_QPA_PLATFORM=offscreen TESSARON_EXIT_AFTER_START=1 LANG=C.UTF-8 \
    "$work/root/usr/bin/tessaron" || fail "the unpacked program did not start and end cleanly"
[ -f "$work/data/tessaron/Tessaron.INI" ] || fail "no Tessaron.INI in the user's data folder"
[ -d "$work/data/tessaron/DATA" ] || fail "no DATA/ in the user's data folder"
echo "package-check: ok"
