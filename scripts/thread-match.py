#!/usr/bin/env python3
"""A match between two Morvane set-ups over the xboard protocol, for example
two search threads against one:

    scripts/thread-match.py build/morvane --games 20 --base 10 --inc 0.1 --cores-a 2 --cores-b 1

Each engine runs in a fresh folder of its own (so each creates its own
Morvane.ini and finds the default book beside the executable, which varies
the openings). Colours alternate. The engines announce the end of the game
themselves; a game still going after --max-plies is scored a draw. Prints the
score of A, the Elo difference and its 95% margin.
"""
import argparse
import math
import os
import sys
import tempfile
import time

from xboard_engine import XboardEngine

RESULTS = {"1-0": (1, 0), "0-1": (0, 1), "1/2-1/2": (0.5, 0.5)}


def play(binary, white_cores, black_cores, base, inc, max_plies):
    with tempfile.TemporaryDirectory() as fw, tempfile.TemporaryDirectory() as fb:
        engines = [XboardEngine([binary], fw, ["cores %d" % white_cores]),
                   XboardEngine([binary], fb, ["cores %d" % black_cores])]
        clocks = [base * 100.0, base * 100.0]  # centiseconds
        for e in engines:
            e.send("new")
            e.send("level 0 %d:%02d %g" % (base // 60, base % 60, inc))
            e.send("post")
        result, reason = None, "draw by the ply limit"
        for ply in range(max_plies):
            side = ply % 2
            mover, other = engines[side], engines[1 - side]
            mover.send("time %d" % clocks[side])
            mover.send("otim %d" % clocks[1 - side])
            if ply == 0:
                mover.send("go")
            start = time.monotonic()
            line = mover.wait_for(lambda l: l.startswith("move ") or l.split(" ")[0] in RESULTS, clocks[side] / 100 + 5)
            used = (time.monotonic() - start) * 100
            clocks[side] += inc * 100 - used
            if line is None or clocks[side] < 0:
                result = (0, 1) if side == 0 else (1, 0)
                reason = "%s lost on time or gave no answer" % ("White" if side == 0 else "Black")
                break
            word = line.split(" ")
            if word[0] in RESULTS:
                result, reason = RESULTS[word[0]], line
                break
            other.send(word[1])
            # The mover announces the end after its move, the other after the reply it got.
            end = mover.wait_for(lambda l: l.split(" ")[0] in RESULTS, 0.05)
            if end:
                result, reason = RESULTS[end.split(" ")[0]], end
                break
        for e in engines:
            e.close()
        return (result or (0.5, 0.5)), reason, ply + 1


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("binary")
    ap.add_argument("--games", type=int, default=20)
    ap.add_argument("--base", type=int, default=10, help="seconds per game")
    ap.add_argument("--inc", type=float, default=0.1, help="seconds per move")
    ap.add_argument("--cores-a", type=int, default=2)
    ap.add_argument("--cores-b", type=int, default=1)
    ap.add_argument("--max-plies", type=int, default=300)
    args = ap.parse_args()
    binary = os.path.abspath(args.binary)
    score, wins, draws, losses = 0.0, 0, 0, 0
    for g in range(args.games):
        a_white = g % 2 == 0
        cores = (args.cores_a, args.cores_b) if a_white else (args.cores_b, args.cores_a)
        (w, b), reason, plies = play(binary, cores[0], cores[1], args.base, args.inc, args.max_plies)
        a = w if a_white else b
        score += a
        wins += a == 1
        draws += a == 0.5
        losses += a == 0
        print("game %d: A %s, %d plies, %s; score %.1f/%d" %
              (g + 1, "white" if a_white else "black", plies, reason, score, g + 1), flush=True)
    n = args.games
    p = score / n
    # Standard error of the mean score from the win/draw/loss frequencies.
    var = (wins * (1 - p) ** 2 + draws * (0.5 - p) ** 2 + losses * p ** 2) / n
    se = math.sqrt(var / n)

    def elo(x):
        x = min(max(x, 1e-3), 1 - 1e-3)
        return -400 * math.log10(1 / x - 1)

    print("A (%d cores) vs B (%d cores): +%d =%d -%d, %.1f%%, Elo %+.0f (95%%: %+.0f to %+.0f)" %
          (args.cores_a, args.cores_b, wins, draws, losses, 100 * p, elo(p), elo(p - 1.96 * se), elo(p + 1.96 * se)))


if __name__ == "__main__":
    sys.exit(main())
