// The level editor in headless Chromium: the first pack level drawn by clicks has the file's code
// and, proven in the worker, its shortest; the shared link plays it, and the solver's demo of it
// reaches the goal there; a file's fault shows its cell; a finger paints a stroke on a phone.
// usage: node web_editor_test.js BUILD_WEB NPM_FOLDER BUILD
'use strict';
const [assert, childProcess, fs, path] = ['assert', 'child_process', 'fs', 'path'].map(require);

const [root, npm, desktopBuild] = process.argv.slice(2);
const { inBrowser } = require('./web_support');
const solve = (...args) =>
  childProcess.execFileSync(path.resolve(desktopBuild, 'tools/solve/foldbot_solve'), args, { encoding: 'utf8' });
const level = path.resolve(__dirname, '..', 'levels', '01-first-folds.map');

async function open(browser, address, device = { viewport: { width: 1000, height: 800 } }) {
  const page = await browser.newPage(device);
  page.errors = [];
  page.on('pageerror', (e) => page.errors.push(String(e)));
  await page.goto(address);
  return page;
}
async function editor(browser, base, device) {
  const page = await open(browser, base + 'editor.html', device);
  await page.waitForSelector('body[data-ready]');
  return page;
}
// The centre of a grid cell, in the page's pixels.
async function cell(page, x, y) {
  const box = await page.locator('#grid').boundingBox();
  const size = box.width / Number(await page.inputValue('#gridW'));
  return { x: box.x + (x + 0.5) * size, y: box.y + (y + 0.5) * size };
}
const pen = (page, c) => page.click(`#palette button[data-cell="${c}"]`);
const cells = (page) => page.evaluate(() => JSON.parse(localStorage.getItem('foldbot-editor')).cells);

