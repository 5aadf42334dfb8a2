// The level editor: a grid painted cell by cell, read by the game's own map parser (tools.js),
// played in the game's page, proven by the solver in a worker and shared as a level code.
(function () {
  'use strict';
  var maxW = 80, maxH = 50, stored = 'foldbot-editor';
  var labels = '123456789ABCDEFGHIJK';
  var kinds = [[' ', 'blank'], ['#', 'wall'], ['<', 'belt to the left'], ['>', 'belt to the right'],
               ['!', 'reset'], ['@', 'goal']].concat(labels.split('').map(function (l) {
    return [l, 'block ' + l];
  }));
  var $ = function (id) { return document.getElementById(id); };
  var grid = $('grid'), pen = '#', tools = null, module = null, worker = null, proving = null;

  // Everything a reload keeps; cells hold the whole 80 x 50, so a smaller grid loses nothing.
  var state = { w: 40, h: 25, cells: ' '.repeat(maxW * maxH), title: '', poses: 'chain',
                name: 'level.map', proof: null };
  var undone = [], redone = [], opened = null, read = null;
  try {
    Object.assign(state, JSON.parse(localStorage.getItem(stored)) || {});
  } catch (e) {
  }

  var cellAt = function (x, y) { return state.cells[y * maxW + x]; };
  function setCell(x, y, c) {
    var i = y * maxW + x;
    state.cells = state.cells.slice(0, i) + c + state.cells.slice(i + 1);
  }
  function isLabel(c) { return labels.indexOf(c) >= 0; }

  // The map file of the drawing: rows down to the last drawn one, trailing blanks dropped, as
  // an author's text editor would save it. The proof's shortest goes in only while it holds.
  function rows() {
    var out = [];
    for (var y = 0; y < state.h; ++y)
      out.push(state.cells.slice(y * maxW, y * maxW + state.w).replace(/ +$/, ''));
    while (out.length && out[out.length - 1] === '') out.pop();
    return out;
  }
  function proofKey() { return state.poses + '\n' + rows().join('\n'); }
  function proven() { return state.proof && state.proof.key === proofKey() ? state.proof : null; }
  function mapText() {
    var head = [], p = proven();
    if (state.title) head.push('; title: ' + state.title);
    head.push('; poses: ' + state.poses);
    if (p && p.result === 'solved') head.push('; shortest: ' + p.steps + ' steps', '; fewest combos: ' + p.combos);
    return head.concat(rows()).join('\n') + '\n';
  }
  function call(name, types, args) { return JSON.parse(tools.ccall(name, 'string', types, args)); }
  function blocks() {
    var n = 0;
    for (var y = 0; y < state.h; ++y)
      for (var x = 0; x < state.w; ++x) n += isLabel(cellAt(x, y)) ? 1 : 0;
    return n;
  }

  // Cells at a size that fits the window; the part of the grid outside the map darkened.
  var colours = { ' ': '#2a2d36', '#': '#6b6f7a', '<': '#2e6b8f', '>': '#2e6b8f', '!': '#a33a3a', '@': '#d9a520' };
  var size = 16;
  function draw() {
    var room = Math.min(document.documentElement.clientWidth - 16, 1680);
    size = Math.max(6, Math.min(24, Math.floor(room / state.w)));
    grid.width = state.w * size;
    grid.height = state.h * size;
    grid.dataset.cell = size;
    var g = grid.getContext('2d');
    g.font = 'bold ' + Math.round(size * 0.7) + 'px monospace';
    g.textAlign = 'center';
    g.textBaseline = 'middle';
    var mapW = read && read.ok ? read.width : 0, mapH = read && read.ok ? read.height : 0;
    if (!read || !read.ok) {
      var r = rows();
      mapH = r.length;
      r.forEach(function (row) { mapW = Math.max(mapW, row.length); });
    }
    for (var y = 0; y < state.h; ++y)
      for (var x = 0; x < state.w; ++x) {
        var c = cellAt(x, y), inside = x < mapW && y < mapH;
        g.fillStyle = colours[c] || (isLabel(c) ? '#3f8f4f' : '#ff00ff');
        g.fillRect(x * size, y * size, size, size);
        if (c !== ' ' && c !== '#') {
          g.fillStyle = '#fff';
          g.fillText(c, x * size + size / 2, y * size + size / 2 + 1);
        }
        if (!inside) {
          g.fillStyle = 'rgba(0, 0, 0, 0.6)';
          g.fillRect(x * size, y * size, size, size);
        }
        g.strokeStyle = '#15161a';
        g.strokeRect(x * size + 0.5, y * size + 0.5, size - 1, size - 1);
      }
    var bad = grid.dataset.error ? grid.dataset.error.split(',').map(Number) : null;
    if (bad) {
      g.lineWidth = 3;
      g.strokeStyle = '#ff3030';
      g.strokeRect(bad[0] * size + 1.5, bad[1] * size + 1.5, size - 3, size - 3);
      g.lineWidth = 1;
    }
  }

  // The line of a map text's first row, from 1: the parser counts its lines so.
  function firstRowOf(text) {
    return text.replace(/^\ufeff/, '').split('\n').findIndex(function (l) { return l[0] !== ';'; }) + 1;
  }

  // The parser's word on the drawing; an opened file it refuses keeps its own message, with the
  // file's line numbers, until the first change.
  function check() {
    var text = mapText(), firstRow = firstRowOf(text);
    read = tools ? call('toolsRead', ['string', 'string'], [opened ? opened.text : text, state.name]) : null;
    if (opened && read && read.ok) read = call('toolsRead', ['string', 'string'], [text, state.name]);
    else if (opened) firstRow = firstRowOf(opened.text);
    var status = $('read'), n = blocks(), p = proven();
    delete grid.dataset.error;
    if (!read) {
      status.textContent = 'Loading the map reader...';
    } else if (read.ok) {
      status.className = '';
      status.textContent = 'The map reads as ' + read.width + ' x ' + read.height + ' cells, ' + read.blocks +
        (read.blocks === 1 ? ' block' : ' blocks') + (read.width > 40 || read.height > 25
        ? ', on the scrolling 80 x 50 board.' : ', whole on the screen.');
    } else {
      status.className = 'fault';
      status.textContent = read.message;
      var x = read.column - 1, y = read.line - firstRow;
      if (read.line >= firstRow && x >= 0 && x < state.w && y < state.h) grid.dataset.error = x + ',' + y;
    }
    $('warning').hidden = n <= 8;
    $('warning').textContent = n + ' blocks: the solver holds at most 8, so this level can never be proven or shared.';
    var ok = read && read.ok;
    $('play').disabled = !ok;
    $('prove').disabled = !ok || n > 8 || !!proving;
    $('share').disabled = !(ok && p && p.result === 'solved');
    $('watch').hidden = !(ok && p && p.result === 'solved') || !!proving;
    if (!proving) $('proof').textContent = proofText(p);
    if ($('share').disabled) $('shared').hidden = true;
    $('undo').disabled = !undone.length;
    $('redo').disabled = !redone.length;
    $('palette').querySelectorAll('button').forEach(function (b) {
      b.classList.toggle('chosen', b.dataset.cell === pen);
      b.classList.toggle('placed', isLabel(b.dataset.cell) && state.cells.indexOf(b.dataset.cell) >= 0);
    });
    draw();
  }

  function proofText(p) {
    if (!p) return 'Not proven yet.';
    var figures = p.states === undefined ? '' :
      ' (' + p.states.toLocaleString('en') + ' states, ' + p.seconds.toFixed(1) + ' s)';
    if (p.result === 'solved')
      return 'Proven: shortest ' + p.steps + ' steps, fewest combos ' + p.combos + figures + '.';
    if (p.result === 'none') return 'No route: the whole space explored, it cannot be finished' + figures + '.';
    if (p.result === 'limit')
      return 'Stopped at the limit of ' + p.ceiling.toLocaleString('en') + ' states: nothing proven' + figures + '.';
    return 'The solver failed on this map: nothing proven (' + (p.message || 'please report it') + ').';
  }

  // Each change is one undo step; a stroke of the pen is one change.
  function snapshot() { return JSON.stringify([state.w, state.h, state.cells, state.title, state.poses]); }
  function restore(s) {
    var v = JSON.parse(s);
    state.w = v[0]; state.h = v[1]; state.cells = v[2]; state.title = v[3]; state.poses = v[4];
    showFields();
  }
  var before = null;
  function begin() { before = before || snapshot(); }
  function commit() {
    if (before && before !== snapshot()) {
      undone.push(before);
      if (undone.length > 500) undone.shift();
      redone = [];
      opened = null;
    }
    before = null;
    save();
    check();
  }
  function step(from, to) {
    if (!from.length) return;
    to.push(snapshot());
    restore(from.pop());
    opened = null;
    save();
    check();
  }
  function save() {
    try {
      localStorage.setItem(stored, JSON.stringify(state));
    } catch (e) {
    }
  }
  function showFields() {
    $('title').value = state.title;
    $('poses').value = state.poses;
    $('gridW').value = state.w;
    $('gridH').value = state.h;
  }

  // The palette and the pen. A label goes on one cell: painting it elsewhere moves it.
  kinds.forEach(function (k) {
    var b = document.createElement('button');
    b.textContent = k[0] === ' ' ? '\u2423' : k[0];
    b.title = k[1];
    b.dataset.cell = k[0];
    b.addEventListener('click', function () {
      pen = k[0];
      check();
    });
    $('palette').appendChild(b);
  });
  // A fast drag skips cells between two events: the stroke fills the line between them.
  var stroke = null, last = null;
  function paint(event) {
    var box = grid.getBoundingClientRect();
    var x = Math.floor((event.clientX - box.left) / (box.width / state.w));
    var y = Math.floor((event.clientY - box.top) / (box.height / state.h));
    var from = last || [x, y], n = Math.max(Math.abs(x - from[0]), Math.abs(y - from[1]));
    last = [x, y];
    for (var i = 1; i <= n || i === 1; ++i) {
      var cx = n ? Math.round(from[0] + (x - from[0]) * i / n) : x;
      var cy = n ? Math.round(from[1] + (y - from[1]) * i / n) : y;
      if (cx < 0 || cy < 0 || cx >= state.w || cy >= state.h || cellAt(cx, cy) === pen) continue;
      if (isLabel(pen)) {
        var old = state.cells.indexOf(pen);
        if (old >= 0) state.cells = state.cells.slice(0, old) + ' ' + state.cells.slice(old + 1);
      }
      setCell(cx, cy, pen);
    }
    opened = null;
    check();
  }
  grid.addEventListener('pointerdown', function (event) {
    event.preventDefault();
    stroke = event.pointerId;
    last = null;
    grid.setPointerCapture(event.pointerId);
    begin();
    paint(event);
  });
  grid.addEventListener('pointermove', function (event) {
    if (event.pointerId === stroke) paint(event);
  });
  ['pointerup', 'pointercancel'].forEach(function (type) {
    grid.addEventListener(type, function (event) {
      if (event.pointerId !== stroke) return;
      stroke = null;
      commit();
    });
  });

  $('title').addEventListener('input', function () {
    begin();
    state.title = $('title').value.replace(/[\u0000-\u001f\u007f]/g, '');
    save();
    check();
  });
  $('title').addEventListener('change', commit);
  $('poses').addEventListener('change', function () {
    begin();
    state.poses = $('poses').value;
    commit();
  });
  ['gridW', 'gridH'].forEach(function (id, i) {
    $(id).addEventListener('change', function () {
      var v = Math.round(Number($(id).value)), top = i ? maxH : maxW;
      if (!(v >= 1)) v = i ? state.h : state.w;
      begin();
      state[i ? 'h' : 'w'] = Math.min(top, v);
      showFields();
      commit();
    });
  });
  $('undo').addEventListener('click', function () { step(undone, redone); });
  $('redo').addEventListener('click', function () { step(redone, undone); });
  $('clear').addEventListener('click', function () {
    begin();
    state.cells = ' '.repeat(maxW * maxH);
    commit();
  });
  document.addEventListener('keydown', function (event) {
    if (!(event.ctrlKey || event.metaKey) || event.target.tagName === 'INPUT') return;
    var key = event.key.toLowerCase();
    if (key === 'z' && !event.shiftKey) step(undone, redone);
    else if (key === 'y' || (key === 'z' && event.shiftKey)) step(redone, undone);
    else return;
    event.preventDefault();
  });

  // Files in and out. An opened file is laid on the grid as it is, faults and all, so the
  // parser's message points at the cell it names.
  $('open').addEventListener('click', function () { $('file').click(); });
  $('file').addEventListener('change', function () {
    var file = $('file').files[0];
    if (!file) return;
    if (file.size > 1 << 20) {
      $('read').textContent = file.name + ': is larger than 1 MiB';
      return;
    }
    file.text().then(function (text) {
      begin();
      var lines = text.replace(/^\ufeff/, '').split('\n').map(function (l) { return l.replace(/\r$/, ''); });
      if (lines.length && lines[lines.length - 1] === '') lines.pop();
      var head = [];
      while (lines.length && lines[0][0] === ';') head.push(lines.shift());
      state.title = '';
      state.poses = 'chain';
      head.forEach(function (l) {
        var kv = /^;\s*([^:]*?)\s*:\s*(.*?)\s*$/.exec(l);
        if (kv && kv[1].toLowerCase() === 'title') state.title = kv[2];
        if (kv && kv[1].toLowerCase() === 'poses' && kv[2] === 'figure') state.poses = 'figure';
      });
      var w = 1, h = Math.min(maxH, lines.length);
      state.cells = ' '.repeat(maxW * maxH);
      lines.slice(0, h).forEach(function (l, y) {
        w = Math.max(w, Math.min(maxW, l.length));
        for (var x = 0; x < Math.min(maxW, l.length); ++x) setCell(x, y, l[x]);
      });
      state.w = Math.max(40, w);
      state.h = Math.max(25, h);
      state.name = file.name;
      showFields();
      commit();
      opened = { text: text };
      check();
      $('file').value = '';
    });
  });
  $('save').addEventListener('click', function () {
    var a = document.createElement('a');
    a.href = URL.createObjectURL(new Blob([mapText()], { type: 'text/plain' }));
    a.download = /\.map$/.test(state.name) ? state.name : state.name + '.map';
    a.click();
    setTimeout(function () { URL.revokeObjectURL(a.href); }, 1000);
  });

  // Play and watch in the game's own page, over the editor, which stays as it is underneath.
  function code() { return call('toolsRead', ['string', 'string'], [mapText(), state.name]).code; }
  function showGame(fragment, help) {
    $('help').textContent = help;
    var frame = document.createElement('iframe');
    frame.src = 'index.html#' + fragment;
    frame.title = 'the game';
    frame.addEventListener('load', function () { frame.focus(); });
    $('game').appendChild(frame);
    $('game').hidden = false;
  }
  $('play').addEventListener('click', function () { showGame('practice&map=' + code(), 'Practice: r restarts, u undoes, h hints, Escape gives up.'); });
  $('watch').addEventListener('click', function () {
    var c = code(), demo = call('toolsDemo', ['string', 'string'], [c, proven().keys]);
    sessionStorage.setItem('foldbot-route', demo.demo);
    showGame('map=' + c + '&route', 'The proof\'s route, played from its first frame; then the keys are yours.');
  });
  $('back').addEventListener('click', function () {
    var frame = $('game').querySelector('iframe');
    if (frame) frame.remove();
    $('game').hidden = true;
  });

  // Proofs run in a worker; Cancel ends it and starts another from the compiled module.
  function startWorker() {
    worker = new Worker('prove-worker.js');
    worker.postMessage({ module: module });
    worker.onmessage = function (event) {
      var m = event.data;
      if (m.progress && proving) {
        var depth = /^depth (\d+): \d+ new, (\d+) states/.exec(m.progress);
        var secs = ((performance.now() - proving.start) / 1000).toFixed(1);
        if (depth)
          $('proof').textContent = 'Proving: depth ' + depth[1] + ', ' + Number(depth[2]).toLocaleString('en') +
            ' states, ' + secs + ' s...';
      }
      if (m.spent) {
        worker.terminate();
        startWorker();
      }
      if (m.done && proving) {
        m.done.key = proving.key;
        state.proof = m.done;
        proving = null;
        $('cancel').hidden = true;
        save();
        check();
      }
    };
  }
  $('prove').addEventListener('click', function () {
    proving = { key: proofKey(), start: performance.now() };
    $('proof').textContent = 'Proving...';
    $('cancel').hidden = false;
    worker.postMessage({ text: mapText() });
    check();
  });
  $('cancel').addEventListener('click', function () {
    worker.terminate();
    startWorker();
    proving = null;
    $('cancel').hidden = true;
    check();
    $('proof').textContent = 'Cancelled: nothing proven.';
  });

  $('share').addEventListener('click', function () {
    var link = new URL('index.html#map=' + code(), location.href).href;
    $('link').value = link;
    $('shared').hidden = false;
    $('link').select();
    $('copied').textContent = '';
    if (navigator.clipboard)
      navigator.clipboard.writeText(link).then(function () { $('copied').textContent = 'Copied.'; }, function () {});
  });

  window.addEventListener('resize', draw);
  showFields();
  check();
  // One download and compile of the module serves the page and every worker.
  fetch('tools.wasm').then(function (r) { return r.arrayBuffer(); }).then(function (bytes) {
    return WebAssembly.compile(bytes);
  }).then(function (compiled) {
    module = compiled;
    return FoldbotTools({
      instantiateWasm: function (imports, done) {
        WebAssembly.instantiate(module, imports).then(function (instance) { done(instance, module); });
        return {};
      },
    });
  }).then(function (t) {
    tools = t;
    startWorker();
    check();
    document.body.dataset.ready = 'yes';
  });
})();
