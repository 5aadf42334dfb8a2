#!/usr/bin/env python3
"""Candidate levels for an author to look at: mutates a map and keeps the changes the solver
rates as harder, within a level's targets (a route of 25 to 80 steps, a search of at least
10,000 states, a proof of a few seconds). Prints each better candidate and writes the best to
OUT. It only proposes: a person still reads, trims, names and plays every level it finds.

usage: levelgen.py SOLVER OUT [--seed-map MAP] [--size WxH] [--blocks N] [--rounds N]
                   [--timeout S] [--random-seed N] [--trim]

--trim takes --seed-map and clears what the level does not need: each belt, reset cell and
lone wall cell in turn becomes air (or a belt or reset cell a wall) where the shortest route stays
as long and the search between 10,000 and 600,000 states.
"""
import argparse
import math
import os
import random
import re
import subprocess
import sys
import tempfile

LAST = re.compile(r": (\d+) steps, (\d+) combos, optimal, .*?(\d+) states, ([\d.]+) s")
LABELS = "123456789ABCDEFGHIJK"


def solve(solver, text, timeout):
    """(steps, combos, states, seconds) of the proven shortest route, or None."""
    with tempfile.NamedTemporaryFile("w", suffix=".map", delete=False) as f:
        f.write(text)
        path = f.name
    try:
        out = subprocess.run([solver, "--threads", "1", "--max-memory", "1500M", path],
                             capture_output=True, text=True, timeout=timeout).stdout
    except subprocess.TimeoutExpired:
        return None
    finally:
        os.unlink(path)
    lines = out.strip().splitlines()
    m = LAST.search(lines[-1]) if lines else None
    return tuple(float(g) if i == 3 else int(g) for i, g in enumerate(m.groups())) if m else None


def text_of(rows):
    return "; title: candidate\n; poses: chain\n" + "\n".join("".join(r) for r in rows) + "\n"


def blocks_rest(rows):
    # A block on air, a belt or a reset cell would move before the first key.
    for y, row in enumerate(rows):
        for x, c in enumerate(row):
            if c in LABELS and (y + 1 >= len(rows) or rows[y + 1][x] not in "#@" + LABELS):
                return False
    return True


def score(result):
    steps, combos, states, seconds = result
    if steps < 25 or steps > 80:
        return -abs(steps - 50) + 8 * math.log10(max(states, 1))
    # Past a few hundred thousand states a proof gets slow without making a better puzzle.
    size = math.log10(max(states, 1))
    return min(steps, 60) + 8 * min(size, 5.5) - 12 * max(0.0, size - 5.5) + (4 if combos else 0)


