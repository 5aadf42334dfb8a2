#!/usr/bin/env bash
# Browser stage: builds the web version and plays it in headless Chromium, checking its frames
# against the desktop build's, rendered headless by the screenshot tool; then the level editor.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh emscripten chromium
# A node from elsewhere may bring its own npm; Debian's would clash with it.
command -v npm >/dev/null || bash scripts/deps.sh npm

bash scripts/web.sh
cmake --build build --target foldbot_screenshot -j2

# The desktop frames sit beside the page, served with it.
frames=build-web/desktop
rm -rf "$frames"
(cd build && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy ./tools/screenshot/foldbot_screenshot --frames 10 "../$frames" &&
  SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy ./tools/screenshot/foldbot_screenshot "../$frames")

# The browser driver, outside the repository's files (build-npm/ is ignored like every build folder).
[ -d build-npm/node_modules/playwright-core ] ||
  npm install --prefix build-npm --no-save --no-audit --no-fund playwright-core@1.65.2
node tests/web_browser_test.js build-web build-npm build
node tests/web_editor_test.js build-web build-npm build
