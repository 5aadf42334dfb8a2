#!/usr/bin/env bash
# A long search with one harness: bash scripts/fuzz-search.sh NAME [SECONDS]   (NAME: demo, keys, map, picture)
# The corpus grows in build-fuzz/corpus/NAME across searches; whatever breaks the harness lands in
# build-fuzz/findings/NAME/, to be fixed and then kept in tests/fuzz/NAME/ as a regression case.
set -euo pipefail
cd "$(dirname "$0")/.."
name=${1:?usage: fuzz-search.sh NAME [SECONDS]}
seconds=${2:-600}
bash scripts/deps.sh clang libclang-rt-14-dev
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy

cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFOLDBOT_FUZZ=ON -DFOLDBOT_BENCH=OFF \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build build-fuzz -j2 --target foldbot_fuzz_seeds "fuzz_$name"
corpus=build-fuzz/corpus/$name
findings=build-fuzz/findings/$name
mkdir -p "$findings" "tests/fuzz/$name"
[ -d "$corpus" ] || build-fuzz/tools/fuzz/foldbot_fuzz_seeds build-fuzz/corpus

# One job, niced: the machine is shared. A finding does not stop the search.
nice -n 10 build-fuzz/tools/fuzz/fuzz_"$name" -fork=1 -ignore_crashes=1 -ignore_ooms=1 -ignore_timeouts=1 \
  -max_total_time="$seconds" -max_len=4096 -timeout=20 -print_final_stats=1 \
  -artifact_prefix="$findings/" "$corpus" "tests/fuzz/$name"
echo "corpus: $(find "$corpus" -type f | wc -l) files; findings: $(find "$findings" -type f | wc -l)"
