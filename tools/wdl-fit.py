#!/usr/bin/env python3
"""Fits the engine's win/draw/loss model (src/search/WinChances.cpp) to the
positions of its own games (tools/wdl-games.py) by maximum likelihood, and
reports how well it predicts the games held out of the fit.

    tools/wdl-fit.py data/wdl/selfplay-1300.csv.gz [--degree 2] [--floor 0] [--holdout 5]

The model: with x the material left scaled to [0, 1] (material, at least --floor, over 78),

    win  = 1 / (1 + exp(-(score - a(x)) / b(x)))
    loss = 1 / (1 + exp(-(-score - a(x)) / b(x)))
    draw = 1 - win - loss

where a (the midpoint) and b (the spread) are polynomials in x. Every
position counts once, the outcome of its game from the mover's side being
the observation. Games whose number is a multiple of --holdout (one in five
by default) stay out of the fit; the script reports the mean log-loss on them
of the fitted model, of the same model without the material (a and b
constants), and of a constant (the training games' win/draw/loss shares),
then a calibration table: the held-out positions in ten bins of the
predicted expected score, each with the predicted and the seen shares.

Plain Python (no numpy): Newton's method on the summed log-likelihood, the
gradient written out and the Hessian from differences of gradients, with
step halving while the likelihood does not rise.
"""
import argparse
import gzip
import math
import sys

MATERIAL_SCALE = 78.0
SCORE_CLAMP = 10000   # as the engine's model
MATE_BOUND = 16383
EPS = 1e-12


def read_rows(path, holdout):
    """(train, test): lists of (score, material, result, count), identical
    rows merged."""
    sets = [{}, {}]
    with (gzip.open(path, "rt") if path.endswith(".gz") else open(path)) as f:
        next(f)
        for line in f:
            parts = line.strip().split(",")
            if len(parts) != 5:
                continue
            game, _, score, material, result = int(parts[0]), int(parts[1]), int(parts[2]), int(parts[3]), \
                float(parts[4])
            if abs(score) > MATE_BOUND:
                continue
            score = max(-SCORE_CLAMP, min(SCORE_CLAMP, score))
            key = (score, material, result)
            d = sets[1 if game % holdout == 0 else 0]
            d[key] = d.get(key, 0) + 1
    return [[(s, m, r, n) for (s, m, r), n in d.items()] for d in sets]


def scaled(material, floor):
    return min(max(material, floor), MATERIAL_SCALE) / MATERIAL_SCALE


def logistic(t):
    if t >= 0:
        return 1 / (1 + math.exp(-t))
    e = math.exp(t)
    return e / (1 + e)


def poly(c, x):
    v = 0.0
    for k in reversed(c):
        v = v * x + k
    return v


def chances(theta, degree, score, x):
    a = poly(theta[:degree + 1], x)
    b = poly(theta[degree + 1:], x)
    if a <= 0 or b <= 0:
        return None
    w = logistic((score - a) / b)
    l = logistic((-score - a) / b)
    return w, 1 - w - l, l, a, b


def log_likelihood(theta, degree, rows, floor, grad=False):
    n = len(theta)
    total = 0.0
    g = [0.0] * n
    for s, m, r, count in rows:
        x = scaled(m, floor)
        c = chances(theta, degree, s, x)
        if c is None:
            return -math.inf, g
        w, d, l, a, b = c
        u, v = (s - a) / b, (-s - a) / b
        if r == 1:
            p = w
            da, db = -(1 - w) / b, -(1 - w) * u / b
        elif r == 0:
            p = l
            da, db = -(1 - l) / b, -(1 - l) * v / b
        else:
            p = d
            dd = max(d, EPS)
            ww, ll = w * (1 - w), l * (1 - l)
            da, db = (ww + ll) / (b * dd), (ww * u + ll * v) / (b * dd)
        total += count * math.log(max(p, EPS))
        if grad:
            xi = 1.0
            for i in range(degree + 1):
                g[i] += count * da * xi
                g[degree + 1 + i] += count * db * xi
                xi *= x
    return total, g


def solve(h, g):
    """x with h x = g (Gaussian elimination with pivoting)."""
    n = len(g)
    a = [row[:] + [g[i]] for i, row in enumerate(h)]
    for col in range(n):
        piv = max(range(col, n), key=lambda r: abs(a[r][col]))
        a[col], a[piv] = a[piv], a[col]
        if abs(a[col][col]) < 1e-300:
            raise ZeroDivisionError
        for r in range(n):
            if r != col:
                f = a[r][col] / a[col][col]
                for k in range(col, n + 1):
                    a[r][k] -= f * a[col][k]
    return [a[i][n] / a[i][i] for i in range(n)]


