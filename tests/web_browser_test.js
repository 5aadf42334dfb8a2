// The browser build played in headless Chromium: its frames against the desktop's, the keys and
// the end of the game; on phones, the on-screen keys and a demo recorded by touch, replayed by the
// desktop build; practice, hints, the pack's chooser and progress, keys by their place.
// Frames are counted, not timed.
// usage: node web_browser_test.js BUILD_WEB NPM_FOLDER BUILD   (desktop frames in BUILD_WEB/desktop)
'use strict';
const [assert, childProcess, fs, path] = ['assert', 'child_process', 'fs', 'path'].map(require);

const [root, npm, desktopBuild] = process.argv.slice(2);
const { inBrowser } = require('./web_support');

// Runs in the page before the game: counts flips, keeps the frames asked for and a checksum of
// those in another span.
function harness() {
  const t = (window.harness = { flips: 0, keep: [1, 10], kept: {}, sum: [0, -1], sums: {} });
  window.Module = {
    onFlip(canvas) {
      ++t.flips;
      const keep = t.flips >= t.keep[0] && t.flips <= t.keep[1];
      if (!keep && (t.flips < t.sum[0] || t.flips > t.sum[1])) return;
      const data = canvas.getContext('2d').getImageData(0, 0, 800, 500).data;
      if (keep) t.kept[t.flips] = data;
      if (t.flips >= t.sum[0] && t.flips <= t.sum[1]) t.sums[t.flips] = t.checksum(data);
    },
  };
  // FNV-1a over the red, green and blue of every pixel.
  t.checksum = (data) => {
    let h = 0x811c9dc5;
    for (let i = 0; i < data.length; ++i) if ((i & 3) !== 3) h = Math.imul(h ^ data[i], 16777619);
    return h >>> 0;
  };
  t.decode = async (file) => {
    const png = await (await fetch(file)).blob();
    const picture = await createImageBitmap(png, { colorSpaceConversion: 'none' });
    const c = new OffscreenCanvas(800, 500).getContext('2d');
    c.drawImage(picture, 0, 0);
    return c.getImageData(0, 0, 800, 500).data;
  };
  // Pixels of a kept frame, over rows [0, rows), unlike the desktop frame of that name.
  t.diff = async (flip, name, rows) => {
    const a = t.kept[flip], b = await t.decode('desktop/' + name);
    let n = 0;
    for (let i = 0; i < 4 * 800 * rows; i += 4) n += a[i] !== b[i] || a[i + 1] !== b[i + 1] || a[i + 2] !== b[i + 2];
    return n;
  };
}

async function open(browser, url, setUp, device = { viewport: { width: 860, height: 620 } }) {
  const page = await browser.newPage(device);
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

// The on-screen key of that label: the frames that take it, as press() gives them.
const control = (page, label) => page.locator('.key', { hasText: new RegExp(`^${label}$`) });
async function tap(page, label) {
  const flips = () => page.evaluate(() => harness.flips);
  const before = await flips();
  await control(page, label).tap();
  return [before + 1, (await flips()) + 1];
}
// Where the canvas and the shown keys lie, in CSS pixels.
const layout = (page) => page.evaluate(() => {
  const box = (e) => ({ ...e.getBoundingClientRect().toJSON(), label: e.textContent, touch: getComputedStyle(e).touchAction });
  const shown = Array.from(document.querySelectorAll('.key')).filter((k) => k.getClientRects().length > 0);
  const canvas = document.getElementById('canvas');
  return { width: innerWidth, height: innerHeight, canvas: box(canvas), keys: shown.map(box),
           rendering: getComputedStyle(canvas).imageRendering, focused: document.activeElement.id };
});
const apart = (a, b) => a.right <= b.left || b.right <= a.left || a.bottom <= b.top || b.bottom <= a.top;
// Two thumbs: one finger on the first key, the second on the other `ms` later, then both lift.
async function twoThumbs(page, first, second, ms) {
  const centre = async (label, id) => {
    const b = await control(page, label).boundingBox();
    return { x: b.x + b.width / 2, y: b.y + b.height / 2, id };
  };
  const a = await centre(first, 1), b = await centre(second, 2);
  const touch = await page.context().newCDPSession(page);
  await touch.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: [a] });
  await page.waitForTimeout(ms);
  await touch.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: [a, b] });
  await page.waitForTimeout(40);
  await touch.send('Input.dispatchTouchEvent', { type: 'touchEnd', touchPoints: [] });
}

