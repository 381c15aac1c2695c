#!/usr/bin/env bash
# check_install.sh CMAKE BUILD_DIR APP_ID VERSION RELEASE_DATE: installs the build under /usr in
# a scratch DESTDIR and fails on a missing file or on anything the validators say.
set -euo pipefail
cmake=$1 build=$2 id=$3 version=$4 date=$5
src=$(dirname "$0")/../..
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
    share/man/man1/vq3360-virtual-display.1.gz share/man/man1/vq3360ctl.1.gz \
    share/doc/vq3360/copyright share/doc/vq3360/changelog.gz share/doc/vq3360/README.md \
    share/doc/vq3360/README.virtual-display.md share/lintian/overrides/vq3360; do
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
    # The README runs it from build-release/ once its first command has run.
    grep -qE "^programs=\((.* )?$exe( .*)?\)$" "$src/scripts/run.sh" ||
        fail "scripts/run.sh, the README's first command, does not build $exe"
    grep -qF "<binary>$exe</binary>" "$usr/share/metainfo/$id.metainfo.xml" ||
        fail "the metainfo does not provide $exe"
    gzip -dc "$usr/share/man/man1/$exe.1.gz" >"$root/$exe.1"
    quiet groff -man -ww -z "$root/$exe.1"
    [ "$(sed -n '1s/^\.TH [^ ]* 1 "\([^"]*\)".*/\1/p' "$root/$exe.1")" = "$date" ] ||
        fail "the $exe man page is not dated $date"
done
grep -q 'virtual\\-display\b' <(sed -n '/^\.SH OPTIONS/,/^\.SH/p' "$root/vq3360.1") ||
    fail "vq3360.1 has no --virtual-display option"
grep -qF 'vq3360 --virtual-display' "$usr/share/metainfo/$id.metainfo.xml" ||
    fail "the metainfo does not mention vq3360 --virtual-display"
# The desktop entry's action, as the launcher shows it.
action=$(awk -F= '$1 == "Actions" { split($2, a, ";"); want = "[Desktop Action " a[1] "]" }
    /^\[/ { section = $0 } section == want && $1 ~ /^(Name|Exec)$/ { print $1 "=" $2 }' \
    "$usr/share/applications/$id.desktop")
[ "$action" = $'Name=Try with a virtual display\nExec=vq3360 --virtual-display' ] ||
    fail "the desktop entry has no action \"Try with a virtual display\": ${action:-none}"

# The documentation: the README's user part with every link it makes landing beside it, the
# changelog's latest entry this release, and a copyright file in the machine-readable format.
doc="$usr/share/doc/vq3360"
for md in "$doc"/*.md; do
    grep -qF 'build-release/' "$md" && fail "$(basename "$md") names build-release/"
    for link in $(grep -o '](\([^)#:]*\))' "$md" | sed 's/^](\(.*\))$/\1/'); do
        [ -e "$doc/$link" ] || fail "$(basename "$md") links to $link, which is not installed"
    done
done
gzip -dc "$doc/changelog.gz" >"$root/changelog"
[ "$(dpkg-parsechangelog -l "$root/changelog" -S Version)" = "$version" ] ||
    fail "the changelog's latest entry is not $version"
[ "$(date -u -d "@$(dpkg-parsechangelog -l "$root/changelog" -S Timestamp)" +%F)" = "$date" ] ||
    fail "the changelog's latest entry is not dated $date"
dep5=$(awk -v RS= '
    NR == 1 { if ($0 !~ /^Format: https:\/\/www\.debian\.org\/doc\/packaging-manuals\/copyright-format\/1\.0\/\n/)
        print "no Format line first"; next }
    /^Files: / {
        if ($0 !~ /\nCopyright: [^\n]/) print "a Files paragraph without Copyright"
        if (!match($0, /\nLicense: [^\n]+/)) { print "a Files paragraph without License"; next }
        used[substr($0, RSTART + 10, RLENGTH - 10)] = 1; next }
    /^License: [^\n]+\n / { name = $0; sub(/\n.*/, "", name); text[substr(name, 10)] = 1; next }
    { print "a paragraph that is neither Files nor License" }
    END { for (l in used) if (!(l in text)) print "no text for the licence " l }' "$doc/copyright")
[ -z "$dep5" ] || fail "the copyright file is not machine-readable:"$'\n'"$dep5"

[ "$failed" = 0 ] && echo "install layout: all in place, validators clean"
exit "$failed"
