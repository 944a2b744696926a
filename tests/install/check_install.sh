#!/usr/bin/env bash
# What an installation puts on a system, checked from the outside.
#   check_install.sh install BUILD_DIR ID "SIZES" VERSION   cmake --install into a scratch root:
#       the file list, the validators, every file the entry and the metadata name, and
#       the installed program, read-only, keeping its files in the user's data folder.
#   check_install.sh package BUILD_DIR ID "SIZES" VERSION   cpack -G DEB: the package's
#       name, version, Depends line and file list.
set -euo pipefail
mode=$1 build=$2 id=$3 sizes=$4 version=$5

work=$(mktemp -d)
pid=""
cleanup() {
    [ -n "$pid" ] && kill -9 "$pid" 2>/dev/null
    chmod -R u+w "$work"
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# Every file of an installation, relative to its prefix.
expected_files() {
    {
        echo bin/bvmonitor
        echo "share/applications/$id.desktop"
        echo "share/metainfo/$id.metainfo.xml"
        echo "share/icons/hicolor/scalable/apps/$id.svg"
        for size in $sizes; do echo "share/icons/hicolor/${size}x${size}/apps/$id.png"; done
    } | sort
}

check_installed_tree() {
    local root=$1
    diff <(expected_files) <(cd "$root" && find . -type f -printf '%P\n' | sort) \
        || fail "the installed files are not the expected ones"
    local entry=$root/share/applications/$id.desktop metainfo=$root/share/metainfo/$id.metainfo.xml
    desktop-file-validate "$entry" || fail "desktop-file-validate"
    appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"

    local exec icon launchable binary
    exec=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
    [ -x "$root/bin/$exec" ] || fail "Exec $exec is not installed"
    icon=$(sed -n 's/^Icon=//p' "$entry")
    [ -f "$root/share/icons/hicolor/scalable/apps/$icon.svg" ] || fail "no scalable icon $icon"
    for size in $sizes; do
        file "$root/share/icons/hicolor/${size}x${size}/apps/$icon.png" | grep -q "PNG image data, $size x $size," \
            || fail "no $size pixel icon $icon"
    done
    launchable=$(sed -n 's:.*<launchable type="desktop-id">\(.*\)</launchable>.*:\1:p' "$metainfo")
    [ -f "$root/share/applications/$launchable" ] || fail "launchable $launchable is not installed"
    binary=$(sed -n 's:.*<binary>\(.*\)</binary>.*:\1:p' "$metainfo")
    [ -x "$root/bin/$binary" ] || fail "binary $binary is not installed"
}

# The installed program from a read-only copy, with a fresh home: it writes its settings,
# History/ and Bitmaps/ to that home's data folder and nothing next to itself.
check_per_user_files() {
    local root=$1
    cp -a "$root" "$work/ro"
    chmod -R a-w "$work/ro"
    local home=$work/home cwd=$work/cwd
    mkdir -p "$home" "$cwd"
    (cd "$cwd" && exec env -i PATH=/usr/bin:/bin HOME="$home" QT_QPA_PLATFORM=offscreen "$work/ro/bin/bvmonitor") \
        >"$work/run.log" 2>&1 &
    pid=$!
    local data=$home/.local/share/bvmonitor
    for _ in $(seq 1 300); do
        [ -d "$data/History" ] && break
        sleep 0.1
    done
    kill -TERM "$pid"
    local status=0
    wait "$pid" || status=$?
    pid=""
    [ "$status" -eq 0 ] || { cat "$work/run.log" >&2; fail "the program ended with status $status"; }
    [ -d "$data/History" ] && [ -d "$data/Bitmaps" ] || fail "no History/ and Bitmaps/ in $data"
    grep -q '^version=' "$data/bvsettings.ini" || fail "no settings file in $data"
    [ "$(stat -c %a "$data")" = 700 ] || fail "the data folder is not the user's alone"
    [ "$(stat -c %a "$data/bvsettings.ini")" = 600 ] || fail "the settings file is not the user's alone"
    diff <(cd "$root" && find . | sort) <(cd "$work/ro" && find . | sort) || fail "files appeared next to the program"
    [ -z "$(ls -A "$cwd")" ] || fail "files appeared in the working folder"
}

check_package() {
    cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" || { cat "$work/cpack.log" >&2; fail cpack; }
    local deb
    deb=$work/out/belvora-monitor_${version}_$(dpkg --print-architecture).deb
    [ -f "$deb" ] || fail "no $(basename "$deb")"
    [ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "the package's version is not $version"
    local depends
    depends=$(dpkg-deb -f "$deb" Depends)
    echo "Depends: $depends"
    for package in libqt6core6 libqt6gui6 libqt6widgets6 libqt6network6 libqt6svg6 libqt6charts6 libcanberra0 \
        qt6-qpa-plugins qt6-translations-l10n fonts-liberation; do
        grep -Eq "(^|, )$package( |,|$)" <<<"$depends" || fail "Depends lacks $package"
    done
    diff <(expected_files | sed 's|^|usr/|') \
        <(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./||' | sort) \
        || fail "the package's files are not the expected ones"
}

case $mode in
install)
    DESTDIR=$work/root cmake --install "$build" --prefix /usr >/dev/null
    check_installed_tree "$work/root/usr"
    check_per_user_files "$work/root/usr"
    ;;
package)
    check_package
    ;;
*)
    fail "unknown mode $mode"
    ;;
esac
echo "OK: $mode"
