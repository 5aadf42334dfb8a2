#!/usr/bin/env bash
# Fuzzing regressions and memcheck: builds the libFuzzer harnesses with clang into build-fuzz/,
# replays each harness over its seeds and its regression files (tests/fuzz/<name>/) for a fixed
# number of runs, then loads the picture cases through the real game (build/foldbot) under
# valgrind's memcheck, which sees inside Debian's uninstrumented SDL.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh clang libclang-rt-14-dev valgrind
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
jobs=$(nproc)

names=()
for src in tools/fuzz/*_fuzz.cpp; do names+=("$(basename "$src" _fuzz.cpp)"); done
cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFOLDBOT_FUZZ=ON -DFOLDBOT_BENCH=OFF \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build build-fuzz -j"$jobs" --target foldbot_fuzz_seeds "${names[@]/#/fuzz_}"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
build-fuzz/tools/fuzz/foldbot_fuzz_seeds "$scratch/seeds"

# A fixed seed and run count: the same inputs every time, a check rather than a search.
for name in "${names[@]}"; do
  echo "== replaying $name"
  mkdir -p "$scratch/corpus-$name"
  cp "$scratch/seeds/$name"/* "$scratch/corpus-$name/" 2>/dev/null || true
  count=1000
  case $name in code) count=4000 ;; demo) count=200 ;; keys) count=300 ;; map) count=300 ;; picture) count=3000 ;; esac
  regressions=()
  [ -d "tests/fuzz/$name" ] && regressions=("tests/fuzz/$name")
  build-fuzz/tools/fuzz/fuzz_"$name" -seed=1 -runs=$count -max_len=512 -timeout=30 \
    -artifact_prefix="$scratch/" "$scratch/corpus-$name" "${regressions[@]}" >"$scratch/$name.log" 2>&1 ||
    { cat "$scratch/$name.log"; exit 1; }
  tail -n 2 "$scratch/$name.log"
done

# The game loads its four pictures at start-up, so each run checks four cases; SIGTERM quits it
# once it is playing. Errors only are logged (-q), so any log line is a failure.
echo "== memcheck of the picture cases through the game"
cases=(tests/fuzz/picture/* "$scratch/seeds/picture"/*)
if [ -d build-fuzz/corpus/picture ]; then
  # A sample of a long search's corpus, when there has been one.
  mapfile -t -O ${#cases[@]} cases < <(find build-fuzz/corpus/picture -type f | sort |
    shuf -n 16 --random-source=<(yes))
fi
game=$PWD/build/foldbot
pictures=(title tooth bot loose)
playOnce() {
  local dir=$1
  (cd "$dir" && timeout --preserve-status -s TERM 10 valgrind -q --error-exitcode=99 \
    --leak-check=no --log-file=memcheck.log "$game" >/dev/null; echo $? >status)
}
runs=0
for ((i = 0; i < ${#cases[@]}; i += 4)); do
  dir="$scratch/game$runs"
  mkdir -p "$dir/img"
  ln -s "$PWD/build/snd" "$dir/snd"
  for k in 0 1 2 3; do
    cp "${cases[$(((i + k) % ${#cases[@]}))]}" "$dir/img/${pictures[$k]}.bmp"
  done
  playOnce "$dir" &
  runs=$((runs + 1))
  if ((runs % jobs == 0)); then wait; fi
done
wait
failed=0
for ((r = 0; r < runs; ++r)); do
  dir="$scratch/game$r"
  if [ -s "$dir/memcheck.log" ] || [ "$(cat "$dir/status")" != 0 ]; then
    echo "memcheck run $r failed (exit $(cat "$dir/status")); its pictures:"
    for p in "${pictures[@]}"; do xxd -l 64 "$dir/img/$p.bmp"; done
    cat "$dir/memcheck.log"
    failed=1
  fi
done
echo "memcheck: ${#cases[@]} picture cases in $runs runs of the game"
exit $failed