def fit(rows, degree, floor, start, log=True):
    theta = start[:]
    value, g = log_likelihood(theta, degree, rows, floor, True)
    for it in range(50):
        # The Hessian from central differences of the gradient.
        n = len(theta)
        h = [[0.0] * n for _ in range(n)]
        for j in range(n):
            step = 1e-4 * max(1.0, abs(theta[j]))
            up = theta[:]
            up[j] += step
            down = theta[:]
            down[j] -= step
            gu = log_likelihood(up, degree, rows, floor, True)[1]
            gd = log_likelihood(down, degree, rows, floor, True)[1]
            for i in range(n):
                h[i][j] = (gu[i] - gd[i]) / (2 * step)
        h = [[(h[i][j] + h[j][i]) / 2 for j in range(n)] for i in range(n)]
        try:
            delta = solve(h, g)
            delta = [-d for d in delta]  # Newton: theta - H^-1 g
        except ZeroDivisionError:
            delta = [1e-6 * gi for gi in g]
        # The Newton step must climb; if it points down, follow the gradient.
        if sum(d * gi for d, gi in zip(delta, g)) <= 0:
            delta = [1e-6 * gi for gi in g]
        t = 1.0
        while t > 1e-8:
            trial = [th + t * d for th, d in zip(theta, delta)]
            tv, tg = log_likelihood(trial, degree, rows, floor, True)
            if tv > value:
                break
            t /= 2
        else:
            break
        gain = tv - value
        theta, value, g = trial, tv, tg
        if log:
            print("  iteration %d: log-likelihood %.3f (step %g)" % (it + 1, value, t), file=sys.stderr)
        if gain < 1e-6:
            break
    return theta, value


def mean_log_loss(rows, predict):
    total, count = 0.0, 0
    for s, m, r, n in rows:
        w, d, l = predict(s, m)
        p = w if r == 1 else l if r == 0 else d
        total -= n * math.log(max(p, EPS))
        count += n
    return total / count


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("data")
    ap.add_argument("--degree", type=int, default=2, help="of the midpoint and spread polynomials")
    ap.add_argument("--floor", type=int, default=0, help="smallest material the model tells apart")
    ap.add_argument("--holdout", type=int, default=5, help="games numbered a multiple of this are held out")
    args = ap.parse_args()
    train, test = read_rows(args.data, args.holdout)
    count = lambda rows: sum(r[3] for r in rows)
    print("positions: %d to fit, %d held out" % (count(train), count(test)))

    # The constant baseline: the training positions' shares of each outcome.
    shares = [sum(n for s, m, r, n in train if r == v) / count(train) for v in (1, 0.5, 0)]
    constant = lambda s, m: shares

    # Material-blind model first (a and b constants); it starts the full one.
    blind, _ = fit(train, 0, args.floor, [100.0, 100.0])
    start = [blind[0]] + [0.0] * args.degree + [blind[1]] + [0.0] * args.degree
    theta, value = fit(train, args.degree, args.floor, start)

    def model(t, degree):
        def predict(s, m):
            c = chances(t, degree, s, scaled(m, args.floor))
            return c[:3] if c else (1 / 3, 1 / 3, 1 / 3)
        return predict

    print("held-out mean log-loss: model %.4f, score only %.4f, constant %.4f (shares W %.3f D %.3f L %.3f)" %
          (mean_log_loss(test, model(theta, args.degree)), mean_log_loss(test, model(blind, 0)),
           mean_log_loss(test, constant), *shares))
    print("training mean log-loss: model %.4f" % (-value / count(train)))

    # Where the material helps: the held-out loss by material left.
    print("held-out mean log-loss by material left (model / score only / constant):")
    for low, high in ((0, 19), (20, 39), (40, 59), (60, 999)):
        band = [row for row in test if low <= row[1] <= high]
        if band:
            print("  %2d-%-3d %7d positions: %.4f / %.4f / %.4f" %
                  (low, min(high, 78), count(band), mean_log_loss(band, model(theta, args.degree)),
                   mean_log_loss(band, model(blind, 0)), mean_log_loss(band, constant)))

    # Calibration on the held-out positions.
    predict = model(theta, args.degree)
    bins = [[0.0] * 7 for _ in range(10)]  # positions, predicted W D L, seen W D L
    for s, m, r, n in test:
        w, d, l = predict(s, m)
        k = min(9, int((w + d / 2) * 10))
        b = bins[k]
        b[0] += n
        b[1] += n * w
        b[2] += n * d
        b[3] += n * l
        b[4 + (0 if r == 1 else 1 if r == 0.5 else 2)] += n
    print("calibration (held out), by predicted expected score:")
    print("  bin        positions   predicted W/D/L      seen W/D/L")
    for k, b in enumerate(bins):
        if b[0] == 0:
            continue
        print("  %.1f-%.1f  %9d   %.3f %.3f %.3f   %.3f %.3f %.3f" %
              (k / 10, (k + 1) / 10, b[0], b[1] / b[0], b[2] / b[0], b[3] / b[0], b[4] / b[0], b[5] / b[0],
               b[6] / b[0]))

    fmt = lambda c: ", ".join("%.3f" % v for v in c)
    print("constexpr double MidpointCoefficients[] = {%s};" % fmt(theta[:args.degree + 1]))
    print("constexpr double SpreadCoefficients[] = {%s};" % fmt(theta[args.degree + 1:]))
    print("constexpr int32_t MaterialFloor = %d;" % args.floor)


if __name__ == "__main__":
    sys.exit(main())
