#!/bin/bash
# Checks what Zarvello ships, from a built tree:
#   check.sh install <build dir> <version>        installed files, validated as a desktop would
#   check.sh package <build dir> <version>        the Debian package's contents and control data
#   check.sh without-tests <source dir> <generator>   configuring for packagers needs no Qt Test
# Exits 77 (skipped) when a tool this check needs is missing, as on distributions without dpkg.
set -euo pipefail

mode="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

id=org.example.Zarvello
cmake="${CMAKE:-cmake}"
cpack="${CPACK:-cpack}"

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

need() {
    for tool in "$@"; do
        command -v "$tool" >/dev/null || {
            echo "SKIP: $tool is not installed"
            exit 77
        }
    done
}

# Where the program's audio helper goes, below the prefix.
helper_dir() {
    echo "lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/zarvello"
}

# Every file the program installs below the prefix, and nothing else.
expected_files() {
    echo bin/zarvello
    local helpers
    helpers="$(helper_dir)"
    echo "$helpers/zarvello-audio-worker"
    echo share/applications/$id.desktop
    echo share/dbus-1/services/$id.service
    echo share/doc/zarvello/changelog.Debian.gz
    echo share/doc/zarvello/copyright
    for size in 16 32 48 64 128 256; do
        echo "share/icons/hicolor/${size}x${size}/apps/$id.png"
    done
    echo share/icons/hicolor/scalable/apps/$id.svg
    echo share/lintian/overrides/zarvello
    echo share/man/man1/zarvello.1.gz
    echo share/metainfo/$id.metainfo.xml
}

compare_lists() { # what, expected file, actual file
    if ! diff -u "$2" "$3"; then
        fail "$1 differ from the expected list (- expected, + found)"
    fi
}

check_install() {
    local build="$1" version="$2"
    need "$cmake" desktop-file-validate appstreamcli file man
    local root="$work/root"
    DESTDIR="$root" "$cmake" --install "$build" --prefix /usr >/dev/null

    expected_files | sort >"$work/expected"
    (cd "$root/usr" && find . -type f -printf '%P\n' | sort) >"$work/found"
    compare_lists "installed files" "$work/expected" "$work/found"
    [ -z "$(find "$root" -mindepth 1 -maxdepth 1 ! -name usr)" ] || fail "files outside the prefix"
    [ -x "$root/usr/bin/zarvello" ] || fail "the program is not executable"
    [ -x "$root/usr/$(helper_dir)/zarvello-audio-worker" ] || fail "the audio helper is not executable"

    # Both validators count warnings and hints as failures: a desktop shows what they flag.
    local desktop="$root/usr/share/applications/$id.desktop"
    local report
    report="$(desktop-file-validate "$desktop" 2>&1)" || fail "desktop-file-validate: $report"
    [ -z "$report" ] || fail "desktop-file-validate complains: $report"
    grep -qx "Icon=$id" "$desktop" || fail "the desktop entry names another icon"
    grep -qx "Exec=zarvello %U" "$desktop" || fail "the desktop entry does not start zarvello"
    grep -qx "DBusActivatable=true" "$desktop" || fail "the desktop entry is not D-Bus activatable"
    grep -qx "Exec=/usr/bin/zarvello" "$root/usr/share/dbus-1/services/$id.service" ||
        fail "the D-Bus service does not start the installed zarvello"

    local metainfo="$root/usr/share/metainfo/$id.metainfo.xml"
    for command in "validate --no-net $metainfo" "validate-tree --no-net $root"; do
        # shellcheck disable=SC2086 # the command is split into its words on purpose
        report="$(appstreamcli $command 2>&1)" || fail "appstreamcli $command: $report"
        if grep -E '^ *[EWI]: ' <<<"$report"; then
            fail "appstreamcli $command complains"
        fi
    done
    grep -q "<release version=\"$version\"" "$metainfo" || fail "no release $version in the metainfo"

    for size in 16 32 48 64 128 256; do
        file "$root/usr/share/icons/hicolor/${size}x${size}/apps/$id.png" |
            grep -q "PNG image data, $size x $size," || fail "the ${size} px icon has another size"
    done

    local manpage="$root/usr/share/man/man1/zarvello.1.gz"
    report="$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$manpage" 2>&1 \
        >/dev/null)" || fail "man: $report"
    [ -z "$report" ] || fail "the manual page has problems: $report"
    zcat "$manpage" | grep -q "^\.TH ZARVELLO 1 .*\"Zarvello $version\"" ||
        fail "the manual page is not that of version $version"

    head -n 1 "$root/usr/share/doc/zarvello/copyright" |
        grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
        fail "the copyright file is not machine-readable"
}

