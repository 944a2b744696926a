#!/usr/bin/env bash
# What an installation puts on a system, checked from the outside.
#   check_install.sh install BUILD_DIR ID "SIZES" VERSION   cmake --install into a scratch root:
#       the file list, the validators, every file the entry and the metadata name, and
#       the installed program: read-only, keeping its files in the user's data folder;
#       --help and --version; one instance per folder against bad locks, a stopped first
#       instance and, as root, another local user ("nobody") who plants files or squats.
#   check_install.sh package BUILD_DIR ID "SIZES" VERSION   cpack -G DEB: the package's
#       name, version, Depends line and file list, and lintian --pedantic.
set -euo pipefail
mode=$1 build=$2 id=$3 sizes=$4 version=$5

work=$(mktemp -d)
pid="" pids=()
cleanup() {
    for p in $pid "${pids[@]}"; do kill -9 "$p" 2>/dev/null || true; done
    chmod -R u+w "$work"
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# Every file of an installation, relative to its prefix.
expected_files() {
    {
        echo bin/bvmonitor
        echo share/man/man1/bvmonitor.1.gz
        echo share/doc/belvora-monitor/copyright
        echo share/doc/belvora-monitor/changelog.gz
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
    # Debian 12's validator predates SingleMainWindow (desktop entry 1.5); lintian knows it.
    local errors
    errors=$(desktop-file-validate "$entry" | grep -v 'key "SingleMainWindow" .* should start with "X-"' | grep 'error:' || true)
    [ -z "$errors" ] || fail "desktop-file-validate: $errors"
    appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"

    # The menu hides the entry once the program is gone, and knows it has one window.
    grep -qx "TryExec=$(sed -n 's/^Exec=//p' "$entry")" "$entry" && grep -qx 'SingleMainWindow=true' "$entry" \
        || fail "the entry lacks TryExec or SingleMainWindow"
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

# Polls for up to 15 s.
wait_for() {
    for _ in $(seq 1 150); do
        eval "$1" && return 0
        sleep 0.1
    done
    return 1
}

# Starts PROGRAM in the background with a fresh environment plus the given variables;
# its standard error goes to $work/err.<n>. Sets $started.
start() {
    local program=$1
    shift
    runs=$((runs + 1))
    (cd "$work/cwd" && exec env -i PATH=/usr/bin:/bin HOME="$home" QT_QPA_PLATFORM=offscreen "$@" "$program") \
        >"$work/out.$runs" 2>"$work/err.$runs" &
    started=$!
    pids+=("$started")
}

# Ends the run with SIGTERM and checks its status.
stop() {
    local run_pid=$1 expected=$2 status=0
    kill -TERM "$run_pid"
    wait "$run_pid" || status=$?
    [ "$status" -eq "$expected" ] || { cat "$work/err.$runs" >&2; fail "status $status instead of $expected"; }
}

lock_of() { head -n 1 "$data/bvmonitor.lock" 2>/dev/null; }

# A refusal is said on standard error and in a message box, which a signal closes.
expect_refusal() {
    local text=$1
    wait_for "grep -q '$text' '$work/err.$runs'" || { cat "$work/err.$runs" >&2; fail "no \"$text\""; }
    stop "$started" 1
}

check_command_line() {
    local program=$1 out status=0
    # No display and no application window: a text and the end.
    out=$(env -i PATH=/usr/bin:/bin HOME="$work/cli" "$program" --version) || fail "--version failed"
    [ "$out" = "bvmonitor $version" ] || fail "--version printed: $out"
    out=$(env -i PATH=/usr/bin:/bin HOME="$work/cli" "$program" --help) || fail "--help failed"
    grep -q '^Gebruik: .*bvmonitor \[opties\]' <<<"$out" && grep -q -- '--version' <<<"$out" || fail "--help printed: $out"
    # An unknown option is found once Qt has taken its own (-platform ...), with a display.
    env -i PATH=/usr/bin:/bin HOME="$work/cli" QT_QPA_PLATFORM=offscreen "$program" --bestaat-niet 2>/dev/null || status=$?
    [ "$status" -eq 2 ] || fail "an unknown option gave status $status"
    [ ! -e "$work/cli" ] || fail "the command line made files"
}

check_one_instance() {
    local program=$1 run=$work/run first
    mkdir -m 700 "$run"
    # Level 2 logs each request on the instance socket.
    printf '[debug]\r\noptions=2\r\n' >"$data/bvsettings.ini"
    start "$program" XDG_RUNTIME_DIR="$run"
    first=$started
    wait_for '[ "$(lock_of)" = "$first" ]' || fail "the first start took no lock"
    local socket
    wait_for '[ -n "$(find "$run" -type s)" ]' || fail "no socket in \$XDG_RUNTIME_DIR"
    socket=$(find "$run" -type s)
    [ "$(stat -c %a "$socket")" = 700 ] || fail "the socket is open to others"
    start "$program" XDG_RUNTIME_DIR="$run"
    wait "$started" || fail "a second start did not end with 0"
    grep -q 'Instance request: show' "$work/cwd/bvdebug.log" || fail "the first instance was not asked to show itself"

    # A stopped first instance holds its lock but cannot answer.
    kill -STOP "$first"
    start "$program" XDG_RUNTIME_DIR="$run"
    expect_refusal 'draait al met de map .*, maar antwoordt niet'
    kill -CONT "$first"
    stop "$first" 0

    # A lock no live process holds never keeps a start out.
    local bad
    for bad in '' 'rommel' '4242\nbvmonitor\nandere-computer\n'; do
        printf "$bad" >"$data/bvmonitor.lock"
        start "$program" XDG_RUNTIME_DIR="$run"
        wait_for '[ "$(lock_of)" = "$started" ]' || fail "the lock \"$bad\" kept a start out"
        stop "$started" 0
    done
}

# As root: another local user plants files or listens where the program might look.
check_other_user() {
    local program=$1 shared=$work/shared as_nobody=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
    mkdir -m 1777 "$shared"
    chmod 755 "$work"

    # A copy in a shared folder does not read the settings file another user put beside it.
    cp "$program" "$shared/bvmonitor"
    "${as_nobody[@]}" sh -c "printf '[triggers]\r\n0=planted\r\n' >'$shared/bvsettings.ini'"
    cp "$shared/bvsettings.ini" "$work/planted"
    rm -f "$data/bvsettings.ini"
    start "$shared/bvmonitor"
    wait_for 'grep -qs "^version=" "$data/bvsettings.ini"' || fail "a copy in a shared folder did not use the data folder"
    stop "$started" 0
    cmp -s "$shared/bvsettings.ini" "$work/planted" || fail "the planted settings file changed"
    [ -z "$(find "$shared" -newer "$work/planted" ! -path "$shared")" ] || fail "files appeared in the shared folder"

    # Another user's file among the program's own is refused, with a Dutch message.
    chown nobody "$data/bvsettings.ini"
    start "$program"
    expect_refusal 'start niet: .*bvsettings.ini'
    chown "$(id -u)" "$data/bvsettings.ini"
    rm -rf "$data/History"
    ln -s "$shared" "$data/History"
    start "$program"
    expect_refusal 'start niet: .*History'
    rm "$data/History"

    # A squatter in a shared $XDG_RUNTIME_DIR, listening where the socket would go, that
    # answers as the program would: the program keeps its socket to itself.
    local name
    name=bvmonitor-$(printf %s "$(realpath "$data")" | sha256sum | cut -c1-16)
    printf '[debug]\r\noptions=2\r\n' >"$data/bvsettings.ini"
    rm -f "$work/cwd/bvdebug.log"
    "${as_nobody[@]}" socat UNIX-LISTEN:"$shared/$name",fork,mode=777 SYSTEM:"head -n 1 >>$shared/heard; echo ok" &
    pids+=($!)
    wait_for '[ -S "$shared/$name" ]' || fail "the squatter did not listen"
    start "$program" XDG_RUNTIME_DIR="$shared"
    local first=$started
    wait_for '[ -S "$data/$name" ]' || fail "the socket is not in the data folder"
    start "$program" XDG_RUNTIME_DIR="$shared"
    wait "$started" || fail "a second start beside a squatter did not end with 0"
    grep -q 'Instance request: show' "$work/cwd/bvdebug.log" || fail "the first instance was not asked"
    [ ! -s "$shared/heard" ] || fail "the squatter heard: $(cat "$shared/heard")"
    stop "$first" 0
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
    # No error and no warning; what remains is informational (I:) or pedantic (P:).
    lintian --pedantic --display-info --tag-display-limit 0 "$deb" | tee "$work/lintian.log"
    ! grep -Eq '^[EW]: ' "$work/lintian.log" || fail "lintian reports errors or warnings"
}

case $mode in
install)
    DESTDIR=$work/root cmake --install "$build" --prefix /usr >/dev/null
    check_installed_tree "$work/root/usr"
    check_per_user_files "$work/root/usr"
    check_command_line "$work/ro/bin/bvmonitor"
    home=$work/home data=$work/home/.local/share/bvmonitor runs=0
    rm -f "$work/cwd"/*
    check_one_instance "$work/ro/bin/bvmonitor"
    if [ "$(id -u)" -eq 0 ]; then
        check_other_user "$work/ro/bin/bvmonitor"
    else
        echo "SKIP: another local user needs root"
    fi
    ;;
package)
    check_package
    ;;
*)
    fail "unknown mode $mode"
    ;;
esac
echo "OK: $mode"