inBrowser(root, npm, async (browser, base) => {
  const url = base + 'index.html';
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

  // A desktop window: no on-screen keys, the canvas at twice its size, its pixels kept square,
  // and the words and links beside it in view; the fragment #pack scrolls nothing.
  const wide = await open(browser, url + '#pack', null, { viewport: { width: 1920, height: 1080 } });
  await until(wide, 3);
  const big = await layout(wide);
  assert.deepStrictEqual([big.keys.length, big.canvas.width, big.canvas.height, big.rendering], [0, 1600, 1000, 'pixelated']);
  const words = await wide.evaluate(() => [scrollY, document.getElementById('info').getBoundingClientRect().toJSON()]);
  assert.ok(words[0] === 0 && words[1].bottom <= big.height && words[1].right <= big.width, JSON.stringify(words));
  await wide.close();

  // Phones held upright and sideways: the keys beside or under the canvas, never over it, all on
  // screen, labelled as the keyboard's; a touch on Enter starts the music and the first level,
  // and one on a pose key moves the robot.
  const labels = ['Q', 'W', 'E', 'A', 'S', 'D', 'Z', 'X', 'C', 'Space', 'Enter', 'Esc'];
  for (const [shape, width, height] of [['portrait', 390, 844], ['landscape', 844, 390]]) {
    const phone = await open(browser, url + '#record', null,
                             { viewport: { width, height }, isMobile: true, hasTouch: true, deviceScaleFactor: 2 });
    await until(phone, 10);
    const seen = await layout(phone);
    const onScreen = (r) => r.left >= 0 && r.top >= 0 && r.right <= seen.width && r.bottom <= seen.height;
    assert.deepStrictEqual(seen.keys.map((k) => k.label), labels, shape);
    assert.ok(onScreen(seen.canvas) && Math.abs(seen.canvas.width / seen.canvas.height - 1.6) < 0.01, shape);
    for (const k of seen.keys) {
      assert.ok(k.width >= 44 && k.height >= 44 && onScreen(k) && k.touch === 'none', `${shape} ${k.label}`);
      assert.ok(apart(k, seen.canvas), `${shape}: ${k.label} lies over the canvas`);
    }
    if (shape === 'portrait' && process.env.FOLDBOT_PHONE_SHOT) await phone.screenshot({ path: process.env.FOLDBOT_PHONE_SHOT });

    let [, last] = await tap(phone, 'Enter');
    await phone.waitForFunction(() => SDL.audioContext.state === 'running');
    assert.deepStrictEqual(await diffs(phone, last + 106, last + 108, 'level1.png'), [0, 0, 0], `${shape}: level 1`);
    [, last] = await tap(phone, 'D');
    assert.ok((await diffs(phone, last + 40, last + 40, 'level1.png'))[0] > 0, `${shape}: the pose key left the robot`);
    assert.strictEqual((await layout(phone)).focused, 'canvas', `${shape}: a key took the focus`);
    if (shape === 'landscape') {
      await phone.close();
      continue;
    }

    // Space, then a pose key 60 ms later while Space is still held: the page records what its
    // game took, and the desktop build replaying that demo shows the same frames.
    const [from, to] = await phone.evaluate(() => (harness.sum = [harness.flips + 1, harness.flips + 121]));
    await twoThumbs(phone, 'Space', 'C', 60);
    await until(phone, to);
    [, last] = await tap(phone, 'Esc');
    await until(phone, last + 110);
    await tap(phone, 'Esc');
    await phone.waitForSelector('#demo:not([hidden])');
    const demo = await phone.evaluate(async () => (await fetch(document.querySelector('#demo a').href)).text());
    const taken = demo.split('\n').filter((l) => /^\d+ (down|up) (space|c)$/.test(l)).map((l) => l.split(' '));
    assert.deepStrictEqual(taken.map((l) => l.slice(1).join(' ')).sort(), ['down c', 'down space', 'up c', 'up space'], demo);
    assert.ok(taken[0][2] === 'space' && taken[1].join(' ').endsWith('down c'), demo);
    const demoFile = path.resolve(root, 'touch.demo'), replayed = path.resolve(root, 'replayed');
    fs.writeFileSync(demoFile, demo);
    fs.rmSync(replayed, { recursive: true, force: true });
    childProcess.execFileSync(path.resolve(desktopBuild, 'tools/screenshot/foldbot_screenshot'),
                              ['--replay', demoFile, String(from), String(to), replayed],
                              { cwd: desktopBuild, env: { ...process.env, SDL_VIDEODRIVER: 'dummy', SDL_AUDIODRIVER: 'dummy' } });
    const unlike = await phone.evaluate(async ([from, to]) => {
      const unlike = [];
      for (let f = from; f <= to; ++f)
        if (harness.checksum(await harness.decode(`replayed/frame-${String(f).padStart(3, '0')}.png`)) !== harness.sums[f]) unlike.push(f);
      return unlike;
    }, [from, to]);
    assert.deepStrictEqual(unlike, [], 'frames unlike the desktop replay');
    assert.deepStrictEqual(phone.errors, []);
    await phone.close();
  }

  // #practice&level2 starts the game as --practice --level 2 would; what practice mode does
  // is the desktop tests', and the page's frames are the desktop's (the touch demo above).
  const practice = await open(browser, url + '#practice&level2&record');
  await until(practice, 10);
  assert.deepStrictEqual(await practice.evaluate(() => Module.arguments), ['--practice', '--level', '2', '--record', '/foldbot.demo']);
  // h asks the page's worker for a hint, which shows in gold in the top corner.
  await press(practice, 'h');
  await practice.waitForFunction(() => window.foldbotHintsShown >= 1, null, { timeout: 120000 });
  await until(practice, (await practice.evaluate(() => harness.flips)) + 2);
  if (process.env.FOLDBOT_HINT_SHOT) await practice.screenshot({ path: process.env.FOLDBOT_HINT_SHOT });
  const gold = await practice.evaluate(() => {
    const d = document.getElementById('canvas').getContext('2d').getImageData(480, 0, 320, 32).data;
    let n = 0;
    for (let i = 0; i < d.length; i += 4) n += d[i] > 200 && d[i + 1] > 150 && d[i + 2] < 100;
    return n;
  });
  assert.ok(gold > 50, `no hint's words in the corner (${gold} gold pixels)`);
  assert.deepStrictEqual(practice.errors, []);
  await practice.close();

  // #pack opens the chooser, and a tap on the first level plays it. Its route to the goal
  // leaves the progress in local storage, and m the settings, which the game reads again after a
  // reload; the
  // export gives the same lines, and an imported file merges into them, the fewer steps kept.
  const chooser = await open(browser, url + '#pack');
  await until(chooser, 5);
  const box = await chooser.locator('#canvas').boundingBox();
  await chooser.click('#canvas', { position: { x: (200 * box.width) / 800, y: (70 * box.height) / 500 } });
  await until(chooser, (await chooser.evaluate(() => harness.flips)) + 200);
  for (const key of ['d', 'c', 'd', 'q', 'c', 'd']) await until(chooser, (await press(chooser, key))[1] + 40);
  const stored = await chooser.waitForFunction(() => localStorage.getItem('foldbot-progress'), null, { timeout: 60000 });
  const progress = await stored.jsonValue();
  assert.match(progress, /^[0-9a-f]{16} 6 First folds\n$/);
  await press(chooser, 'm'); // so are the settings
  await chooser.waitForFunction(() => localStorage.getItem('foldbot-settings') === 'mute yes\nkeys letters\n');
  await chooser.reload();
  await until(chooser, 5);
  const kept = await chooser.evaluate(() => ['progress', 'settings'].map((f) => FS.readFile(`/home/web_user/.local/share/foldbot/${f}`, { encoding: 'utf8' })));
  assert.deepStrictEqual(kept, [progress, 'mute yes\nkeys letters\n']);
  const exported = await chooser.evaluate(async () => {
    const link = document.getElementById('export');
    link.addEventListener('click', (e) => e.preventDefault()); // no download, only its address
    link.click();
    return (await fetch(link.href)).text();
  });
  assert.strictEqual(exported, progress);
  const elsewhere = '00000000000000aa 9 Elsewhere\n';
  await Promise.all([chooser.waitForNavigation(),
                     chooser.setInputFiles('#import', { name: 'more.txt', mimeType: 'text/plain',
                                                        buffer: Buffer.from(elsewhere + progress.replace(' 6 ', ' 9 ')) })]);
  assert.strictEqual(await chooser.evaluate(() => localStorage.getItem('foldbot-progress')), elsewhere + progress);
  assert.deepStrictEqual(chooser.errors, []);
  await chooser.close();

  // #keys on an AZERTY keyboard: the route's q is the key marked a, found by its code; the
  // level is solved and the page's demo keeps the letter q.
  const azerty = await open(browser, url + '#pack&level1&keys&record');
  await until(azerty, 5);
  const keys = await azerty.context().newCDPSession(azerty);
  for (const [key, code] of [['d', 'KeyD'], ['c', 'KeyC'], ['d', 'KeyD'], ['a', 'KeyQ'], ['c', 'KeyC'], ['d', 'KeyD'],
                             ['Enter', 'Enter'], ['Escape', 'Escape']]) {
    const keyCode = { Enter: 13, Escape: 27 }[key] || key.toUpperCase().charCodeAt(0);
    for (const type of ['rawKeyDown', 'keyUp'])
      await keys.send('Input.dispatchKeyEvent', { type, key, code, windowsVirtualKeyCode: keyCode });
    if (key !== 'Escape') await until(azerty, (await azerty.evaluate(() => harness.flips)) + 200);
  }
  await azerty.waitForSelector('#demo:not([hidden])');
  const played = await azerty.evaluate(async () => (await fetch(document.querySelector('#demo a').href)).text());
  assert.match(played, /^\d+ down q$/m, played);
  assert.doesNotMatch(played, /^\d+ down a$/m, played);
  assert.match(await azerty.evaluate(() => localStorage.getItem('foldbot-progress')), / 6 First folds\n$/);
  assert.deepStrictEqual(azerty.errors, []);
  await azerty.close();
  console.log('web: all browser checks passed');
});