inBrowser(root, npm, async (browser, base) => {
  // The first pack level, cell by cell on a fresh 40 x 25 grid, then titled as its file.
  const page = await editor(browser, base);
  const text = fs.readFileSync(level, 'utf8');
  const rows = text.split('\n').filter((l) => l && l[0] !== ';');
  for (const c of new Set(rows.join('').replace(/ /g, ''))) {
    await pen(page, c);
    for (let y = 0; y < rows.length; ++y)
      for (let x = 0; x < rows[y].length; ++x)
        if (rows[y][x] === c) {
          const at = await cell(page, x, y);
          await page.mouse.click(at.x, at.y);
        }
  }
  await page.fill('#title', /; title: (.*)/.exec(text)[1]);
  assert.strictEqual(await page.textContent('#read'), 'The map reads as 10 x 5 cells, 2 blocks, whole on the screen.');
  assert.ok(await page.isDisabled('#share'), 'Share before a proof');

  await page.click('#prove');
  await page.waitForFunction(() => /^Proven/.test(document.getElementById('proof').textContent), null, { timeout: 60000 });
  assert.match(await page.textContent('#proof'), new RegExp(`^Proven: shortest ${/; shortest: (\d+)/.exec(text)[1]} steps, fewest combos 0 `));
  // What a reload keeps: the drawing, the title and the proof.
  await page.reload();
  await page.waitForSelector('body[data-ready]');
  await page.click('#share');
  const link = await page.inputValue('#link');
  const code = link.split('#map=')[1];
  assert.strictEqual(link, `${base}index.html#map=${code}`);
  assert.strictEqual(code, solve('--code', level).trim());
  // FOLDBOT_EDITOR_SHOT=file.png saves the editor as it is now, for the README.
  if (process.env.FOLDBOT_EDITOR_SHOT) await page.screenshot({ path: process.env.FOLDBOT_EDITOR_SHOT, fullPage: true });

  // Play puts the level in the game's page, in practice; Back leaves the editor as it was.
  await page.click('#play');
  await page.waitForSelector('#game iframe');
  const game = page.frames()[1];
  // The game's arguments are final once its run has started (calledRun is set as it starts).
  await game.waitForFunction(() => window.Module && Module.calledRun, null, { timeout: 60000 });
  const args = await game.evaluate(() => Module.arguments);
  assert.deepStrictEqual(args, ['--practice', '--map', '/level.map']);
  await page.click('#back');
  assert.strictEqual(await page.locator('#game iframe').count(), 0);
  assert.deepStrictEqual(page.errors, []);
  await page.close();

  // The shared link plays the level; the solver's demo of the decoded map replays to the goal,
  // which leads a single map to the end scene and its track.
  const shared = await open(browser, link);
  await shared.waitForFunction(() => window.Module && Module.calledRun);
  assert.deepStrictEqual(await shared.evaluate(() => [Module.arguments, FS.readFile('/level.map', { encoding: 'utf8' })]),
                         [['--map', '/level.map'], solve('--decode', code)]);
  const decoded = path.resolve(root, 'shared.map'), demo = path.resolve(root, 'shared.demo');
  fs.writeFileSync(decoded, solve('--decode', code));
  solve('--demo', demo, decoded);
  const route = fs.readFileSync(demo, 'utf8').replace(`option map ${decoded} `, 'option map /level.map ');
  await shared.evaluate((route) => sessionStorage.setItem('foldbot-route', route), route);
  await shared.goto(link + '&route');
  await shared.waitForFunction(() => window.SDL && SDL.music?.audio?.resource?.source === '/snd/down.ogg',
                               null, { timeout: 60000 });
  assert.deepStrictEqual(shared.errors, []);
  // A code cut short is refused in the page, at its character.
  await shared.goto(base + 'index.html#map=' + code.slice(0, -3));
  await shared.waitForFunction(() => /^foldbot: /.test(document.getElementById('status').textContent));
  assert.strictEqual(await shared.textContent('#status'), `foldbot: level code, character ${code.length - 2}: the code ends inside the map (is it cut short?)`);
  await shared.close();

  // A file's fault is the parser's message, its cell marked; a ninth block is warned of.
  const files = await editor(browser, base);
  await files.setInputFiles('#file', { name: 'bad.map', mimeType: 'text/plain', buffer: Buffer.from('; title: Bad\n#####\n#1 @#\n#  $#\n#####\n') });
  await files.waitForFunction(() => document.getElementById('grid').dataset.error);
  assert.strictEqual(await files.textContent('#read'), "bad.map, line 4, column 4: unknown character '$'");
  assert.strictEqual(await files.getAttribute('#grid', 'data-error'), '3,2');
  await files.setInputFiles('#file', { name: 'nine.map', mimeType: 'text/plain', buffer: Buffer.from('123456789@\n##########\n') });
  await files.waitForSelector('#warning:not([hidden])');
  assert.ok(await files.isDisabled('#prove'), 'Prove with nine blocks');
  await files.close();

  // A phone: one finger drags a row of walls, and one undo takes the whole stroke back.
  const phone = await editor(browser, base, { viewport: { width: 390, height: 844 }, isMobile: true, hasTouch: true, deviceScaleFactor: 2 });
  await phone.tap('#palette button[data-cell="#"]');
  const touch = await phone.context().newCDPSession(phone);
  const points = await Promise.all([2, 3, 4, 5, 6].map((x) => cell(phone, x, 3)));
  await touch.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: [points[0]] });
  for (const p of points.slice(1)) await touch.send('Input.dispatchTouchEvent', { type: 'touchMove', touchPoints: [p] });
  await touch.send('Input.dispatchTouchEvent', { type: 'touchEnd', touchPoints: [] });
  assert.strictEqual((await cells(phone)).slice(3 * 80, 3 * 80 + 8), '  ##### ');
  await phone.click('#undo');
  assert.strictEqual((await cells(phone)).trim(), '');
  assert.deepStrictEqual(phone.errors, []);
  await phone.close();
  console.log('web editor: all browser checks passed');
});