check_package() {
    local build="$1" version="$2"
    need "$cpack" dpkg-deb dpkg-shlibdeps file lintian
    "$cpack" --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 ||
        fail "cpack: $(cat "$work/cpack.log")"
    local deb
    deb="$(echo "$work"/zarvello_*.deb)"
    [ -f "$deb" ] || fail "no package was made"
    local architecture
    architecture="$(dpkg --print-architecture)"
    [ "$(basename "$deb")" = "zarvello_${version}-1_${architecture}.deb" ] ||
        fail "unexpected package name $(basename "$deb")"

    # Contents: the installed files, owned by root, the program alone executable.
    dpkg-deb -c "$deb" >"$work/contents"
    expected_files | sed 's|^|./usr/|' | sort >"$work/expected"
    grep -v '/$' "$work/contents" | awk '{print $6}' | sort >"$work/found"
    compare_lists "package contents" "$work/expected" "$work/found"
    if awk '$2 != "root/root"' "$work/contents" | grep .; then
        fail "files not owned by root"
    fi
    local helper
    helper="./usr/$(helper_dir)/zarvello-audio-worker"
    if awk -v helper="$helper" '$6 !~ /\/$/ && $6 != "./usr/bin/zarvello" && $6 != helper &&
        $1 != "-rw-r--r--"' "$work/contents" | grep .; then
        fail "data files that are not -rw-r--r--"
    fi
    grep -q '^-rwxr-xr-x .* \./usr/bin/zarvello$' "$work/contents" || fail "the program is not 0755"
    grep -q "^-rwxr-xr-x .* ${helper//./\\.}\$" "$work/contents" || fail "the audio helper is not 0755"
    if awk '$6 ~ /\/$/ && $1 != "drwxr-xr-x"' "$work/contents" | grep .; then
        fail "folders that are not drwxr-xr-x"
    fi
    dpkg-deb --fsys-tarfile "$deb" | tar -x -C "$work" ./usr/bin/zarvello "$helper"
    for program in ./usr/bin/zarvello "$helper"; do
        file "$work/$program" | grep -q ', stripped' || fail "$program is not stripped"
    done

    # Control data.
    dpkg-deb -I "$deb" >"$work/info"
    field() { dpkg-deb -f "$deb" "$1"; }
    [ "$(field Package)" = zarvello ] || fail "Package: $(field Package)"
    [ "$(field Version)" = "$version-1" ] || fail "Version: $(field Version)"
    [ "$(field Architecture)" = "$architecture" ] || fail "Architecture: $(field Architecture)"
    [ "$(field Section)" = sound ] || fail "Section: $(field Section)"
    [ -n "$(field Maintainer)" ] || fail "no Maintainer"
    local depends
    depends=",$(field Depends | tr -d ' '),"
    # Qt's X11 plugin, xdg-open, and the libraries the program links as dpkg-shlibdeps found them.
    for package in qt6-qpa-plugins xdg-utils libqt6core6 libqt6gui6 libqt6widgets6 \
        libqt6dbus6 libstdc++6 libc6; do
        grep -qE ",${package//+/\\+}(\([^)]*\))?," <<<"$depends" ||
            fail "Depends lacks $package: $depends"
    done
    grep -qE ',libicu[0-9]+\(' <<<"$depends" || fail "Depends lacks ICU: $depends"
    # The fonts the interface draws with (emoji too) and Qt's translations: it runs without them.
    [ "$(field Recommends)" = "fonts-liberation2, fonts-comic-neue, fonts-dejavu-core, \
fonts-urw-base35, fonts-ipafont-gothic, fonts-wine, fonts-noto-color-emoji, qt6-translations-l10n" ] ||
        fail "Recommends: $(field Recommends)"

    # Any error or warning of Debian's package checker fails, and so does missing hardening.
    lintian --fail-on error,warning --display-info "$deb" >"$work/lintian" 2>"$work/lintian.log" ||
        fail "lintian: $(cat "$work/lintian" "$work/lintian.log")"
    if grep hardening- "$work/lintian"; then
        fail "the program lacks hardening"
    fi

    # Every dependency exists and the package would install here; as a simulation, no root needed.
    if command -v apt-get >/dev/null; then
        apt-get install --simulate --no-install-recommends "$deb" >"$work/apt.log" 2>&1 ||
            fail "apt-get would not install it: $(cat "$work/apt.log")"
    fi
}

check_without_tests() {
    local source="$1" generator="$2"
    need "$cmake"
    # Qt Test made unfindable: the configure step must not look for it at all.
    "$cmake" -S "$source" -B "$work/build" -G "$generator" -DBUILD_TESTING=OFF \
        -DCMAKE_DISABLE_FIND_PACKAGE_Qt6Test=ON >"$work/configure.log" 2>&1 ||
        fail "configuring with BUILD_TESTING=OFF: $(cat "$work/configure.log")"
    "$cmake" --build "$work/build" --target help >"$work/targets"
    grep -qw zarvello "$work/targets" || fail "no zarvello target"
    if grep -E 'tst_|e2e_|zarvello_bench|zarvello_test_support' "$work/targets"; then
        fail "test or benchmark targets without testing"
    fi
    if grep -rl 'Qt6::Test\|libQt6Test' "$work/build" --include='*.ninja' --include='*.make' \
        --include='*.txt' --include='*.cmake'; then
        fail "the build still refers to Qt Test"
    fi
    [ ! -e "$work/build/CTestTestfile.cmake" ] || fail "tests registered without testing"
}

case "$mode" in
install) check_install "$2" "$3" ;;
package) check_package "$2" "$3" ;;
without-tests) check_without_tests "$2" "$3" ;;
*) fail "unknown check $mode" ;;
esac
echo "PASS: $mode"
