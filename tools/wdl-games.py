#!/usr/bin/env python3
"""Self-play games of the built engine for fitting its win/draw/loss model
(tools/wdl-fit.py reads what this writes).

    nice tools/wdl-games.py build/morvane --games 1300 --jobs 2 --out wdl-data.csv

Two engine processes play each other over the xboard protocol, each in a
fresh folder of its own, so that each creates its own Morvane.ini and finds
the default book beside the executable: the book's random choices (seeded
from the clock) vary the openings, and --random-plies adds a few moves of
the script's own choice on top (from --seed) so that no two games share a
line. After that every move is searched to a fixed depth (--depth, 6 plies
by default; with --depth 0 at a fixed time per move, --st, instead). The
engine binary needs its default book (Morvane.book) beside it.

For every searched move the script keeps one row:

    game,ply,score,material,result

score: the mover's last thinking line before its move (centipawns, the
mover's point of view; mate scores are left out); material: pawns 1,
knights and bishops 3, rooks 5, queens 9, both sides, counted on the board
the mover searched; result: the game's outcome for the mover (1, 0.5, 0).
The engines end the game themselves (mate, stalemate, repetition, the
fifty-move rule, too little material, resignation); a game still going
after --max-plies counts as a draw and its rows are dropped.
"""
import argparse
import multiprocessing
import os
import random
import re
import sys
import tempfile
import time

# The engine driver the match scripts share.
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "scripts"))
from xboard_engine import XboardEngine  # noqa: E402

RESULTS = {"1-0": 1.0, "0-1": 0.0, "1/2-1/2": 0.5}
WEIGHTS = {"p": 1, "n": 3, "b": 3, "r": 5, "q": 9}
THINKING = re.compile(r"^\s*(\d+)\s+(-?\d+)\s+(\d+)\s+(\d+)")
MATE_BOUND = 16383
MOVE = re.compile(r"^[a-h][1-8][a-h][1-8][nbrqNBRQ]?$")


def legal(engine, move, tag):
    """Plays `move` in force mode; false if the engine refused it."""
    engine.send(move)
    engine.send("ping %d" % tag)
    refused = [False]

    def seen(line):
        if line.startswith("Illegal move"):
            refused[0] = True

    engine.wait_for(lambda l: l == "pong %d" % tag, 10, seen=seen)
    return not refused[0]


class Board:
    """Just enough of a board to count material along a game of coordinate
    moves (e2e4, e7e8q, castling as e1g1)."""

    def __init__(self):
        self.sq = {}
        for i, f in enumerate("abcdefgh"):
            back = "rnbqkbnr"[i]
            self.sq[f + "1"], self.sq[f + "2"] = back.upper(), "P"
            self.sq[f + "7"], self.sq[f + "8"] = "p", back

    def apply(self, move):
        fr, to, promo = move[:2], move[2:4], move[4:5]
        piece = self.sq.pop(fr)
        if piece in "Pp" and fr[0] != to[0] and to not in self.sq:  # en passant
            self.sq.pop(to[0] + fr[1], None)
        if piece in "Kk" and abs(ord(fr[0]) - ord(to[0])) == 2:  # castling: the rook too
            rook_from, rook_to = ("h", "f") if to[0] == "g" else ("a", "d")
            self.sq[rook_to + fr[1]] = self.sq.pop(rook_from + fr[1])
        if promo:
            piece = promo.upper() if piece.isupper() else promo.lower()
        self.sq[to] = piece

    def material(self):
        return sum(WEIGHTS.get(p.lower(), 0) for p in self.sq.values())

    def pseudo_moves(self, white):
        """Plain piece moves for the random opening plies: no castling, no
        en passant, no promotion; legality is the engine's call."""
        steps = {"n": [(1, 2), (2, 1), (-1, 2), (-2, 1), (1, -2), (2, -1), (-1, -2), (-2, -1)],
                 "b": [(1, 1), (1, -1), (-1, 1), (-1, -1)], "r": [(1, 0), (-1, 0), (0, 1), (0, -1)]}
        steps["q"] = steps["k"] = steps["b"] + steps["r"]
        moves = []
        for s, p in self.sq.items():
            if p.isupper() != white:
                continue
            f, r = ord(s[0]) - 97, int(s[1])

            def at(df, dr):
                ff, rr = f + df, r + dr
                return chr(97 + ff) + str(rr) if 0 <= ff < 8 and 1 <= rr <= 8 else None

            kind = p.lower()
            if kind == "p":
                d = 1 if white else -1
                one = at(0, d)
                if one and one not in self.sq and one[1] not in "18":
                    moves.append(s + one)
                    two = at(0, 2 * d)
                    if r == (2 if white else 7) and two not in self.sq:
                        moves.append(s + two)
                for df in (-1, 1):
                    t = at(df, d)
                    if t and t in self.sq and self.sq[t].isupper() != white and t[1] not in "18":
                        moves.append(s + t)
                continue
            for df, dr in steps[kind]:
                reach = 1 if kind in "nk" else 7
                for k in range(1, reach + 1):
                    t = at(k * df, k * dr)
                    if t is None:
                        break
                    if t in self.sq:
                        if self.sq[t].isupper() != white:
                            moves.append(s + t)
                        break
                    moves.append(s + t)
        return moves


