#!/usr/bin/env bash
# The game in a real X window: installs Xvfb, xdotool, xwd and setxkbmap when missing, then runs
# the window test on build/ (which scripts/test.sh has built).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh xvfb xdotool x11-apps x11-xkb-utils
cmake --build build -j"$(nproc)" --target window_tests
ctest --test-dir build --output-on-failure -R '^window\.'
