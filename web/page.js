// The page's front end: it copies the game folder the person opens into the module's in-memory
// file system and says which files changed, hands the browser's keys, wheel turns and drags to the
// live view (in the module), draws the picture, the overlay and the messages the view gives, and
// offers what it writes (C's lines, screenshots, turns) as files. The live view's rules are the
// module's. Nothing is sent anywhere and nothing is stored beyond the page.
'use strict';
(() => {
  const WIDTH = 320, HEIGHT = 240;
  const RECORD = '\x1e';
  // How often a folder the browser keeps a handle to is looked at for changed files.
  const WATCH_MILLISECONDS = 250;
  // The files of a game folder the view can use; sound and music are left on the disk.
  const GAME_FILE = /\.(lmu|ldb|lmt|png)$/i;
  const STANDARD_FILE = /\.png$/i;
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
  let copies = 0;
  let standardRoot = '';
  let standardWaiting = null; // a kept handle the browser asks the person to allow again
  let lastOverlay = '', lastProblem = '';
  let firstFrameShown = null;

  // ---- What the view says --------------------------------------------------------------------------

  // Folders are copied to /games/N/NAME and /standard/N, the files to download are written to /out:
  // the person knows them by their names.
  const asOpened = (text) => text.replace(/\/(games|standard)\/\d+\/|\/out\//g, '');

  function showProblem(text) {
    $('problem').textContent = asOpened(text);
    $('problem').hidden = text === '';
  }

  // Records whose first character is '!' for a warning, ' ' for the others.
  function fill(box, text, item) {
    for (const record of text === '' ? [] : text.split(RECORD)) {
      const line = document.createElement(item);
      line.textContent = asOpened(record.slice(1)) + (item === 'span' ? '\n' : '');
      if (record[0] === '!') line.className = 'warning';
      box.appendChild(line);
    }
  }

  function takeMessages() {
    const list = $('messages');
    fill(list, api.messages(), 'li');
    while (list.children.length > MOST_MESSAGES) list.removeChild(list.firstChild);
  }

  function drawOverlay() {
    const text = api.overlay();
    if (text === lastOverlay) return;
    lastOverlay = text;
    $('overlay').textContent = '';
    fill($('overlay'), text, 'span');
  }

  // ---- The picture ---------------------------------------------------------------------------------

  function fitCanvas() {
    const scale = api.scale(Math.max(WIDTH, window.innerWidth - 360), Math.max(HEIGHT, window.innerHeight - 160));
    canvas.style.width = WIDTH * scale + 'px';
    canvas.style.height = HEIGHT * scale + 'px';
  }

  function frame() {
    react(api.frame());
    const pixels = api.pixels();
    image.data.set(module.HEAPU8.subarray(pixels, pixels + WIDTH * HEIGHT * 4));
    context.putImageData(image, 0, 0);
  }

  function tick() {
    frame();
    takeMessages();
    drawOverlay();
    const problem = api.problem();
    if (problem !== lastProblem) showProblem(lastProblem = problem);
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

  // Screenshots and recorded turns the view wrote: downloaded, and gone from its memory.
  function handOverFiles() {
    for (const name of module.FS.readdir('/out')) {
      if (name === '.' || name === '..') continue;
      offer(name, module.FS.readFile('/out/' + name), name.endsWith('.gif') ? 'image/gif' : 'image/png');
      module.FS.unlink('/out/' + name);
    }
  }

  let scriptUrl = null;
  function showScript(text) {
    $('script').textContent = text;
    $('script-box').hidden = text === '';
    if (scriptUrl) URL.revokeObjectURL(scriptUrl);
    scriptUrl = text === '' ? null : URL.createObjectURL(new Blob([text], { type: 'text/plain' }));
    $('script-file').href = scriptUrl || '';
    if (text !== '') copy(text);
  }

  function copy(text) {
    const done = () => api.tell('the view\'s lines are on the clipboard');
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
    if (navigator.clipboard && navigator.clipboard.writeText) navigator.clipboard.writeText(text).then(done, byHand);
    else byHand();
  }

  // ---- The controls --------------------------------------------------------------------------------

  // Browser key names to the names of the live view's controls table; the table says what each does.
  const KEYS = {
    ArrowUp: 'Up', ArrowDown: 'Down', ArrowLeft: 'Left', ArrowRight: 'Right', ' ': 'Space',
  };
  const CODES = { NumpadAdd: 'Keypad+', NumpadSubtract: 'Keypad-' };

  function keyName(event) {
    if (CODES[event.code]) return CODES[event.code];
    if (KEYS[event.key]) return KEYS[event.key];
    if (/^[a-z]$/i.test(event.key)) return event.key.toUpperCase();
    // With Shift held some layouts give another character: the key's place names it then.
    const digit = /^Digit([1-5])$/.exec(event.code);
    return digit ? digit[1] : event.key;
  }

  // What the view asks of the page after an input or a frame.
  function react(reaction) {
    if (reaction === 'script') showScript(api.script());
    else if (reaction === 'files') handOverFiles();
    else if (reaction === 'fullscreen') {
      if (document.fullscreenElement) document.exitFullscreen();
      else canvas.requestFullscreen().catch(() => {});
    }
    takeMessages();
    followMap();
  }

  const held = (event) => [event.shiftKey ? 1 : 0, event.ctrlKey ? 1 : 0];

  // Ctrl takes the fine step, as in the live window; the browser's own Ctrl keys and Ctrl+wheel
  // (zoom) are the page's while the view has them.
  document.addEventListener('keydown', (event) => {
    if (!api || event.target instanceof HTMLSelectElement || event.metaKey || event.altKey) return;
    const reaction = api.key(keyName(event), ...held(event), event.repeat ? 1 : 0);
    if (reaction === 'unknown') return;
    event.preventDefault();
    react(reaction);
  });

  canvas.addEventListener('wheel', (event) => {
    if (!api || event.deltaY === 0) return;
    event.preventDefault();
    // A click of the wheel is about 100 pixels, or 3 lines; a smaller turn still counts as one.
    const click = event.deltaMode === 0 ? 100 : event.deltaMode === 1 ? 3 : 1;
    const clicks = Math.max(1, Math.round(Math.abs(event.deltaY) / click));
    react(api.wheel(event.deltaY < 0 ? clicks : -clicks, ...held(event)));
  }, { passive: false });

  canvas.addEventListener('pointerdown', (event) => {
    if (event.button !== 0 || !api) return;
    api.pointer(1, 0, 0, 0);
    canvas.setPointerCapture(event.pointerId);
    canvas.focus();
  });
  canvas.addEventListener('pointermove', (event) => { if (api) react(api.pointer(0, event.movementX, ...held(event))); });
  canvas.addEventListener('pointerup', () => { if (api) api.pointer(-1, 0, 0, 0); });

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

  // A folder's files as [path below the folder, File], from the folder input or from a handle
  // (walking its sub-folders; the files are asked for all at once: one by one, a game of hundreds
  // of maps takes a second a look).
  function filesOfInput(files, wanted) {
    return Array.from(files)
      .map((file) => [file.webkitRelativePath.split('/').slice(1).join('/'), file])
      .filter(([path]) => path !== '' && wanted.test(path));
  }

  async function filesOfHandle(handle, wanted) {
    const entries = [];
    await entriesBelow(handle, '', wanted, entries);
    return Promise.all(entries.map(async ([path, entry]) => [path, await entry.getFile()]));
  }

  async function entriesBelow(handle, prefix, wanted, found) {
    for await (const entry of handle.values()) {
      const path = prefix + entry.name;
      if (entry.kind === 'directory') await entriesBelow(entry, path + '/', wanted, found);
      else if (wanted.test(path)) found.push([path, entry]);
    }
  }

  const stamp = (file) => file.size + ':' + file.lastModified;

  // Copies what changed since the last copy (all of it the first time) and removes what went away;
  // the view is told, and looks at its files again. The changed files are read all at once, and
  // copied only when every read succeeded.
  async function copyFiles(files) {
    const now = new Map(files.map(([path, file]) => [path, stamp(file)]));
    const changed = files.filter(([path]) => known.get(path) !== now.get(path));
    const contents = await Promise.all(changed.map(([, file]) => file.arrayBuffer()));
    changed.forEach(([path], i) => {
      makeFolders(gameRoot + '/' + path);
      module.FS.writeFile(gameRoot + '/' + path, new Uint8Array(contents[i]));
    });
    const gone = [...known.keys()].filter((path) => !now.has(path));
    for (const path of gone) module.FS.unlink(gameRoot + '/' + path);
    known = now;
    if (changed.length + gone.length > 0) api.changed();
  }

  // Opening a folder and reading one again take turns: a look at the folder open before must not
  // copy its files into one being opened.
  let folderWork = Promise.resolve();
  function inTurn(job) {
    const done = folderWork.then(job);
    folderWork = done.catch(() => {});
    return done;
  }

  const codePage = () => new URLSearchParams(location.search).get('code-page') || '';

  // Copies the folder in below a folder of its own and opens it there; the game open before stays
  // open, and its view, when this one cannot be opened.
  async function openFolder(name, files) {
    const previous = { root: gameRoot, known };
    const place = '/games/' + ++copies;
    gameRoot = place + '/' + name;
    known = new Map();
    makeFolders(gameRoot + '/');
    let problem;
    try {
      await copyFiles(files);
      problem = api.open(gameRoot, codePage(), $('game-lines').checked ? 1 : 0);
    } catch (error) {
      problem = 'Cannot read the folder "' + name + '": ' + error.message;
    }
    takeMessages();
    if (problem !== '') {
      removeTree(place);
      gameRoot = previous.root;
      known = previous.known;
      showProblem(problem);
      return false;
    }
    if (previous.root !== '') removeTree(previous.root.replace(/\/[^/]*$/, ''));
    $('game').textContent = name;
    showScript(''); // the lines C gave were the game's before
    listMaps();
    return true;
  }

  function listMaps() {
    const records = api.maps().split(RECORD);
    records.shift(); // the game's title
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
    followMap();
  }

  function followMap() {
    const id = String(api.mapId());
    if ($('maps').value !== id) $('maps').value = id;
  }

  $('maps').addEventListener('change', () => {
    showProblem(api.enter(Number($('maps').value)));
    react('');
    canvas.focus();
  });

  // The game's own lines on or off: the open game comes again on its map, as it then shows.
  $('game-lines').addEventListener('change', () => {
    showProblem(api.gameLines($('game-lines').checked ? 1 : 0));
    react('');
    canvas.focus();
  });

  // A folder from the picker where the browser has one (it keeps a handle, to look again), else
  // from the folder input.
  async function pick(id, input, work) {
    if (!window.showDirectoryPicker) return input.click();
    let handle;
    try {
      handle = await window.showDirectoryPicker({ mode: 'read', id });
    } catch (error) {
      return; // the person closed the picker
    }
    await inTurn(() => work(handle).catch((error) => showProblem('Cannot read the folder "' + handle.name + '": ' +
                                                                  error.message)));
    canvas.focus();
  }

  $('open').addEventListener('click', () => pick('game', $('folder'), async (handle) => {
    if (await openFolder(handle.name, await filesOfHandle(handle, GAME_FILE))) {
      folderHandle = handle;
      pickedName = null;
      $('reload').hidden = true;
    }
  }));

  $('folder').addEventListener('change', async () => {
    const input = $('folder');
    const again = reloading;
    reloading = false;
    if (input.files.length === 0) return;
    const name = input.files[0].webkitRelativePath.split('/')[0] || 'game';
    const files = filesOfInput(input.files, GAME_FILE);
    await inTurn(async () => {
      if (again && name === pickedName) {
        await copyFiles(files).catch((error) => showProblem('Cannot read the folder again: ' + error.message));
      } else if (await openFolder(name, files)) {
        folderHandle = null;
        pickedName = name;
        $('reload').hidden = false;
      }
    });
    input.value = '';
    canvas.focus();
  });

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
        if (folderHandle) await copyFiles(await filesOfHandle(folderHandle, GAME_FILE));
      } catch (error) {
        // A file being written cannot be read yet: the next look takes it.
      }
      watching = false;
    });
  }, WATCH_MILLISECONDS);

  // ---- The standard graphics -----------------------------------------------------------------------

  // The engine's standard graphics, in a folder of their own, are copied in and named to the view,
  // which looks there for the images a game folder lacks. Where the browser keeps folder handles,
  // the folder's is kept in the page's own storage, so that the next visit takes it again (once the
  // person allows it); elsewhere it is chosen again.
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

  // Copies the folder's images in, names it to the view, and opens the game on show again with it.
  async function useStandardGraphics(name, files) {
    const contents = await Promise.all(files.map(([, file]) => file.arrayBuffer()));
    const place = '/standard/' + ++copies;
    makeFolders(place + '/');
    files.forEach(([path], i) => {
      makeFolders(place + '/' + path);
      module.FS.writeFile(place + '/' + path, new Uint8Array(contents[i]));
    });
    api.standard(place);
    if (standardRoot !== '') removeTree(standardRoot);
    standardRoot = place;
    showStandard(name);
    api.tell('the standard graphics come from "' + name + '" (' + files.length + ' images)');
    if (gameRoot !== '') {
      showProblem(api.open(gameRoot, codePage(), $('game-lines').checked ? 1 : 0));
      listMaps();
    }
    react('');
  }

  const standardFromHandle = async (handle) =>
    useStandardGraphics(handle.name, await filesOfHandle(handle, STANDARD_FILE));

  $('standard').addEventListener('click', async () => {
    if (standardWaiting && await standardWaiting.requestPermission({ mode: 'read' }).catch(() => '') === 'granted') {
      const handle = standardWaiting;
      standardWaiting = null;
      return inTurn(() => standardFromHandle(handle));
    }
    await pick('standard-graphics', $('standard-folder'), async (handle) => {
      standardWaiting = null;
      await standardFromHandle(handle);
      keptHandles('readwrite', (store) => store.put(handle, 'standard-graphics')).catch(() => {});
    });
  });

  $('standard-folder').addEventListener('change', async () => {
    const input = $('standard-folder');
    if (input.files.length === 0) return;
    const name = input.files[0].webkitRelativePath.split('/')[0] || 'standard graphics';
    await inTurn(() => useStandardGraphics(name, filesOfInput(input.files, STANDARD_FILE)));
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
    const none = (name, ...types) => module.cwrap(name, null, types);
    api = {
      start: text('fv_start'),
      open: text('fv_open', 'string', 'string', 'number'),
      standard: none('fv_standard_graphics', 'string'),
      gameLines: text('fv_game_lines', 'number'),
      maps: text('fv_maps'),
      enter: text('fv_enter', 'number'),
      key: text('fv_key', 'string', 'number', 'number', 'number'),
      wheel: text('fv_wheel', 'number', 'number', 'number'),
      pointer: text('fv_pointer', 'number', 'number', 'number', 'number'),
      changed: none('fv_changed'),
      frame: text('fv_frame'),
      pixels: module.cwrap('fv_pixels', 'number', []),
      overlay: text('fv_overlay'),
      script: text('fv_script'),
      messages: text('fv_messages'),
      tell: none('fv_tell', 'string'),
      problem: text('fv_problem'),
      mapId: module.cwrap('fv_map_id', 'number', []),
      scale: module.cwrap('fv_scale', 'number', ['number', 'number']),
    };
    started = [performance.now()];
    showProblem(lastProblem = api.start());
    started.push(performance.now());
    takeMessages();
    fitCanvas();
    window.addEventListener('resize', fitCanvas);
    canvas.focus();
    requestAnimationFrame(tick);
    takeKeptStandardGraphics().catch(() => {});
  });
})();