def play(binary, st, depth, random_plies, max_plies, rng):
    """One game; returns the rows (without the game number) and the outcome."""
    with tempfile.TemporaryDirectory() as fw, tempfile.TemporaryDirectory() as fb:
        engines = [XboardEngine([binary], fw), XboardEngine([binary], fb)]
        try:
            return play_game(engines, st, depth, random_plies, max_plies, rng)
        finally:
            for e in engines:
                e.close()


def play_game(engines, st, depth, random_plies, max_plies, rng):
    board = Board()
    for e in engines:
        e.send("new")
        e.send("force")
        e.send("st %g" % st)
        if depth:
            e.send("sd %d" % depth)
        e.send("post")
    # A few random moves first; the engine refuses an illegal one ("Illegal
    # move"), and then the game starts from the moves so far.
    played = []
    for ply in range(random_plies):
        choices = board.pseudo_moves(ply % 2 == 0)
        rng.shuffle(choices)
        for m in choices:
            if legal(engines[0], m, ply):
                engines[1].send(m)
                board.apply(m)
                played.append(m)
                break
        else:
            break
    rows, result = [], None
    start = len(played)
    for e in engines:
        e.send("computer")
    engines[start % 2].send("go")
    engines[1 - start % 2].send("playother")
    for ply in range(start, max_plies):
        side = ply % 2
        mover, other = engines[side], engines[1 - side]
        score = [None]

        def seen(line):
            m = THINKING.match(line)
            if m:
                score[0] = int(m.group(2))

        line = mover.wait_for(lambda l: l.startswith("move ") or l.split(" ")[0] in RESULTS, 60, seen=seen)
        if line is None:
            return None, "no answer"
        word = line.split(" ")
        if word[0] in RESULTS:
            result = RESULTS[word[0]]
            break
        move = word[1]
        if not MOVE.match(move):
            return None, "unexpected move text " + move
        if score[0] is not None and abs(score[0]) <= MATE_BOUND:
            rows.append([ply, score[0], board.material(), side])
        board.apply(move)
        other.send(move)
        # The mover may announce the end with its move; if it is not there
        # yet, the other announces it instead of a reply.
        end = mover.wait_for(lambda l: l.split(" ")[0] in RESULTS, 0)
        if end:
            result = RESULTS[end.split(" ")[0]]
            break
    if result is None:
        return None, "ply limit"
    # The outcome for the mover of each row: White's result, or its mirror.
    out = [[p, s, m, result if side == 0 else 1 - result] for p, s, m, side in rows]
    return out, "%g" % result


def worker(args):
    binary, first, count, st, depth, random_plies, max_plies, seed = args
    rng = random.Random(seed * 1000003 + first)
    games = []
    for g in range(first, first + count):
        rows, outcome = play(binary, st, depth, random_plies, max_plies, rng)
        games.append((g, rows, outcome))
    return games


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("binary")
    ap.add_argument("--games", type=int, default=1200)
    ap.add_argument("--jobs", type=int, default=1, help="games played at the same time")
    ap.add_argument("--st", type=float, default=1, help="seconds per move (with --depth: the most)")
    ap.add_argument("--depth", type=int, default=6, help="plies per move (0: --st alone)")
    ap.add_argument("--random-plies", type=int, default=2, help="random moves before the book")
    ap.add_argument("--max-plies", type=int, default=400)
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--out", default="wdl-data.csv")
    args = ap.parse_args()
    binary = os.path.abspath(args.binary)
    chunk = 10
    tasks = [(binary, g, min(chunk, args.games - g), args.st, args.depth, args.random_plies, args.max_plies, args.seed)
             for g in range(0, args.games, chunk)]
    started = time.monotonic()
    done, kept, outcomes = 0, 0, {}
    with open(args.out, "w") as out, multiprocessing.Pool(args.jobs) as pool:
        out.write("game,ply,score,material,result\n")
        for games in pool.imap_unordered(worker, tasks):
            for g, rows, outcome in games:
                done += 1
                outcomes[outcome] = outcomes.get(outcome, 0) + 1
                if rows is None:
                    continue
                kept += 1
                for p, s, m, r in rows:
                    out.write("%d,%d,%d,%d,%g\n" % (g, p, s, m, r))
            out.flush()
            print("%d games, %d kept, %.0f s, outcomes %s" % (done, kept, time.monotonic() - started,
                                                              sorted(outcomes.items())), flush=True)


if __name__ == "__main__":
    sys.exit(main())
