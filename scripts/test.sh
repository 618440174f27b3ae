#!/usr/bin/env bash
# The test command: installs what the tests need when it is missing,
# configures and builds a Release build with the tests, and runs them.
#
#   scripts/test.sh [--slow | --only-slow] [--no-install] [BUILD]
#
# BUILD is the build folder (default: build-test). The tests labelled "slow"
# are left out unless --slow (all tests) or --only-slow is given.
#
# Packages (Debian/Ubuntu): the build tools, GoogleTest, Fathom, and the
# test-only packages the interface and table tests drive: polyglot, xboard
# with xvfb and xauth (run without a display), the Gaviota tables and their
# library, and groff for the manual pages. Missing ones are installed with
# apt-get when the script runs as root or sudo is at hand; otherwise it names
# them and stops with status 1. Once they are there the tests may not skip
# for want of them (MORVANE_REQUIRE_INTERFACES). --no-install leaves the
# packages alone, for systems without apt-get; tests whose packages are
# missing then skip.
set -euo pipefail
cd "$(dirname "$0")/.."

labels=(-LE slow)
install=1
build="build-test"
for arg in "$@"; do
    case $arg in
    --slow) labels=() ;;
    --only-slow) labels=(-L slow) ;;
    --no-install) install=0 ;;
    -*)
        sed -n '4,8p' "$0" >&2
        exit 2
        ;;
    *) build=$arg ;;
    esac
done

say() { echo "test.sh: $*"; }

packages=(cmake make g++ libgtest-dev libfathom-dev polyglot xboard xvfb xauth gaviotatb libgaviotatb-dev groff-base)

if [ "$install" = 1 ]; then
    command -v dpkg-query >/dev/null || {
        say "no dpkg here: install ${packages[*]} (or their equivalents) and run with --no-install" >&2
        exit 1
    }
    missing() {
        local p
        for p in "${packages[@]}"; do
            dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || echo "$p"
        done
    }
    mapfile -t absent < <(missing)
    if [ "${#absent[@]}" -gt 0 ]; then
        if [ "$(id -u)" = 0 ]; then
            as_root=()
        elif command -v sudo >/dev/null; then
            as_root=(sudo)
        else
            say "missing packages: ${absent[*]}; install them (apt-get install ${absent[*]}) or run as root" >&2
            exit 1
        fi
        say "installing ${absent[*]}"
        if ! { "${as_root[@]}" apt-get update -qq &&
            "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${absent[@]}"; }; then
            mapfile -t absent < <(missing)
            say "cannot install: ${absent[*]}" >&2
            exit 1
        fi
        mapfile -t absent < <(missing)
        if [ "${#absent[@]}" -gt 0 ]; then
            say "still missing after apt-get: ${absent[*]}" >&2
            exit 1
        fi
    fi
    export MORVANE_REQUIRE_INTERFACES=1
fi

jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DMORVANE_TESTS=ON
cmake --build "$build" -j"$jobs"
ctest --test-dir "$build" "${labels[@]}" --output-on-failure --no-tests=error -j"$jobs"
