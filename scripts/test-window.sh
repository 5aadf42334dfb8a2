#!/usr/bin/env bash
# The game in a real X window: installs Xvfb, xdotool and xwd when missing, then runs the window
# test on build/ (which scripts/test.sh has built).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh xvfb xdotool x11-apps
cmake --build build -j"$(nproc)" --target window_tests
ctest --test-dir build --output-on-failure -R '^window\.'
