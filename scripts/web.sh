#!/usr/bin/env bash
# Builds the browser version into build-web/ (game.js, game.wasm, game.data and index.html).
# The native build comes first: its generators make the pictures, tracks and walkthrough demo
# that the page packs.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh emscripten

# Debian's emcc runs its JavaScript tools with the first node on the path; a node that is not
# Debian's does not look in Debian's module folder for them.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}

[ -f build/CMakeCache.txt ] || cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --target assets walkthrough_demo -j2

emcmake cmake -S . -B build-web -DFOLDBOT_WEB=ON -DCMAKE_BUILD_TYPE=Release \
  -DFOLDBOT_WEB_ASSETS="$PWD/build"
cmake --build build-web -j2
echo "Browser build ready: serve build-web/ and open index.html, for example with"
echo "  python3 -m http.server --bind 127.0.0.1 --directory build-web 8000"
