#!/usr/bin/env bash
# A pack level's header against the exact search: its shortest length and its fewest
# Space-then-pose moves. Usage: pack_proof.sh SOLVER MAP
set -uo pipefail
solve=$1
map=$2
steps=$(sed -n 's/^; shortest: \([0-9]*\) steps$/\1/p' "$map")
combos=$(sed -n 's/^; fewest combos: \([0-9]*\)$/\1/p' "$map")
if [ -z "$steps" ] || [ -z "$combos" ]; then
  echo "FAIL: $map has no '; shortest: N steps' or '; fewest combos: C' header"
  exit 1
fi
last=$("$solve" --threads 2 --fewest-combos "$map" | tail -n 1)
echo "$last"
if [[ $last != "$map: $steps steps, $combos combos, optimal, "* ]]; then
  echo "FAIL: the header says $steps steps and $combos combos"
  exit 1
fi
