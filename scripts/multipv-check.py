#!/usr/bin/env python3
"""How good the lines of a several-line search are, against each root move's own score.

  multipv-check.py scores ENGINE DEPTH FENFILE OUT.json
      For every position of FENFILE (one FEN a line), searches each legal
      root move on its own to DEPTH (the position after the move to DEPTH-1,
      from cleared hash tables) through ENGINE's UCI mode, and writes the
      scores, from the view of the side to move, to OUT.json.

  bench_signature -v -m N DEPTH [EPD COUNT] | multipv-check.py regret OUT.json N [-v]
      Reads the final lines of each position and prints the regret: over
      the positions, the sum of how far (in centipawns, at most 500 a
      position) the moves the lines chose fall short of the N best moves by
      their own scores. The positions must be the same, in the same order.

The scores are themselves searches, so two equal settings can differ by a
little; compare settings on a few dozen positions, not on one.
"""
import json
import re
import subprocess
import sys

MATE = 32767


def score_of(tokens):
    i = tokens.index("score")
    v = int(tokens[i + 2])
    if tokens[i + 1] == "mate":
        v = (MATE - abs(v)) * (1 if v > 0 else -1)
    return v


def exact(tokens):
    return "score" in tokens and "lowerbound" not in tokens and "upperbound" not in tokens


class Engine:
    def __init__(self, path):
        self.p = subprocess.Popen([path], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True, cwd="/tmp")
        self.send("uci")
        self.until("uciok")
        self.send("setoption name OwnBook value false")

    def send(self, line):
        self.p.stdin.write(line + "\n")
        self.p.stdin.flush()

    def line(self):
        text = self.p.stdout.readline()
        if not text:
            sys.exit("the engine ended")
        return text

    def until(self, start):
        while not self.line().startswith(start):
            pass

    def moves(self, fen):
        self.send("position fen " + fen)
        self.send("go perft 1")
        found = []
        while True:
            t = self.line().strip()
            if t.startswith("Nodes searched"):
                return found
            if re.match(r"^[a-h][1-8][a-h][1-8][qrbn]?: ", t):
                found.append(t.split(":")[0])

    def last_score(self, depth, want_move=None):
        """The last exact score of the search (of line `want_move` at `depth` if given)."""
        last = None
        while True:
            t = self.line().split()
            if t and t[0] == "bestmove":
                return last
            if not exact(t) or "pv" not in t:
                continue
            if want_move is None:
                last = score_of(t)
            elif t[t.index("pv") + 1] == want_move and t[t.index("depth") + 1] == str(depth):
                last = score_of(t)

    def move_score(self, fen, move, others, depth):
        self.send("ucinewgame")
        self.send(f"position fen {fen} moves {move}")
        self.send(f"go depth {depth - 1}")
        reply = self.last_score(depth - 1)
        if reply is not None:
            return -reply
        # A forced reply or a finished game is not searched: score the move
        # as one of two lines instead.
        other = next(m for m in others if m != move)
        self.send("setoption name MultiPV value 2")
        self.send("ucinewgame")
        self.send("position fen " + fen)
        self.send(f"go depth {depth} searchmoves {move} {other}")
        s = self.last_score(depth, move)
        self.send("setoption name MultiPV value 1")
        return s


def scores(engine_path, depth, fen_file, out):
    engine = Engine(engine_path)
    result = {}
    for fen in (l.strip() for l in open(fen_file)):
        if not fen:
            continue
        moves = engine.moves(fen)
        result[fen] = {m: engine.move_score(fen, m, moves, depth) for m in moves}
        print(fen, len(moves), file=sys.stderr)
    engine.send("quit")
    json.dump(result, open(out, "w"), indent=0)


def regret(ref_file, lines, verbose):
    ref = json.load(open(ref_file))
    blocks = []
    for text in sys.stdin:
        if re.match(r"^\s*\d+ \S+/", text):
            blocks.append([])
        elif "\t" in text and blocks:
            blocks[-1].append(text)
    total = touched = 0
    for index, (fen, block) in enumerate(zip(ref, blocks), 1):
        own = {m: (v if v is not None else -MATE) for m, v in ref[fen].items()}
        n = min(lines, len(own))
        chosen = [l.split("\t")[1].split()[0] for l in block[-n:]]
        best = sorted(own.values(), reverse=True)[:n]
        got = sorted((own.get(m, -MATE) for m in chosen), reverse=True)
        r = sum(min(500, b - g) for b, g in zip(best, got))
        total += r
        touched += r > 0
        if verbose and r:
            print(index, r, chosen, [own.get(m) for m in chosen], best)
    print(f"regret {total} cp over {len(blocks)} positions, {touched} with some")


if __name__ == "__main__":
    if len(sys.argv) == 6 and sys.argv[1] == "scores":
        scores(sys.argv[2], int(sys.argv[3]), sys.argv[4], sys.argv[5])
    elif len(sys.argv) in (4, 5) and sys.argv[1] == "regret":
        regret(sys.argv[2], int(sys.argv[3]), len(sys.argv) == 5)
    else:
        sys.exit(__doc__)
