#!/usr/bin/env python3
"""Calibrates Morvane's strength levels against a reference engine that has
its own calibrated UCI_Elo (Debian's `stockfish` package, version 15.1):
Morvane at Elo X plays the reference at the same X, colours alternating.

    scripts/strength-match.py build/morvane --elo 1800 --games 60 --base 10 --inc 0.1

Morvane runs in xboard mode with "Limit Strength" and "Elo" set; the reference
runs behind polyglot (xboard to UCI) with UCI_LimitStrength and UCI_Elo. Each
engine starts in a fresh folder of its own; Morvane finds the default book
beside its executable, which varies the openings. Morvane announces the end of
every game (mate, stalemate, repetition, fifty moves, too little material); a
game still going after --max-plies is scored a draw. Prints each game, then
one summary line: Morvane's wins, draws and losses, its score, and the Elo
difference with its 95% margin (positive: Morvane plays above its level).
--pgn writes the games' moves.
"""
import argparse
import concurrent.futures
import math
import os
import shutil
import sys
import tempfile
import time

from xboard_engine import XboardEngine

RESULTS = {"1-0": (1, 0), "0-1": (0, 1), "1/2-1/2": (0.5, 0.5)}


def is_end(line):
    return line.split(" ")[0] in RESULTS or line.startswith("Illegal move")


def morvane(args, folder):
    setup = ["option Limit Strength=1", "option Elo=%d" % args.morvane_elo, "cores 1", "easy"]
    return XboardEngine([args.binary], folder, setup)


def reference(args, folder):
    with open(os.path.join(folder, "reference.ini"), "w") as f:
        f.write("[PolyGlot]\nEngineCommand = %s\nEngineDir = %s\nBook = false\nResign = false\nLog = false\n"
                "[Engine]\nThreads = 1\nHash = 16\nUCI_LimitStrength = true\nUCI_Elo = %d\n" %
                (args.reference, folder, args.elo))
    return XboardEngine([args.polyglot, "reference.ini"], folder, ["easy"])


def play(args, morvane_white):
    with tempfile.TemporaryDirectory() as fm, tempfile.TemporaryDirectory() as fr:
        m, r = morvane(args, fm), reference(args, fr)
        engines = [m, r] if morvane_white else [r, m]
        clocks = [args.base * 100.0, args.base * 100.0]  # centiseconds
        for e in engines:
            e.send("new")
            e.send("level 0 %d:%02d %g" % (args.base // 60, args.base % 60, args.inc))
            e.send("post")
        for line in args.morvane_command:
            m.send(line)
        result, reason, moves = None, "draw by the ply limit", []
        for ply in range(args.max_plies):
            side = ply % 2
            mover, other = engines[side], engines[1 - side]
            if ply == 0:
                mover.send("time %d" % clocks[side])
                mover.send("otim %d" % clocks[1 - side])
                mover.send("go")
            start = time.monotonic()
            line = mover.wait_for(lambda l: l.startswith("move ") or is_end(l), clocks[side] / 100 + 5)
            used = (time.monotonic() - start) * 100
            clocks[side] += args.inc * 100 - used
            if line is None or clocks[side] < 0:
                result = (0, 1) if side == 0 else (1, 0)
                reason = "%s lost on time or gave no answer" % ("White" if side == 0 else "Black")
                break
            if line.startswith("Illegal move"):
                result, reason = ((0, 1) if side == 1 else (1, 0)), "refused: " + line
                break
            word = line.split(" ")
            if word[0] in RESULTS:
                result, reason = RESULTS[word[0]], line
                break
            moves.append(word[1])
            # The clocks go first, so the engine to move knows its time when it starts.
            other.send("time %d" % clocks[1 - side])
            other.send("otim %d" % clocks[side])
            other.send_move(word[1])
            # Morvane announces the end after its own move, or after the move it was given.
            end = m.wait_for(is_end, 0.05, keep=lambda l: l.startswith("move "))
            if end:
                if end.startswith("Illegal move"):
                    result, reason = ((0, 1) if side == 0 else (1, 0)), "refused: " + end
                else:
                    result, reason = RESULTS[end.split(" ")[0]], end
                break
        for e in engines:
            e.close()
        return (result or (0.5, 0.5)), reason, moves


def elo(x):
    x = min(max(x, 1e-3), 1 - 1e-3)
    return -400 * math.log10(1 / x - 1)


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("binary")
    ap.add_argument("--elo", type=int, required=True, help="the level of both engines")
    ap.add_argument("--morvane-elo", type=int, help="Morvane's own level, when it differs from --elo")
    ap.add_argument("--morvane-command", action="append", default=[],
                    help="an xboard command for Morvane after each new game (e.g. \"sd 4\"); repeatable")
    ap.add_argument("--games", type=int, default=60)
    ap.add_argument("--base", type=int, default=10, help="seconds per game")
    ap.add_argument("--inc", type=float, default=0.1, help="seconds per move")
    ap.add_argument("--concurrency", type=int, default=1, help="games played at once")
    ap.add_argument("--max-plies", type=int, default=400)
    ap.add_argument("--reference", default=shutil.which("stockfish") or "/usr/games/stockfish")
    ap.add_argument("--polyglot", default=shutil.which("polyglot") or "/usr/games/polyglot")
    ap.add_argument("--pgn", help="file for the games")
    args = ap.parse_args()
    args.binary = os.path.abspath(args.binary)
    args.morvane_elo = args.morvane_elo or args.elo
    for tool in (args.reference, args.polyglot):
        if not os.access(tool, os.X_OK):
            print("not found: %s (apt-get install stockfish polyglot)" % tool, file=sys.stderr)
            return 2

    tally = {1: 0, 0.5: 0, 0: 0}
    pgn = open(args.pgn, "w") if args.pgn else None
    with concurrent.futures.ThreadPoolExecutor(args.concurrency) as pool:
        jobs = [pool.submit(play, args, g % 2 == 0) for g in range(args.games)]
        for g, job in enumerate(jobs):
            (w, b), reason, moves = job.result()
            white = g % 2 == 0
            score = w if white else b
            tally[score] += 1
            done = sum(tally.values())
            points = tally[1] + 0.5 * tally[0.5]
            print("game %d: Morvane %s, %d plies, %s; %s; score %.1f/%d" %
                  (g + 1, "white" if white else "black", len(moves), " ".join(moves[:8]), reason, points, done),
                  flush=True)
            if pgn:
                names = ("Morvane %d" % args.morvane_elo, "reference %d" % args.elo)
                pgn.write('[White "%s"]\n[Black "%s"]\n[Result "%s"]\n\n%s %s\n\n' %
                          (names[0 if white else 1], names[1 if white else 0],
                           {1: "1-0", 0: "0-1", 0.5: "1/2-1/2"}[w], " ".join(moves), {1: "1-0", 0: "0-1", 0.5: "1/2-1/2"}[w]))
    n = args.games
    p = (tally[1] + 0.5 * tally[0.5]) / n
    # Standard error of the mean score from the win/draw/loss frequencies.
    var = (tally[1] * (1 - p) ** 2 + tally[0.5] * (0.5 - p) ** 2 + tally[0] * p ** 2) / n
    se = math.sqrt(var / n)
    print("level %d (Morvane %d), %d+%g: +%d =%d -%d, %.1f%%, Elo %+.0f (95%%: %+.0f to %+.0f)" %
          (args.elo, args.morvane_elo, args.base, args.inc, tally[1], tally[0.5], tally[0], 100 * p, elo(p),
           elo(p - 1.96 * se), elo(p + 1.96 * se)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
