#!/usr/bin/env bash
# The Debian package from end to end: build it with cpack, install it with
# dpkg, start the installed engine from an empty folder and let it play its
# first move from the default book, remove the package with apt-get and check
# that none of its files is left.
#
#   sudo scripts/check-package.sh [BUILD]      BUILD: the build folder (default: build)
#
# It installs into /usr on this machine, so it refuses to run when a morvane
# package, or a /usr/bin/morvane of some other origin, is already there.
set -euo pipefail

source_dir=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build}
case $build in /*) ;; *) build=$PWD/$build ;; esac

say() { echo "check-package: $*"; }
fail() {
    echo "check-package: FAILED: $*" >&2
    exit 1
}

[ "$(id -u)" = 0 ] || fail "needs root for dpkg and apt-get; run it with sudo"
for tool in cmake cpack dpkg dpkg-deb dpkg-query apt-get; do
    command -v "$tool" >/dev/null || fail "$tool not found"
done
if dpkg-query -W -f='${Status}' morvane 2>/dev/null | grep -q 'ok installed'; then
    fail "a morvane package is installed already; remove it first (apt-get remove morvane)"
fi
[ ! -e /usr/bin/morvane ] || fail "/usr/bin/morvane exists and belongs to no package; move it away first"

work=$(mktemp -d)
installed=0
cleanup() {
    if [ "$installed" = 1 ]; then
        say "removing the package after the failure"
        dpkg -r morvane >/dev/null 2>&1 || true
    fi
    if [ -n "${engine_pid:-}" ]; then kill "$engine_pid" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT

# 1. Build and package.
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$source_dir" -B "$build" -DCMAKE_BUILD_TYPE=Release
fi
cmake --build "$build" -j2
rm -f "$build"/morvane_*.deb
(cd "$build" && cpack -G DEB)
debs=("$build"/morvane_*.deb)
[ -f "${debs[0]}" ] || fail "cpack made no morvane_*.deb in $build"
deb=${debs[0]}
say "package $deb ($(stat -c %s "$deb") bytes)"

dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' >"$work/contents"
for path in /usr/bin/morvane /usr/bin/morvane-tbgen /usr/bin/morvane-book /usr/share/morvane/Morvane.book \
    /usr/share/man/man6/morvane.6 /usr/share/man/man6/morvane-tbgen.6 /usr/share/man/man6/morvane-book.6 \
    /usr/share/doc/morvane/README.md /usr/share/games/plugins/xboard/morvane.eng \
    /usr/share/games/plugins/logos/morvane.png; do
    grep -qx "$path" "$work/contents" || fail "the package lacks $path"
done

# 2. Install.
dpkg -i "$deb"
installed=1
dpkg-query -L morvane >"$work/files"
for page in /usr/share/man/man6/morvane.6 /usr/share/man/man6/morvane-tbgen.6 /usr/share/man/man6/morvane-book.6; do
    # Minimal images may leave manual pages out of every package they install.
    if [ -f "$page" ] && command -v man >/dev/null; then
        man -l "$page" >/dev/null 2>"$work/man.err" || fail "man -l $page: $(cat "$work/man.err")"
    fi
done

# xboard's engine list: the plugin header line, the command, the variants; the
# command must start the installed engine from the search path.
eng=/usr/share/games/plugins/xboard/morvane.eng
[ "$(wc -l <"$eng")" = 3 ] || fail "$eng has not three lines: $(cat "$eng")"
header=$(sed -n 1p "$source_dir/data/xboard/morvane.eng")
[ "$(sed -n 1p "$eng")" = "$header" ] || fail "$eng does not start with xboard's plugin header '$header'"
[ "$(command -v "$(sed -n 2p "$eng")")" = /usr/bin/morvane ] || fail "the command in $eng is not /usr/bin/morvane"
sed -n 3p "$eng" | grep -Eq '^chess(,|$)' || fail "$eng does not list the variant chess"
[ "$(head -c 8 /usr/share/games/plugins/logos/morvane.png | od -An -tx1 | tr -d ' ')" = 89504e470d0a1a0a ] ||
    fail "/usr/share/games/plugins/logos/morvane.png is not a PNG image"
say "xboard finds the engine through $eng"

# 3. The installed engine from an empty folder: it must create its settings
# there, find the installed book and answer "go" with a book move.
mkdir "$work/play"
cd "$work/play"
coproc ENGINE { exec /usr/bin/morvane 2>&1; }
# shellcheck disable=SC2153 # ENGINE_PID is set by coproc
engine_pid=$ENGINE_PID
from_engine=${ENGINE[0]}
to_engine=${ENGINE[1]}
printf 'xboard\nprotover 2\nnew\ngo\n' >&"$to_engine"
move=
deadline=$((SECONDS + 60))
while [ "$SECONDS" -lt "$deadline" ] && IFS= read -r -t 60 line <&"$from_engine"; do
    printf '%s\n' "$line" >>"$work/engine.out"
    case $line in "move "*)
        move=${line#move }
        break
        ;;
    esac
done
printf 'quit\n' >&"$to_engine" || true
exec {to_engine}>&-
for _ in $(seq 100); do
    kill -0 "$engine_pid" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$engine_pid" 2>/dev/null; then
    kill "$engine_pid"
    fail "the installed engine did not end within 10 s of quit"
fi
status=0
wait "$engine_pid" || status=$?
engine_pid=
cd /
[ -n "$move" ] || fail "no move from the installed engine within 60 s:
$(cat "$work/engine.out" 2>/dev/null)"
[ "$status" = 0 ] || fail "the engine ended with status $status after quit"
grep -q '^found [0-9]* positions in opening book$' "$work/engine.out" ||
    fail "the installed engine did not find its book:
$(cat "$work/engine.out")"
grep -qP '^[a-h][1-8][a-h][1-8][qrbn]?\t *[0-9.]+ %$' "$work/engine.out" ||
    fail "the first move did not come from the book:
$(cat "$work/engine.out")"
[ -f "$work/play/Morvane.ini" ] || fail "Morvane.ini was not created in the working folder"
say "installed engine played $move from its book"

# 4. Remove: nothing of the package may be left.
apt-get remove -y morvane
installed=0
if dpkg-query -W -f='${Status}' morvane 2>/dev/null | grep -q 'ok installed'; then
    fail "morvane is still installed after apt-get remove"
fi
left=0
while IFS= read -r path; do
    case $path in /usr/bin/* | /usr/share/morvane | /usr/share/morvane/* | /usr/share/man/man6/morvane* | \
        /usr/share/doc/morvane | /usr/share/doc/morvane/* | /usr/share/games/plugins/*/morvane.*)
        if [ -e "$path" ]; then
            echo "left behind: $path" >&2
            left=1
        fi
        ;;
    esac
done <"$work/files"
[ "$left" = 0 ] || fail "files of the package are left after apt-get remove"
say "package installed, played and removed cleanly"
