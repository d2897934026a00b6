// The page's front end: it copies the game folder the person opens into the module's in-memory
// file system, hands keys, wheel turns and drags to the live view's controls (in the module), draws
// the screen the module renders, and offers what the module writes (C's lines, screenshots, turns)
// as files. Nothing is sent anywhere and nothing is stored beyond the page.
'use strict';
(() => {
  const WIDTH = 320, HEIGHT = 240;
  const RECORD = '\x1e';
  // Window pixels of a horizontal drag that make one turn step, as in the live window.
  const DRAG_PIXELS = 8;
  // How often a folder the browser keeps a handle to is looked at for changed files.
  const WATCH_MILLISECONDS = 250;
  // The files of a game folder the view can use; sound and music are left on the disk.
  const GAME_FILE = /\.(lmu|ldb|lmt|png)$/i;
  const MOST_MESSAGES = 40;

  const $ = (id) => document.getElementById(id);
  const canvas = $('screen');
  const context = canvas.getContext('2d');
  const image = context.createImageData(WIDTH, HEIGHT);

  let module = null;
  let api = null;
  let folderHandle = null;   // where the browser keeps one (its folder picker)
  let pickedName = null;     // else the name of the folder the input gave
  let reloading = false;     // the input is open to read that folder again
  let known = new Map();     // path in the game folder -> "size:lastModified" as copied
  let gameRoot = '';         // the game folder in the module's file system
  let opened = 0;
  let showOverlay = true;
  let lastOverlay = '';
  let framesThisSecond = 0, framesPerSecond = 0, secondStart = 0;
  let firstFrameShown = null;
  let dragged = 0, dragging = false;

  // ---- What the module says ----------------------------------------------------------------------

  // A game opened is copied to /games/N/NAME, and the files to download are written to /out; the
  // person knows them by their names.
  const asOpened = (text) => text.replace(/\/games\/\d+\/|\/out\//g, '');

  function showProblem(text) {
    $('problem').textContent = asOpened(text);
    $('problem').hidden = text === '';
  }

  function takeMessages() {
    const text = api.messages();
    if (text === '') return;
    const list = $('messages');
    for (const message of text.split(RECORD)) {
      const item = document.createElement('li');
      item.textContent = asOpened(message);
      if (/^\[|^not reloaded|cannot|^map \d+: /i.test(message)) item.className = 'warning';
      list.appendChild(item);
    }
    while (list.children.length > MOST_MESSAGES) list.removeChild(list.firstChild);
  }

  function drawOverlay() {
    const text = showOverlay ? api.overlay(framesPerSecond) : '';
    if (text === lastOverlay) return;
    lastOverlay = text;
    const box = $('overlay');
    box.textContent = '';
    if (text === '') return;
    for (const line of text.split(RECORD)) {
      const span = document.createElement('span');
      span.textContent = asOpened(line.slice(1)) + '\n';
      if (line[0] === '!') span.className = 'warning';
      box.appendChild(span);
    }
  }

  // ---- The screen ----------------------------------------------------------------------------------

  // The largest whole factor at which the screen fits beside the panel.
  function fitCanvas() {
    const room = Math.max(WIDTH, window.innerWidth - 360);
    const height = Math.max(HEIGHT, window.innerHeight - 160);
    const scale = Math.max(1, Math.min(Math.floor(room / WIDTH), Math.floor(height / HEIGHT)));
    canvas.style.width = WIDTH * scale + 'px';
    canvas.style.height = HEIGHT * scale + 'px';
  }

  function drawScreen() {
    const pixels = api.pixels();
    image.data.set(module.HEAPU8.subarray(pixels, pixels + WIDTH * HEIGHT * 4));
    context.putImageData(image, 0, 0);
  }

  function frame() {
    if (api.frame() === 1) handOverFiles();
    drawScreen();
  }

  function tick(now) {
    if (api.reload() === 1) showProblem('');
    frame();
    takeMessages();
    drawOverlay();
    ++framesThisSecond;
    if (now - secondStart >= 1000) {
      framesPerSecond = framesThisSecond;
      framesThisSecond = 0;
      secondStart = now;
    }
    if (firstFrameShown === null) {
      firstFrameShown = performance.now();
      resolveReady();
    }
    requestAnimationFrame(tick);
  }

  // ---- Files to the person -------------------------------------------------------------------------

  function offer(name, bytes, type) {
    const url = URL.createObjectURL(new Blob([bytes], { type }));
    const link = document.createElement('a');
    link.href = url;
    link.download = name;
    document.body.appendChild(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(url), 60000);
  }

  // Screenshots and recorded turns the module wrote: downloaded, and gone from its memory.
  function handOverFiles() {
    for (const name of module.FS.readdir('/out')) {
      if (name === '.' || name === '..') continue;
      const path = '/out/' + name;
      offer(name, module.FS.readFile(path), name.endsWith('.gif') ? 'image/gif' : 'image/png');
      module.FS.unlink(path);
    }
  }

  let scriptUrl = null;
  function showScript() {
    const text = api.script();
    $('script').textContent = text;
    $('script-box').hidden = false;
    if (scriptUrl) URL.revokeObjectURL(scriptUrl);
    scriptUrl = URL.createObjectURL(new Blob([text], { type: 'text/plain' }));
    $('script-file').href = scriptUrl;
    copy(text);
  }

  function copy(text) {
    const done = () => addNote('the view\'s lines are on the clipboard');
    const byHand = () => {
      const area = document.createElement('textarea');
      area.value = text;
      document.body.appendChild(area);
      area.select();
      const copied = document.execCommand('copy');
      area.remove();
      canvas.focus();
      if (copied) done();
    };
    if (navigator.clipboard && navigator.clipboard.writeText)
      navigator.clipboard.writeText(text).then(done, byHand);
    else
      byHand();
  }

  function addNote(text) {
    const item = document.createElement('li');
    item.textContent = text;
    $('messages').appendChild(item);
  }

  // ---- The controls --------------------------------------------------------------------------------

  // Browser key names to the names of the live view's controls table; the table says what each does.
  const KEYS = {
    ArrowUp: 'Up', ArrowDown: 'Down', ArrowLeft: 'Left', ArrowRight: 'Right', Tab: 'Tab',
    PageUp: 'PageUp', PageDown: 'PageDown', F11: 'F11', Escape: 'Escape', Enter: 'Enter', ' ': 'Space',
    '+': '+', '=': '=', '-': '-', '1': '1', '2': '2', '3': '3', '4': '4', '5': '5',
  };
  const CODES = { NumpadAdd: 'Keypad+', NumpadSubtract: 'Keypad-' };

  function keyName(event) {
    if (CODES[event.code]) return CODES[event.code];
    if (KEYS[event.key]) return KEYS[event.key];
    if (/^[a-z]$/i.test(event.key)) return event.key.toUpperCase();
    // With Shift held some layouts give another character: the key's place names it then.
    const digit = /^Digit([1-5])$/.exec(event.code);
    return digit ? digit[1] : null;
  }

  // Ctrl takes the fine step, as in the live window; the browser's own Ctrl keys and Ctrl+wheel
  // (zoom) are the page's while the view has them.
  function act(kind, key, event, amount) {
    const tool = api.input(kind, key, event.shiftKey ? 1 : 0, event.ctrlKey ? 1 : 0, amount, event.repeat ? 1 : 0);
    if (tool === 'script') showScript();
    else if (tool === 'files') handOverFiles();
    else if (tool === 'overlay') showOverlay = !showOverlay;
    else if (tool === 'fullscreen') {
      if (document.fullscreenElement) document.exitFullscreen();
      else canvas.requestFullscreen().catch(() => {});
    }
    takeMessages();
    followMap();
  }

  document.addEventListener('keydown', (event) => {
    if (!api || event.target instanceof HTMLSelectElement || event.metaKey || event.altKey) return;
    const key = keyName(event);
    if (key === null) return;
    event.preventDefault();
    act(0, key, event, 0);
  });

  canvas.addEventListener('wheel', (event) => {
    if (!api || event.deltaY === 0) return;
    event.preventDefault();
    // A click of the wheel is about 100 pixels, or 3 lines; a smaller turn still counts as one.
    const click = event.deltaMode === 0 ? 100 : event.deltaMode === 1 ? 3 : 1;
    const clicks = Math.max(1, Math.round(Math.abs(event.deltaY) / click));
    act(1, '', event, event.deltaY < 0 ? clicks : -clicks);
  }, { passive: false });

  canvas.addEventListener('pointerdown', (event) => {
    if (event.button !== 0) return;
    dragging = true;
    dragged = 0;
    canvas.setPointerCapture(event.pointerId);
    canvas.focus();
  });
  canvas.addEventListener('pointermove', (event) => {
    if (!dragging || !api) return;
    dragged += event.movementX;
    const steps = Math.trunc(dragged / DRAG_PIXELS);
    dragged -= steps * DRAG_PIXELS;
    if (steps !== 0) act(2, '', event, steps);
  });
  canvas.addEventListener('pointerup', () => { dragging = false; });

  // ---- The game folder -----------------------------------------------------------------------------

  function makeFolders(path) {
    let at = '';
    for (const part of path.split('/').slice(1, -1)) {
      at += '/' + part;
      if (!module.FS.analyzePath(at).exists) module.FS.mkdir(at);
    }
  }

  function removeTree(path) {
    for (const name of module.FS.readdir(path)) {
      if (name === '.' || name === '..') continue;
      const inside = path + '/' + name;
      if (module.FS.isDir(module.FS.stat(inside).mode)) removeTree(inside);
      else module.FS.unlink(inside);
    }
    module.FS.rmdir(path);
  }

  // The live view sees a changed file by its size and time, and the in-memory file system keeps
  // whole seconds: each copy gets a second of its own, so that no change goes unseen.
  let copiedAt = Math.floor(Date.now() / 1000);

  function writeFile(relative, bytes) {
    const path = gameRoot + '/' + relative;
    makeFolders(path);
    module.FS.writeFile(path, bytes);
    ++copiedAt;
    module.FS.utime(path, copiedAt * 1000, copiedAt * 1000);
  }

  // The folder's files as [path below the folder, File], from the folder input.
  function filesOfInput(files) {
    return Array.from(files)
      .map((file) => [file.webkitRelativePath.split('/').slice(1).join('/'), file])
      .filter(([path]) => path !== '' && GAME_FILE.test(path));
  }

  // The same from a folder handle, walking its sub-folders. The files are asked for all at once:
  // one by one, a game of hundreds of maps takes a second a look.
  async function filesOfHandle(handle) {
    const entries = [];
    await gameEntriesBelow(handle, '', entries);
    return Promise.all(entries.map(async ([path, entry]) => [path, await entry.getFile()]));
  }

  async function gameEntriesBelow(handle, prefix, found) {
    for await (const entry of handle.values()) {
      const path = prefix + entry.name;
      if (entry.kind === 'directory') await gameEntriesBelow(entry, path + '/', found);
      else if (GAME_FILE.test(path)) found.push([path, entry]);
    }
  }

  function stamp(file) { return file.size + ':' + file.lastModified; }

  // Copies what changed since the last copy (all of it the first time) and removes what went away.
  // The changed files are read all at once, which opens a game of hundreds of maps in a fraction of
  // the time one by one takes, and copied only when every read succeeded.
  async function copyFiles(files) {
    const now = new Map(files.map(([path, file]) => [path, stamp(file)]));
    const changed = files.filter(([path]) => known.get(path) !== now.get(path));
    const contents = await Promise.all(changed.map(([, file]) => file.arrayBuffer()));
    changed.forEach(([path], i) => writeFile(path, new Uint8Array(contents[i])));
    for (const path of known.keys()) {
      if (!now.has(path)) module.FS.unlink(gameRoot + '/' + path);
    }
    known = now;
  }

  // Opening a folder and reading one again take turns: a look at the folder open before must not
  // copy its files into one being opened.
  let folderWork = Promise.resolve();
  function inTurn(job) {
    const done = folderWork.then(job);
    folderWork = done.catch(() => {});
    return done;
  }

  // Copies the folder in below a folder of its own and opens it there; the game open before stays
  // open, and its view, when this one cannot be opened.
  async function openFolder(name, files) {
    const previous = { root: gameRoot, known };
    const place = '/games/' + ++opened;
    const fail = (problem) => {
      removeTree(place);
      gameRoot = previous.root;
      known = previous.known;
      showProblem(problem);
      return false;
    };
    gameRoot = place + '/' + name;
    known = new Map();
    makeFolders(gameRoot + '/');
    try {
      await copyFiles(files);
    } catch (error) {
      return fail('Cannot read the folder "' + name + '": ' + error.message);
    }
    const problem = api.open(gameRoot, new URLSearchParams(location.search).get('code-page') || '',
                             $('game-lines').checked ? 1 : 0);
    takeMessages();
    if (problem !== '') return fail(problem);
    showProblem('');
    if (previous.root !== '') removeTree(previous.root.replace(/\/[^/]*$/, ''));
    $('game').textContent = name;
    listMaps();
    return true;
  }

  function listMaps() {
    const records = api.maps().split(RECORD);
    const title = records.shift();
    const select = $('maps');
    select.textContent = '';
    for (const record of records) {
      const [id, name] = record.split('\t');
      const option = document.createElement('option');
      option.value = id;
      option.textContent = id.padStart(4, '0') + (name ? ' ' + name : '');
      select.appendChild(option);
    }
    $('map-choice').hidden = records.length === 0;
    if (title) $('game').textContent = title + ' (' + $('game').textContent + ')';
    takeMessages();
    followMap();
  }

  function followMap() {
    const id = String(api.mapId());
    if ($('maps').value !== id) $('maps').value = id;
  }

  $('maps').addEventListener('change', () => {
    const problem = api.enter(Number($('maps').value));
    showProblem(problem);
    takeMessages();
    followMap();
    canvas.focus();
  });

  // The game's own lines on or off: the open game comes again on its map, as it then shows.
  $('game-lines').addEventListener('change', () => {
    showProblem(api.gameLines($('game-lines').checked ? 1 : 0));
    takeMessages();
    followMap();
    canvas.focus();
  });

  $('open').addEventListener('click', async () => {
    if (!window.showDirectoryPicker) {
      $('folder').click();
      return;
    }
    let handle;
    try {
      handle = await window.showDirectoryPicker({ mode: 'read' });
    } catch (error) {
      return; // the person closed the picker
    }
    await inTurn(async () => {
      let files;
      try {
        files = await filesOfHandle(handle);
      } catch (error) {
        showProblem('Cannot read the folder "' + handle.name + '": ' + error.message);
        return;
      }
      if (await openFolder(handle.name, files)) {
        folderHandle = handle;
        pickedName = null;
        $('reload').hidden = true;
      }
    });
    canvas.focus();
  });

  $('folder').addEventListener('change', async () => {
    const input = $('folder');
    const again = reloading;
    reloading = false;
    if (input.files.length === 0) return;
    const name = input.files[0].webkitRelativePath.split('/')[0] || 'game';
    const files = filesOfInput(input.files);
    await inTurn(async () => {
      if (again && name === pickedName) {
        await reloadFrom(files);
      } else if (await openFolder(name, files)) {
        folderHandle = null;
        pickedName = name;
        $('reload').hidden = false;
      }
    });
    input.value = '';
    canvas.focus();
  });

  // The files of the open game read anew: what changed is copied in and the view rebuilt from it,
  // or the last good view stays with the reason.
  async function reloadFrom(files) {
    try {
      await copyFiles(files);
      showProblem('');
    } catch (error) {
      showProblem('Cannot read the folder again: ' + error.message);
    }
    takeMessages();
  }

  // Where the browser keeps no handle to the folder, its files are a copy taken when it was chosen:
  // reading them again takes choosing it again.
  $('reload').addEventListener('click', () => {
    reloading = true;
    $('folder').click();
  });

  // With a handle, the folder is looked at a few times a second; a change shows at once.
  let watching = false;
  setInterval(() => {
    if (!folderHandle || watching) return;
    watching = true;
    inTurn(async () => {
      try {
        if (folderHandle) await copyFiles(await filesOfHandle(folderHandle));
      } catch (error) {
        // A file being written cannot be read yet: the next look takes it.
      }
      watching = false;
    });
  }, WATCH_MILLISECONDS);

  // ---- The standard graphics -----------------------------------------------------------------------

  // The engine's standard graphics, in a folder of their own, are copied below /standard and named to
  // the module, which looks there for the images a game folder lacks. Where the browser keeps folder
  // handles, the folder's is kept in the page's own storage, so that the next visit takes it again
  // (once the person allows it); elsewhere it is chosen again.
  const STANDARD_PNG = /\.png$/i;
  let standardCopies = 0;
  let standardRoot = '';
  let standardWaiting = null; // a kept handle the browser asks the person to allow again

  function keptHandles(mode, work) {
    return new Promise((resolve, reject) => {
      const opening = indexedDB.open('farview', 1);
      opening.onupgradeneeded = () => opening.result.createObjectStore('handles');
      opening.onerror = () => reject(opening.error);
      opening.onsuccess = () => {
        const transaction = opening.result.transaction('handles', mode);
        const request = work(transaction.objectStore('handles'));
        transaction.oncomplete = () => resolve(request.result);
        transaction.onerror = () => reject(transaction.error);
      };
    });
  }

  function showStandard(text) { $('standard').textContent = 'Standard graphics folder' + (text ? ': ' + text : ''); }

  // Copies the folder's PNG files in, names it to the module, and opens the game on show again with it.
  async function useStandardGraphics(name, files) {
    const contents = await Promise.all(files.map(([, file]) => file.arrayBuffer()));
    const place = '/standard/' + ++standardCopies;
    files.forEach(([path], i) => {
      makeFolders(place + '/' + path);
      module.FS.writeFile(place + '/' + path, new Uint8Array(contents[i]));
    });
    makeFolders(place + '/');
    api.standard(place);
    if (standardRoot !== '') removeTree(standardRoot);
    standardRoot = place;
    showStandard(name);
    addNote('the standard graphics come from "' + name + '" (' + files.length + ' images)');
    if (gameRoot !== '') {
      showProblem(api.open(gameRoot, new URLSearchParams(location.search).get('code-page') || '',
                           $('game-lines').checked ? 1 : 0));
      takeMessages();
      listMaps();
    }
  }

  async function standardFromHandle(handle) {
    const entries = [];
    await gameEntriesBelow(handle, '', entries);
    const files = await Promise.all(entries.filter(([path]) => STANDARD_PNG.test(path))
      .map(async ([path, entry]) => [path, await entry.getFile()]));
    await useStandardGraphics(handle.name, files);
  }

  $('standard').addEventListener('click', async () => {
    try {
      if (standardWaiting && await standardWaiting.requestPermission({ mode: 'read' }) === 'granted') {
        const handle = standardWaiting;
        standardWaiting = null;
        await inTurn(() => standardFromHandle(handle));
        return;
      }
      if (!window.showDirectoryPicker) {
        $('standard-folder').click();
        return;
      }
      const handle = await window.showDirectoryPicker({ mode: 'read', id: 'standard-graphics' });
      standardWaiting = null;
      await inTurn(() => standardFromHandle(handle));
      keptHandles('readwrite', (store) => store.put(handle, 'standard-graphics')).catch(() => {});
    } catch (error) {
      if (error.name !== 'AbortError') showProblem('Cannot read the standard graphics folder: ' + error.message);
    }
    canvas.focus();
  });

  $('standard-folder').addEventListener('change', async () => {
    const input = $('standard-folder');
    if (input.files.length === 0) return;
    const name = input.files[0].webkitRelativePath.split('/')[0] || 'standard graphics';
    const files = Array.from(input.files)
      .map((file) => [file.webkitRelativePath.split('/').slice(1).join('/'), file])
      .filter(([path]) => STANDARD_PNG.test(path));
    await inTurn(() => useStandardGraphics(name, files));
    input.value = '';
    canvas.focus();
  });

  // The folder kept from an earlier visit: taken at once where the browser still allows reading it,
  // else on the button's next click.
  async function takeKeptStandardGraphics() {
    if (!window.indexedDB || !window.showDirectoryPicker) return;
    const handle = await keptHandles('readonly', (store) => store.get('standard-graphics'));
    if (!handle) return;
    if (await handle.queryPermission({ mode: 'read' }) === 'granted') {
      await inTurn(() => standardFromHandle(handle));
    } else {
      standardWaiting = handle;
      showStandard(handle.name + ' (click to read it again)');
    }
  }

  // ---- Start ---------------------------------------------------------------------------------------

  let resolveReady;
  let started = null;
  const ready = new Promise((resolve) => { resolveReady = resolve; });

  // What the tests and measurements ask of the page.
  window.farview = {
    ready,
    // Milliseconds from the start of the page's navigation to its first frame shown, and to the
    // module's start and the demo's scene ready before it.
    loadMilliseconds: () => firstFrameShown,
    startMilliseconds: () => started,
    // The screen as shown: base64 of its RGB bytes, row by row.
    shownPixels: () => {
      const rgba = context.getImageData(0, 0, WIDTH, HEIGHT).data;
      let text = '';
      for (let i = 0; i < rgba.length; i += 4) text += String.fromCharCode(rgba[i], rgba[i + 1], rgba[i + 2]);
      return btoa(text);
    },
    // The mean milliseconds of a frame rendered and drawn, over count frames.
    measureFrames: (count) => {
      const start = performance.now();
      for (let i = 0; i < count; ++i) frame();
      return (performance.now() - start) / count;
    },
  };

  FarviewModule({ printErr: (text) => console.warn(text) }).then((loaded) => {
    module = loaded;
    const text = (name, ...types) => module.cwrap(name, 'string', types);
    api = {
      start: text('fv_start'),
      open: text('fv_open', 'string', 'string', 'number'),
      gameLines: text('fv_game_lines', 'number'),
      maps: text('fv_maps'),
      enter: text('fv_enter', 'number'),
      input: text('fv_input', 'number', 'string', 'number', 'number', 'number', 'number'),
      frame: module.cwrap('fv_frame', 'number', []),
      pixels: module.cwrap('fv_pixels', 'number', []),
      overlay: text('fv_overlay', 'number'),
      script: text('fv_script'),
      messages: text('fv_messages'),
      reload: module.cwrap('fv_reload', 'number', []),
      mapId: module.cwrap('fv_map_id', 'number', []),
      standard: module.cwrap('fv_standard_graphics', null, ['string']),
    };
    started = [performance.now()];
    const problem = api.start();
    started.push(performance.now());
    showProblem(problem);
    takeMessages();
    fitCanvas();
    window.addEventListener('resize', fitCanvas);
    canvas.focus();
    requestAnimationFrame(tick);
    takeKeptStandardGraphics().catch(() => {});
  });
})();
