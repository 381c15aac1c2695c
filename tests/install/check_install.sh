#!/usr/bin/env bash
# check_install.sh CMAKE BUILD_DIR APP_ID VERSION: installs the build under /usr in a scratch
# DESTDIR and fails on a missing file or on anything the validators say.
set -euo pipefail
cmake=$1 build=$2 id=$3 version=$4
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
DESTDIR="$root" "$cmake" --install "$build" --prefix /usr >/dev/null
usr="$root/usr"
failed=0
fail() {
    echo "FAIL: $*" >&2
    failed=1
}
# Runs a checker that must print nothing at all.
quiet() {
    local out
    out=$("$@" 2>&1) || true
    [ -z "$out" ] || fail "$* said:"$'\n'"$out"
}

for f in bin/vq3360 bin/vq3360-virtual-display bin/vq3360ctl; do
    [ -x "$usr/$f" ] || fail "no executable $f"
done
for f in "share/applications/$id.desktop" "share/metainfo/$id.metainfo.xml" \
    "share/icons/hicolor/scalable/apps/$id.svg" share/man/man1/vq3360.1.gz \
    share/man/man1/vq3360-virtual-display.1.gz share/man/man1/vq3360ctl.1.gz; do
    [ -s "$usr/$f" ] || fail "no $f"
done
for size in 16 32 48 64 128 256; do
    png="$usr/share/icons/hicolor/${size}x${size}/apps/$id.png"
    if [ ! -s "$png" ]; then
        fail "no ${size}x${size} icon"
    elif [ "$(identify -format '%m %wx%h' "$png")" != "PNG ${size}x${size}" ]; then
        fail "${size}x${size} icon is $(identify -format '%m %wx%h' "$png")"
    fi
done
# The SVG and the PNGs come from one description: rendered alike, they differ only in smoothing.
svg="$usr/share/icons/hicolor/scalable/apps/$id.svg"
if rsvg-convert -w 256 -h 256 "$svg" -o "$root/svg.png"; then
    differ=$(compare -metric AE -fuzz 10% "$root/svg.png" \
        "$usr/share/icons/hicolor/256x256/apps/$id.png" null: 2>&1) || true
    [ "$differ" -le 64 ] 2>/dev/null || fail "the SVG and the 256x256 icon differ ($differ pixels)"
else
    fail "the scalable icon is not a readable SVG"
fi

quiet desktop-file-validate "$usr/share/applications/$id.desktop"
appstreamcli validate --no-net --strict "$usr/share/metainfo/$id.metainfo.xml" \
    >"$root/as.log" 2>&1 || fail "appstreamcli validate said:"$'\n'"$(cat "$root/as.log")"
# validate-tree also checks that the metainfo's desktop entry is there.
appstreamcli validate-tree --no-net --strict "$root" >"$root/as.log" 2>&1 ||
    fail "appstreamcli validate-tree said:"$'\n'"$(cat "$root/as.log")"
grep -qF "<release version=\"$version\"" "$usr/share/metainfo/$id.metainfo.xml" ||
    fail "the metainfo has no release $version"
grep -qx "Icon=$id" "$usr/share/applications/$id.desktop" || fail "the desktop entry names another icon"
for exe in vq3360 vq3360-virtual-display vq3360ctl; do
    [ "$("$usr/bin/$exe" --version)" = "$exe $version" ] || fail "$exe --version is not $version"
    grep -qF "<binary>$exe</binary>" "$usr/share/metainfo/$id.metainfo.xml" ||
        fail "the metainfo does not provide $exe"
    gzip -dc "$usr/share/man/man1/$exe.1.gz" >"$root/$exe.1"
    quiet groff -man -ww -z "$root/$exe.1"
done

[ "$failed" = 0 ] && echo "install layout: all in place, validators clean"
exit "$failed"
