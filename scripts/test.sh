#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test twice: plain, and under ASan + UBSan;
# then the extra stages, scripts/test-*.sh, in name order.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh

jobs=$(nproc)
# No display and no sound card are needed: SDL gets its dummy drivers.
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DFOLDBOT_SANITIZE=ON -DFOLDBOT_BENCH=OFF
cmake --build build-asan -j"$jobs"
ctest --test-dir build-asan --output-on-failure -j"$jobs"

# Each stage builds on build/ and installs its own packages.
for stage in scripts/test-*.sh; do
  [ -e "$stage" ] || continue
  echo "== $stage"
  bash "$stage"
done
