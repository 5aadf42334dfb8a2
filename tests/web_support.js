// What both browser tests share: the web build served on a free local port, and headless Chromium
// through playwright-core, both closed however the checks end.
'use strict';
const [fs, http, path] = ['fs', 'http', 'path'].map(require);

// Runs body(browser, base) with `root` served at `base`; a thrown check fails the run.
exports.inBrowser = (root, npm, body) => {
  const { chromium } = require(path.join(path.resolve(npm), 'node_modules', 'playwright-core'));
  const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm' };
  const served = http.createServer((req, res) => {
    const file = path.join(root, path.normalize(new URL(req.url, 'http://x').pathname));
    fs.readFile(file, (err, data) => {
      res.writeHead(err ? 404 : 200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream' });
      res.end(err ? '' : data);
    });
  });
  served.listen(0, '127.0.0.1', async () => {
    const browser = await chromium.launch({
      executablePath: '/usr/bin/chromium',
      args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
             '--disable-component-update', '--disable-sync'],
    });
    try {
      await body(browser, `http://127.0.0.1:${served.address().port}/`);
    } catch (e) {
      console.error(e);
      process.exitCode = 1;
    } finally {
      await browser.close();
      served.close();
    }
  });
};
