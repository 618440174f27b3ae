#!/usr/bin/env bash
# Plays a match in xboard without a display (under xvfb-run) and checks the
# games: each must end in mate, resignation or a draw, and none may end on
# time, by an illegal move, a refused command or a stalled engine.
#
#   scripts/xboard-match.sh [options] FIRST SECOND
#
#   FIRST, SECOND  engine commands; "uci:COMMAND" for an engine that speaks
#                  UCI (xboard then runs it through polyglot)
#   -g N           number of games (default 2)
#   -p FILE        start positions, one FEN per line; each is played twice
#                  with colours reversed, in turn, from the top again when
#                  all are played (default: two positions with an en-passant
#                  capture on the board, the first also with castling rights
#                  given up)
#   -t BASE        base time, minutes or minutes:seconds (default 0:05)
#   -i INC         increment in seconds, fractions allowed (default 0.2)
#   -o DIR         where the games (games.pgn), xboard's log (debug.txt) and
#                  the engines' working directories (first/, second/) go;
#                  default: a new temporary directory, kept
#   -T SECONDS     give up after this long (default: 90 per game)
#
# Pondering is on. The engines start in empty working directories, as on a
# user's first run. Exit status: 0 when every game ended soundly, 1 (with
# the reasons) when not, 77 when xboard or xvfb-run is not installed, 2 on
# wrong usage.
set -u
export PATH="$PATH:/usr/games"

games=2 positions="" base=0:05 inc=0.2 out="" limit=""
while getopts "g:p:t:i:o:T:" opt; do
    case $opt in
    g) games=$OPTARG ;;
    p) positions=$OPTARG ;;
    t) base=$OPTARG ;;
    i) inc=$OPTARG ;;
    o) out=$OPTARG ;;
    T) limit=$OPTARG ;;
    *) exit 2 ;;
    esac
done
shift $((OPTIND - 1))
if [ $# -ne 2 ]; then
    sed -n '2,/^set -u/p' "$0" | sed '$d' | sed 's/^# \{0,1\}//' >&2
    exit 2
fi
command -v xboard >/dev/null && command -v xvfb-run >/dev/null || {
    echo "xboard or xvfb-run is not installed" >&2
    exit 77
}
[ -n "$limit" ] || limit=$((90 * games))
[ -n "$out" ] || out=$(mktemp -d "${TMPDIR:-/tmp}/xboard-match-XXXXXX")
mkdir -p "$out/first" "$out/second" || exit 2
out=$(cd "$out" && pwd)
if [ -z "$positions" ]; then
    positions=$out/start.fen
    cat >"$positions" <<'EOF'
r3k2r/pppq1ppp/2n1bn2/2bpP3/8/2NP1N2/PPP1BPPP/R1BQK2R w Kq d6 0 8
rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3
EOF
fi

# Engine options for xboard: -fcp/-fd/-fUCI for the first, -s... for the second.
args=()
add_engine() {
    local p=$1 command=$2 dir=$3
    case $command in
    uci:*)
        command -v polyglot >/dev/null || {
            echo "polyglot is not installed" >&2
            exit 77
        }
        args+=("-${p}cp" "${command#uci:}" "-${p}d" "$dir" "-${p}UCI")
        ;;
    *) args+=("-${p}cp" "$command" "-${p}d" "$dir") ;;
    esac
}
add_engine f "$1" "$out/first"
add_engine s "$2" "$out/second"

count=$(grep -c '[^[:space:]]' "$positions") || {
    echo "no positions in $positions" >&2
    exit 2
}

rm -f "$out/games.pgn" "$out/debug.txt"
(cd "$out" && timeout -k 10 "$limit" xvfb-run -a xboard -noGUI -xexit -debug -nameOfDebugFile "$out/debug.txt" \
    "${args[@]}" -matchGames "$games" -loadPositionFile "$positions" -loadPositionIndex -2 \
    -rewindIndex "$count" \
    -tc "$base" -inc "$inc" -ponder -autoCallFlag true -testClaims true \
    -saveGameFile "$out/games.pgn" >"$out/xboard.out" 2>&1)
status=$?

problems=()
[ $status -eq 124 ] && problems+=("xboard did not finish within $limit s (a stalled game?)")
[ $status -ne 0 ] && [ $status -ne 124 ] && problems+=("xboard ended with status $status: $(grep -m1 xboard: "$out/xboard.out")")
played=$(grep -c '^\[Result "\(1-0\|0-1\|1/2-1/2\)"\]' "$out/games.pgn" 2>/dev/null)
[ "${played:-0}" -eq "$games" ] || problems+=("${played:-0} of $games games finished")
# How each game ended: the comment before its result.
endings=$(grep -oE '\{[^{}]*\} *(1-0|0-1|1/2-1/2|\*) *$' "$out/games.pgn" 2>/dev/null)
while IFS= read -r ending; do
    [ -n "$ending" ] || continue
    case $ending in
    *time* | *Time* | *illegal* | *Illegal* | *exit* | *stall* | *crash* | *disconnect* | *forfeit* | *'*')
        problems+=("game ended badly: $ending") ;;
    esac
done <<<"$endings"
complaints=$(grep -E '<(first|second) *: *(Illegal move|Error|tellusererror)' "$out/debug.txt" 2>/dev/null | head -5)
[ -z "$complaints" ] || problems+=("engine complaints in debug.txt: $complaints")

echo "games: $out/games.pgn (xboard log: $out/debug.txt)"
[ -n "$endings" ] && echo "$endings"
if [ ${#problems[@]} -gt 0 ]; then
    printf 'FAILED: %s\n' "${problems[@]}"
    exit 1
fi
echo "all $games games ended soundly"
