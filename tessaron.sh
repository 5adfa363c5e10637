#!/bin/sh
# Sets up, builds and runs Tessaron on Debian 12.
#   ./tessaron.sh run     install what is missing, build a release build, start the program
#   ./tessaron.sh test    install what is missing, build with sanitizers, run every test headless
#   ./tessaron.sh bench   install what is missing, build a release build, run the benchmarks
#   ./tessaron.sh package install what is missing, build a release build, write the Debian package
set -eu

cd "$(dirname "$0")"
top=$(pwd)
jobs=$(nproc 2>/dev/null || echo 2)

packages="cmake ninja-build g++ pkg-config qt6-base-dev qt6-base-dev-tools qt6-translations-l10n libgl-dev
  qt6-svg-dev qt6-multimedia-dev libcdio-dev libcdio-cdda-dev libcdio-paranoia-dev libsqlite3-dev libgtest-dev clang-14 libclang-rt-14-dev
  xvfb xauth poppler-utils fonts-liberation2 python3 python3-dbfread python3-dbf libdbd-xbase-perl
  dpkg-dev desktop-file-utils appstream unzip zip locales libical-dev python3-vobject python3-icalendar"

install_missing() {
    missing=""
    for p in $packages; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
            missing="$missing $p"
        fi
    done
    [ -z "$missing" ] && return 0
    echo "Installing:$missing"
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    # shellcheck disable=SC2086
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq $missing
}

# The suite runs under a German locale too (decimal comma, umlauts); make
# that locale when the machine does not have it.
ensure_german_locale() {
    if locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
        return 0
    fi
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo localedef -i de_DE -f UTF-8 de_DE.UTF-8
}

configure() { # dir, extra cmake arguments...
    dir=$1
    shift
    cmake -S "$top" -B "$dir" -G Ninja "$@" >/dev/null
}

case "${1:-}" in
run)
    install_missing
    configure "$top/build-release" -DCMAKE_BUILD_TYPE=Release -DTESSARON_TESTS=OFF
    cmake --build "$top/build-release" -j "$jobs" --target tessaron
    exec "$top/build-release/bin/tessaron"
    ;;
test)
    install_missing
    configure "$top/build-tests" -DCMAKE_BUILD_TYPE=Debug -DTESSARON_SANITIZE=ON -DTESSARON_TESTS=ON
    cmake --build "$top/build-tests" -j "$jobs"
    ensure_german_locale
    cd "$top/build-tests"
    for loc in C.UTF-8 de_DE.UTF-8; do
        echo "Tests under $loc"
        LANG=$loc LC_ALL=$loc QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$jobs" --timeout 600
    done
    ;;
bench)
    install_missing
    configure "$top/build-release" -DCMAKE_BUILD_TYPE=Release -DTESSARON_TESTS=OFF -DTESSARON_BENCH=ON
    cmake --build "$top/build-release" -j "$jobs"
    for b in xbbench dsbench rptbench; do
        if [ -x "$top/build-release/bin/$b" ]; then
            QT_QPA_PLATFORM=offscreen "$top/build-release/bin/$b"
        fi
    done
    ;;
package)
    install_missing
    configure "$top/build-release" -DCMAKE_BUILD_TYPE=Release -DTESSARON_TESTS=OFF
    cmake --build "$top/build-release" -j "$jobs"
    mkdir -p "$top/out"
    cpack --config "$top/build-release/CPackConfig.cmake" -B "$top/out"
    ls "$top"/out/*.deb
    ;;
*)
    echo "usage: $0 run|test|bench|package" >&2
    exit 2
    ;;
esac
