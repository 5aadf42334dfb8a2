// The browser build played in headless Chromium: its frames against the desktop's, the keys, the
// end of the game, the colour key and a missing picture's message. Frames are counted, not timed.
// usage: node web_browser_test.js BUILD_WEB NPM_FOLDER   (desktop frames in BUILD_WEB/desktop)
'use strict';
const [assert, fs, http, path] = ['assert', 'fs', 'http', 'path'].map(require);

const [root, npm] = process.argv.slice(2);
const { chromium } = require(path.join(path.resolve(npm), 'node_modules', 'playwright-core'));

// Runs in the page before the game: counts flips and keeps the frames asked for.
function harness() {
  const t = (window.harness = { flips: 0, keep: [1, 10], kept: {} });
  window.Module = {
    onFlip(canvas) {
      if (++t.flips >= t.keep[0] && t.flips <= t.keep[1])
        t.kept[t.flips] = canvas.getContext('2d').getImageData(0, 0, 800, 500).data;
    },
  };
  // Pixels of a kept frame, over rows [0, rows), unlike the desktop frame of that name.
  t.diff = async (flip, name, rows) => {
    const png = await (await fetch('desktop/' + name)).blob();
    const picture = await createImageBitmap(png, { colorSpaceConversion: 'none' });
    const c = new OffscreenCanvas(800, 500).getContext('2d');
    c.drawImage(picture, 0, 0);
    const a = t.kept[flip], b = c.getImageData(0, 0, 800, 500).data;
    let n = 0;
    for (let i = 0; i < 4 * 800 * rows; i += 4) n += a[i] !== b[i] || a[i + 1] !== b[i + 1] || a[i + 2] !== b[i + 2];
    return n;
  };
}