def random_map(w, h, blocks, rng):
    rows = [["#"] * w] + [["#"] + [" "] * (w - 2) + ["#"] for _ in range(h - 2)] + [["#"] * w]
    for _ in range(w * h // 12):
        ledge(rows, rng)
    cells = [(x, y) for y in range(1, h - 1) for x in range(1, w - 1)]
    # The first two blocks side by side, so the first key forms a robot.
    for _ in range(1000):
        x, y = rng.choice(cells)
        if x + 1 < w - 1:
            rows[y][x], rows[y][x + 1] = "1", "2"
            rows[y + 1][x] = rows[y + 1][x + 1] = "#"
            break
    for label in LABELS[2:blocks]:
        put_free(rows, label, rng)
    put_free(rows, "@", rng, on_floor=True)
    return rows


def put_free(rows, c, rng, on_floor=False):
    h, w = len(rows), len(rows[0])
    for _ in range(1000):
        x, y = rng.randrange(1, w - 1), rng.randrange(1, h - 2)
        if rows[y][x] == " " and rows[y + 1][x] in "# ":
            if on_floor and y + 1 < h - 1:
                # The goal is a solid cell with air above.
                if rows[y - 1][x] == " ":
                    rows[y][x] = c
                    return
            else:
                rows[y][x] = c
                rows[y + 1][x] = "#"
                return


def ledge(rows, rng):
    h, w = len(rows), len(rows[0])
    y = rng.randrange(1, h - 1)
    x = rng.randrange(1, w - 1)
    n = rng.randint(1, 5)
    c = rng.choices("# <>!", weights=[40, 40, 6, 6, 4])[0]
    vertical = rng.random() < 0.3 and c in "# "
    for i in range(n):
        cx, cy = (x, y + i) if vertical else (x + i, y)
        if 0 < cx < w - 1 and 0 < cy < h - 1 and rows[cy][cx] in "# <>!":
            rows[cy][cx] = c


def mutate(rows, rng):
    rows = [list(r) for r in rows]
    kind = rng.random()
    if kind < 0.7:
        ledge(rows, rng)
    else:
        # Move a block or the goal.
        marks = [(x, y) for y, r in enumerate(rows) for x, c in enumerate(r)
                 if c in LABELS[2:] + "@"]
        if marks:
            x, y = rng.choice(marks)
            c = rows[y][x]
            rows[y][x] = " " if c != "@" else "#"
            put_free(rows, c, rng, on_floor=c == "@")
    return rows


def trim(a, rows, best):
    if best is None:
        sys.exit("levelgen: the map has no route within --timeout")
    h, w = len(rows), len(rows[0])
    for y in range(1, h - 1):
        for x in range(1, w - 1):
            walls = sum(rows[y + dy][x + dx] == "#" for dx, dy in ((0, 1), (0, -1), (1, 0), (-1, 0)))
            # Lone specks of wall, not the walls that shape a room.
            if rows[y][x] == "#" and walls > 1:
                continue
            for c in {"<": "# ", ">": "# ", "!": "# ", "#": " "}.get(rows[y][x], ""):
                cand = [list(r) for r in rows]
                cand[y][x] = c
                if not blocks_rest(cand):
                    continue
                result = solve(a.solver, text_of(cand), a.timeout)
                if result and result[0] >= best[0] and 10000 <= result[2] <= 600000:
                    rows, best = cand, result
                    print(x, y, repr(c), result, flush=True)
                    with open(a.out, "w") as f:
                        f.write(text_of(rows))
                    break


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("solver")
    ap.add_argument("out")
    ap.add_argument("--seed-map")
    ap.add_argument("--size", default="24x14")
    ap.add_argument("--blocks", type=int, default=4)
    ap.add_argument("--rounds", type=int, default=400)
    ap.add_argument("--timeout", type=float, default=20)
    ap.add_argument("--random-seed", type=int, default=1)
    ap.add_argument("--trim", action="store_true")
    a = ap.parse_args()
    rng = random.Random(a.random_seed)
    w, h = (int(v) for v in a.size.split("x"))

    if a.seed_map:
        with open(a.seed_map) as f:
            rows = [list(l.rstrip("\n")) for l in f if not l.startswith(";")]
        width = max(len(r) for r in rows)
        rows = [r + [" "] * (width - len(r)) for r in rows]
        best = solve(a.solver, text_of(rows), a.timeout)
    else:
        best = None
        while best is None:
            rows = random_map(w, h, a.blocks, rng)
            if blocks_rest(rows):
                best = solve(a.solver, text_of(rows), a.timeout)
    if a.trim:
        trim(a, rows, best)
        return
    best_score = score(best) if best else -1e9
    print("start", best, flush=True)
    for r in range(a.rounds):
        cand = mutate(rows, rng)
        if not blocks_rest(cand):
            continue
        result = solve(a.solver, text_of(cand), a.timeout)
        if result is None:
            continue
        s = score(result)
        if s >= best_score:
            rows, best, best_score = cand, result, s
            if s > best_score - 1e-9:
                print(r, result, round(s, 1), flush=True)
                with open(a.out, "w") as f:
                    f.write(text_of(rows))
    print("best", best, file=sys.stderr)


if __name__ == "__main__":
    main()
