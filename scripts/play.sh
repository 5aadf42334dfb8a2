#!/usr/bin/env bash
# Installs what is missing, builds the game with its pictures and music, and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
# The game reads ./img and ./snd, which the build writes into its own folder.
cd build
exec ./foldbot