const served = http.createServer((req, res) => {
  const file = path.join(root, path.normalize(new URL(req.url, 'http://x').pathname));
  const types = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm' };
  fs.readFile(file, (err, data) => {
    res.writeHead(err ? 404 : 200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream' });
    res.end(err ? '' : data);
  });
});

async function open(browser, url, setUp) {
  const page = await browser.newPage({ viewport: { width: 860, height: 620 } });
  Object.assign(page, { messages: [], errors: [] });
  page.on('console', (m) => page.messages.push(m.text()));
  page.on('pageerror', (e) => page.errors.push(String(e)));
  await page.addInitScript(harness);
  if (setUp) await page.addInitScript(setUp);
  await page.goto(url);
  return page;
}
const until = (page, n) => page.waitForFunction((n) => harness.flips >= n, n, { timeout: 60000 });
// The frame after a flip from the first to the second given takes the key.
async function press(page, key, how = 'press') {
  const flips = () => page.evaluate(() => harness.flips);
  const before = await flips();
  await page.keyboard[how](key);
  return [before + 1, (await flips()) + 1];
}
// Keeps the frames flipped from `from` to `to`; gives their differences from a desktop frame.
async function diffs(page, from, to, name, rows = 500) {
  await page.evaluate((k) => Object.assign(harness, { keep: k, kept: {} }), [from, to]);
  await until(page, to);
  return page.evaluate(([n, r]) => Promise.all(Object.keys(harness.kept).map((f) => harness.diff(f, n, r))), [name, rows]);
}

served.listen(0, '127.0.0.1', async () => {
  const url = `http://127.0.0.1:${served.address().port}/index.html`;
  const browser = await chromium.launch({
    executablePath: '/usr/bin/chromium',
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
           '--disable-component-update', '--disable-sync'],
  });
  try {
    const page = await open(browser, url);
    await until(page, 10);
    assert.strictEqual(await page.title(), '!#@*');
    for (let f = 1; f <= 10; ++f) {
      const name = `frame-${String(f).padStart(3, '0')}.png`;
      assert.strictEqual(await page.evaluate(([f, n]) => harness.diff(f, n, 500), [f, name]), 0, name);
    }
    // FOLDBOT_WEB_SHOT=file.png saves the page as a player meets it, for the README.
    if (process.env.FOLDBOT_WEB_SHOT) await page.screenshot({ path: process.env.FOLDBOT_WEB_SHOT });

    // From the frame K that takes Enter: closed teeth over the still title at K + 62 and K + 63,
    // and the first level, still, from K + 106 when the wipe has opened.
    let [first, last] = await press(page, 'Enter');
    assert.ok((await diffs(page, first + 62, last + 63, 'wipe.png')).includes(0), 'no closed teeth');
    assert.strictEqual(await page.evaluate(() => SDL.audioContext.state), 'running', 'the key starts the audio');
    assert.deepStrictEqual(await diffs(page, last + 106, last + 108, 'level1.png'), [0, 0, 0], 'level 1');
    assert.strictEqual(await page.evaluate(() => SDL.music.audio.resource.source), '/snd/robot_wars.ogg');
    [first, last] = await press(page, 'd');
    assert.ok((await diffs(page, last + 40, last + 40, 'level1.png'))[0] > 0, 'the pose key left the robot');
    // The end scene's sky, above its boards, is the desktop's. Escape still held down only repeats,
    // as on the desktop; a new press quits.
    [first, last] = await press(page, 'Escape', 'down');
    assert.deepStrictEqual(await diffs(page, last + 106, last + 108, 'end.png', 200), [0, 0, 0], 'no end scene');
    [first, last] = await press(page, 'Escape', 'down');
    await page.waitForFunction((n) => harness.flips >= n || document.getElementById('status').textContent, last + 5);
    assert.strictEqual(await page.textContent('#status'), '', 'a held Escape quit the game');
    await page.keyboard.up('Escape');
    await page.keyboard.press('Escape');
    await page.waitForFunction(() => document.getElementById('status').textContent === 'The game has ended.');
    assert.deepStrictEqual(page.errors, []);

    // An address ending in #walkthrough plays the shipped walkthrough, which takes Enter on its
    // own a few seconds in: the teeth close without a key from the page.
    const walk = await open(browser, url + '#walkthrough');
    assert.ok((await diffs(walk, 300, 330, 'wipe.png')).includes(0), 'no walkthrough');
    await walk.close();

    // A missing tooth, and a title of four pixels: the key colour, a step off it twice, the key.
    const odd = await open(browser, url, () => {
      window.Module.onRuntimeInitialized = () => {
        FS.unlink('/img/tooth.bmp');
        const bmp = new DataView(new ArrayBuffer(66));
        [[0, 0x4d42, 2], [2, 66, 4], [10, 54, 4], [14, 40, 4], [18, 4, 4], [22, 1, 4], [26, 1, 2], [28, 24, 2]]
          .forEach(([at, v, n]) => (n === 2 ? bmp.setUint16(at, v, true) : bmp.setUint32(at, v, true)));
        // Blue, green, red.
        [255, 128, 255, 254, 128, 255, 255, 128, 254, 255, 128, 255].forEach((v, i) => bmp.setUint8(54 + i, v));
        FS.writeFile('/img/title.bmp', new Uint8Array(bmp.buffer));
      };
    });
    await until(odd, 20);
    // The picture message's Latin-1 byte is not UTF-8; the console shows what the browser makes of it.
    assert.ok(odd.messages.includes('porbl\uFFFDme avec le fichier ./img/tooth.bmp'), odd.messages.join('\n'));
    // Laid after frame 1, the title shows in frame 2: only exact key pixels let the black through.
    const corner = await odd.evaluate(() => Array.from(harness.kept[2].slice(0, 16)));
    assert.deepStrictEqual(corner, [0, 0, 0, 255, 255, 128, 254, 255, 254, 128, 255, 255, 0, 0, 0, 255]);
    assert.deepStrictEqual(odd.errors, []);
    console.log('web: all browser checks passed');
  } catch (e) {
    console.error(e);
    process.exitCode = 1;
  } finally {
    await browser.close();
    served.close();
  }
});
