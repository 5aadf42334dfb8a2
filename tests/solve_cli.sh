#!/usr/bin/env bash
# The solver as a level author runs it on map files: its answers, its exit statuses and the
# files it writes. Usage: solve_cli.sh SOLVER SOURCE_ROOT
set -uo pipefail
solve=$1
root=$2
maps=$root/tests/solve-maps
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# Runs the solver; sets $status, $out (stdout and stderr) and $last (the last line).
run() {
  timeout 120 "$solve" "$@" >"$tmp/out" 2>&1
  status=$?
  out=$(cat "$tmp/out")
  last=$(tail -n 1 "$tmp/out")
}
expect() { # STATUS REGEX DESCRIPTION
  [ "$status" -eq "$1" ] || fail "$3: exit $status, not $1: $last"
  [[ $last =~ $2 ]] || fail "$3: last line: $last"
}

run "$maps/stairs.map" # 16 steps, 1 combo by a plain search too
expect 0 "^$maps/stairs.map: 16 steps, 1 combos, optimal, " "shortest route"
[[ $(head -n 1 "$tmp/out") =~ ^"$maps/stairs.map: "(.+", ")?[0-9]+" x "[0-9]+", one screen"$ ]] ||
  fail "first line: $(head -n 1 "$tmp/out")"
run --fewest-combos --playable --keys "$tmp/stairs.keys" --demo "$tmp/stairs.demo" \
  "$maps/stairs.map"
expect 0 ": 16 steps, 1 combos, optimal among playable, fewest combos, " "walkthrough route"
run --check "$tmp/stairs.keys" "$maps/stairs.map"
expect 0 "reaches the goal on frame" "its key file"

# The demo (--demo) is written by the game's own demo writer; course_test plays it to the goal.

# --from: the search starts where a demo's first half or a key file leaves the board.
head -n 12 "$tmp/stairs.demo" >"$tmp/half.demo"
run --from "$tmp/half.demo" "$maps/stairs.map"
expect 0 ": [0-9]+ steps, [0-9]+ combos, optimal, " "from half a demo"
run --from "$maps/holes-dead.keys" "$maps/holes.map" # the blocks fall apart into two holes
expect 1 ": no route: the whole space explored" "from a dead end"
run --from "$tmp/missing.keys" "$maps/holes.map"
[ "$status" -eq 2 ] && [[ $out == *"--from: $tmp/missing.keys"* ]] || fail "a missing --from file: $out"

# The figure's poses, whose patterns do not hang together, so only the box bound prunes.
run "$maps/figure.map" # 16 steps by a plain search too
expect 0 "^$maps/figure.map: 16 steps, 1 combos, optimal, " "figure poses"

run "$maps/walled.map"
expect 1 "^$maps/walled.map: no route: the whole space explored, [0-9]+ states" "no route"
run --fast --beam 1 "$maps/walled.map"
expect 3 "proves nothing" "a quick search that finds nothing"
[[ $out != *"no route"* ]] || fail "the quick search claims no route"

run "$maps/nine.map"
expect 3 "9 blocks; the solver's state holds at most 8" "too many blocks"
run "$maps/tab.map"
expect 2 "^foldbot_solve: $maps/tab.map, line 3, column 5: a tab" "bad map"
run --demo "$tmp/x.demo" level1
expect 2 "--demo is for map files" "demo of a shipped level"

# A shipped level written out plays as the level itself: its walkthrough wins on the same frame.
"$solve" --export level1 >"$tmp/level1.map" || fail "export level1"
run --check "$root/content/walkthrough/level1.keys" level1
want=${last#level1: }
# Blanks an editor leaves at a row's end or below the map change nothing.
sed -i '4s/$/ /; $a\\' "$tmp/level1.map"
run --check "$root/content/walkthrough/level1.keys" "$tmp/level1.map"
expect 0 "reaches the goal" "exported level1"
[ "${last#"$tmp"/level1.map: }" = "$want" ] || fail "exported level1: $last, not $want"
"$solve" --export level2 >"$tmp/level2.map" || fail "export level2"
run --check "$root/content/walkthrough/level2.keys" "$tmp/level2.map"
expect 0 "reaches the goal" "exported level2"

# Stopped by a limit: never a claim of no route, and a status of its own.
run --max-memory 60M level1
expect 3 "memory ceiling of 60 MiB \(--max-memory\)" "memory ceiling"
[[ $out != *"no route"* ]] || fail "a search out of memory claims no route"
for size in lots 5; do
  run --max-memory $size level1
  expect 2 "not a size: $size \(a number and its unit, K, M or G" "memory size $size"
done

# Ctrl-C in the middle of a search: exit 130 at once, a word on stderr, no route.
"$solve" --playable --progress level1 >"$tmp/int.out" 2>"$tmp/int.err" &
pid=$!
for _ in $(seq 600); do
  grep -q '^depth 12:' "$tmp/int.err" && break; kill -0 "$pid" 2>/dev/null || break; sleep 0.05
done
kill -INT "$pid" 2>/dev/null
# Only a guard against a hang: the search checks the flag every few hundred states.
for _ in $(seq 400); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
kill -0 "$pid" 2>/dev/null && { fail "still searching after Ctrl-C"; kill -KILL "$pid"; }
wait "$pid"
status=$?
[ "$status" -eq 130 ] || fail "Ctrl-C: exit $status, not 130"
grep -q 'interrupted' "$tmp/int.err" || fail "Ctrl-C: no word on stderr"
grep -q 'no route' "$tmp/int.err" && fail "Ctrl-C: claims no route"
[ ! -s "$tmp/int.out" ] || fail "Ctrl-C: printed $(cat "$tmp/int.out")"

if [ "$failures" -eq 0 ]; then echo "solver command line: all passed"; fi
exit $((failures > 0))
