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
  let gameRoot = '';         // the game folder in the module's file system
  let copies = 0;
  let standardRoot = '';
  let standardWaiting = null; // a kept handle the browser asks the person to allow again
  let lastOverlay = '', lastProblem = '';
  let firstFrameShown = null;
  let framesShown = 0;

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
    if (problem !== lastProblem && trying === 0) showProblem(lastProblem = problem);
    ++framesShown;
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
    fetchAsked();
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
    const folder = path.slice(0, path.lastIndexOf('/'));
    if (madeFolders.has(folder)) return;
    let at = '';
    for (const part of path.split('/').slice(1, -1)) {
      at += '/' + part;
      if (!module.FS.analyzePath(at).exists) module.FS.mkdir(at);
    }
    madeFolders.add(folder);
  }
  const madeFolders = new Set(); // folders made so far, forgotten when any is removed

  function removeTree(path) {
    for (const name of module.FS.readdir(path)) {
      if (name === '.' || name === '..') continue;
      const inside = path + '/' + name;
      if (module.FS.isDir(module.FS.stat(inside).mode)) removeTree(inside);
      else module.FS.unlink(inside);
    }
    module.FS.rmdir(path);
    madeFolders.clear();
  }

  // A folder's files by their path below it, each with where it is read from: the File the folder
  // input gave, or the entry of a handle (listed only: its contents are read when they are copied in).
  function sourcesOfInput(files, wanted) {
    return new Map(Array.from(files)
      .map((file) => [file.webkitRelativePath.split('/').slice(1).join('/'), file])
      .filter(([path]) => path !== '' && wanted.test(path)));
  }

  async function sourcesOfHandle(handle, wanted) {
    const sources = new Map();
    for await (const [path, entry] of entriesBelow(handle, '', wanted)) sources.set(path, entry);
    return sources;
  }

  async function* entriesBelow(handle, prefix, wanted) {
    for await (const entry of handle.values()) {
      const path = prefix + entry.name;
      if (entry.kind === 'directory') yield* entriesBelow(entry, path + '/', wanted);
      else if (wanted.test(path)) yield [path, entry];
    }
  }

  const fileOf = (source) => (source instanceof File ? Promise.resolve(source) : source.getFile());
  const stamp = (file) => file.size + ':' + file.lastModified;
  const inGame = (path) => gameRoot + '/' + path;

  // The open game's files: where each is read from, and those copied in with the stamp they were
  // copied at. The others are on their way: empty stand-ins that the view asks for when it needs
  // them (fv_asked), and that are copied in between frames meanwhile, maps first.
  let sources = new Map();
  let copied = new Map();
  let folderGeneration = 0; // counts the folders opened, so that work for one before stops

  // Reads the files (all of them, before any is written: a file being written cannot be read yet,
  // and the next look takes it) and copies them in. files: their Files where the caller has them.
  async function copyIn(paths, files = null) {
    if (paths.length === 0) return;
    files = files || await Promise.all(paths.map((path) => fileOf(sources.get(path))));
    const contents = await Promise.all(files.map((file) => file.arrayBuffer()));
    paths.forEach((path, i) => {
      makeFolders(inGame(path));
      module.FS.writeFile(inGame(path), new Uint8Array(contents[i]));
      copied.set(path, stamp(files[i]));
    });
    api.arrived(paths.map(inGame).join(RECORD));
  }

  // Every file of the folder by its name, as an empty stand-in until it is copied in.
  function writeStandIns() {
    makeFolders(gameRoot + '/');
    for (const path of sources.keys()) {
      makeFolders(inGame(path));
      module.FS.writeFile(inGame(path), new Uint8Array(0));
    }
    tellOnTheirWay();
  }

  function tellOnTheirWay() {
    api.onTheirWay([...sources.keys()].filter((path) => !copied.has(path)).map(inGame).join(RECORD));
  }

  // The files of the module's records that are in the game folder, by their paths there.
  function inGameFolder(records) {
    const prefix = gameRoot + '/';
    return records.split(RECORD).filter((file) => file.startsWith(prefix)).map((file) => file.slice(prefix.length));
  }

  // The files on their way the view asked for.
  const askedFiles = () => inGameFolder(api.asked()).filter((path) => sources.has(path) && !copied.has(path));

  // Makes the call (an open, a map chosen) again until the view asks for no more files, copying in
  // what it asked for between tries; what the tries before said is dropped.
  const MOST_TRIES = 8;
  let trying = 0; // while above 0, the problem of a try is not shown: the next may succeed
  async function withFilesIn(call) {
    takeMessages(); // what was said before the tries stays
    ++trying;
    try {
      for (let tries = 1; ; ++tries) {
        const result = call();
        const asked = askedFiles();
        if (asked.length === 0 || tries === MOST_TRIES) return result;
        api.messages();
        await copyIn(asked);
      }
    } finally {
      --trying;
    }
  }

  // After an input or a frame: what the view asked for is copied in, and the view told.
  function fetchAsked() {
    const asked = askedFiles();
    const generation = folderGeneration;
    if (asked.length === 0) return;
    inTurn(async () => {
      if (generation !== folderGeneration) return;
      await copyIn(asked);
      api.changed();
    }).catch(() => {});
  }

  // The rest a slice at a time, with a pause between slices that leaves the frames their time.
  const FILL_SLICE = 24;
  const FILL_PAUSE_MILLISECONDS = 20;
  function fillLater() {
    const generation = folderGeneration;
    const isMap = (path) => /\.lmu$/i.test(path);
    const waiting = [...sources.keys()].filter((path) => !copied.has(path));
    waiting.sort((a, b) => isMap(b) - isMap(a));
    const next = () => inTurn(async () => {
      if (generation !== folderGeneration) return;
      const slice = waiting.splice(0, FILL_SLICE).filter((path) => sources.has(path) && !copied.has(path));
      await copyIn(slice).catch(() => {}); // a file being written: taken when a view asks for it
      if (waiting.length > 0) setTimeout(next, FILL_PAUSE_MILLISECONDS);
    });
    setTimeout(next, FILL_PAUSE_MILLISECONDS);
  }

  // What a look at the folder found ([path, source]): new files and copied files whose stamp changed
  // are copied in; a file on its way takes its new source only. A file that cannot be asked for
  // (being written, or gone: the round of the folder finds that) waits for the next look. The paths
  // copied.
  async function takeFound(found) {
    const looked = [];
    let added = false;
    for (const [path, source] of found) {
      added = added || !sources.has(path);
      if (!sources.has(path) || copied.has(path)) looked.push(path);
      sources.set(path, source);
    }
    if (added) findMapTrees();
    const files = await Promise.all(looked.map((path) => fileOf(sources.get(path)).catch(() => null)));
    const changed = looked.map((path, i) => files[i] !== null && copied.get(path) !== stamp(files[i]));
    const fresh = looked.filter((path, i) => changed[i]);
    await copyIn(fresh, files.filter((file, i) => changed[i]));
    return fresh;
  }

  // Files the folder no longer holds leave the game's copy.
  function removeGone(gone) {
    for (const path of gone) {
      if (module.FS.analyzePath(inGame(path)).exists) module.FS.unlink(inGame(path));
      sources.delete(path);
      copied.delete(path);
    }
    api.arrived(gone.map(inGame).join(RECORD)); // missing now, not on their way
    if (gone.length > 0) findMapTrees();
  }

  // A look at the folder as the input gave it again: everything it holds is in hand.
  async function takeFolderAgain(found) {
    const fresh = await takeFound(found);
    const gone = [...sources.keys()].filter((path) => !found.has(path));
    removeGone(gone);
    if (fresh.length + gone.length > 0) api.changed();
    if (fresh.some(isMapTree)) listMaps();
  }

  // The folder's map trees (it should hold one), which list its maps: looked at with the view's files.
  const isMapTree = (path) => /^[^/]*\.lmt$/i.test(path);
  let mapTrees = [];
  const findMapTrees = () => { mapTrees = [...sources.keys()].filter(isMapTree); };

  // Opening a folder and reading one again take turns: a look at the folder open before must not
  // copy its files into one being opened.
  let folderWork = Promise.resolve();
  function inTurn(job) {
    const done = folderWork.then(job);
    folderWork = done.catch(() => {});
    return done;
  }

  const codePage = () => new URLSearchParams(location.search).get('code-page') || '';

  // Opens the folder below a folder of its own: its database and map tree are copied in at once,
  // every view reads them; the rest as the first view asks for it, and later between frames. The
  // game open before stays open, and its view, when this one cannot be opened.
  async function openFolder(name, found) {
    const previous = { root: gameRoot, sources, copied, mapTrees };
    const place = '/games/' + ++copies;
    gameRoot = place + '/' + name;
    sources = found;
    copied = new Map();
    findMapTrees();
    let problem;
    try {
      writeStandIns();
      await copyIn([...sources.keys()].filter((path) => /^[^/]*\.(ldb|lmt)$/i.test(path)));
      problem = await withFilesIn(() => api.open(gameRoot, codePage(), $('game-lines').checked ? 1 : 0));
    } catch (error) {
      problem = 'Cannot read the folder "' + name + '": ' + error.message;
    }
    takeMessages();
    if (problem !== '') {
      removeTree(place);
      ({ root: gameRoot, sources, copied, mapTrees } = previous);
      tellOnTheirWay();
      showProblem(problem);
      return false;
    }
    ++folderGeneration;
    sweep = null; // a round under way walks the folder before
    if (previous.root !== '') removeTree(previous.root.replace(/\/[^/]*$/, ''));
    $('game').textContent = name;
    showScript(''); // the lines C gave were the game's before
    listMaps();
    fillLater();
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

  // A map chosen, or the game's own lines turned on or off (the open game comes again on its map, as
  // it then shows), once the files it asks for are in.
  function choose(call) {
    inTurn(async () => {
      showProblem(await withFilesIn(call));
      react('');
    }).catch((error) => showProblem('Cannot read the game folder: ' + error.message));
    canvas.focus();
  }
  $('maps').addEventListener('change', () => choose(() => api.enter(Number($('maps').value))));
  $('game-lines').addEventListener('change', () => choose(() => api.gameLines($('game-lines').checked ? 1 : 0)));

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

  async function openHandle(handle) {
    if (await openFolder(handle.name, await sourcesOfHandle(handle, GAME_FILE))) {
      folderHandle = handle;
      pickedName = null;
      $('reload').hidden = true;
    }
  }

  $('open').addEventListener('click', () => pick('game', $('folder'), openHandle));

  $('folder').addEventListener('change', async () => {
    const input = $('folder');
    const again = reloading;
    reloading = false;
    if (input.files.length === 0) return;
    const name = input.files[0].webkitRelativePath.split('/')[0] || 'game';
    const found = sourcesOfInput(input.files, GAME_FILE);
    await inTurn(async () => {
      if (again && name === pickedName) {
        await takeFolderAgain(found).catch((error) => showProblem('Cannot read the folder again: ' + error.message));
      } else if (await openFolder(name, found)) {
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

  // With a handle, the files the view is made of (and the map tree, which lists the maps) are looked
  // at a few times a second: a change to them shows at once. The rest of the folder is listed a
  // slice at a time, for files that came or went, a whole round every few seconds and at once when
  // the person comes back to the page: a look never asks for thousands of files together.
  const SWEEP_SLICE = 400;
  const SWEEP_PAUSE_MILLISECONDS = 3000;
  let sweep = null; // the round under way: the folder's walk, and the paths it found so far
  let nextSweep = 0;

  const viewFiles = () => inGameFolder(api.viewFiles()).concat(mapTrees).filter((path) => copied.has(path));

  // The view's files; the number of files looked at.
  async function lookAtTheView() {
    const paths = viewFiles();
    const fresh = await takeFound(paths.map((path) => [path, sources.get(path)]));
    if (fresh.length > 0) api.changed();
    if (fresh.some(isMapTree)) listMaps();
    return paths.length;
  }

  // The next slice of the round; the number of files it looked at.
  async function lookAtASlice() {
    if (!sweep) {
      if (performance.now() < nextSweep) return 0;
      sweep = { walk: entriesBelow(folderHandle, '', GAME_FILE), seen: new Set() };
    }
    const found = [];
    let done = false;
    while (found.length < SWEEP_SLICE && !done) {
      const next = await sweep.walk.next();
      done = next.done;
      if (!done) found.push(next.value);
    }
    for (const [path] of found) sweep.seen.add(path);
    // Files the view does not use are only listed: once a view uses one, its look compares it.
    const fresh = found.filter(([path]) => !sources.has(path));
    for (const [path, entry] of found) sources.set(path, entry);
    await copyIn(fresh.map(([path]) => path));
    if (fresh.length > 0) findMapTrees();
    let changes = fresh.length;
    if (done) {
      const gone = [...sources.keys()].filter((path) => !sweep.seen.has(path));
      removeGone(gone);
      changes += gone.length;
      sweep = null;
      nextSweep = performance.now() + SWEEP_PAUSE_MILLISECONDS;
    }
    if (changes > 0) api.changed();
    return found.length;
  }

  let watching = false;
  setInterval(() => {
    if (!folderHandle || watching) return;
    watching = true;
    const handle = folderHandle;
    inTurn(async () => {
      // A file being written cannot be read yet: the next look takes it.
      if (folderHandle === handle) await lookAtTheView().catch(() => {});
      // A folder can go while it is walked: the round starts again.
      if (folderHandle === handle) await lookAtASlice().catch(() => { sweep = null; });
      watching = false;
    });
  }, WATCH_MILLISECONDS);
  const lookAgainNow = () => { if (document.visibilityState === 'visible' && !sweep) nextSweep = 0; };
  document.addEventListener('visibilitychange', lookAgainNow);
  window.addEventListener('focus', lookAgainNow);

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
  async function useStandardGraphics(name, found) {
    const files = await Promise.all([...found.values()].map(fileOf));
    const contents = await Promise.all(files.map((file) => file.arrayBuffer()));
    const place = '/standard/' + ++copies;
    makeFolders(place + '/');
    [...found.keys()].forEach((path, i) => {
      makeFolders(place + '/' + path);
      module.FS.writeFile(place + '/' + path, new Uint8Array(contents[i]));
    });
    api.standard(place);
    if (standardRoot !== '') removeTree(standardRoot);
    standardRoot = place;
    showStandard(name);
    api.tell('the standard graphics come from "' + name + '" (' + files.length + ' images)');
    if (gameRoot !== '') {
      showProblem(await withFilesIn(() => api.open(gameRoot, codePage(), $('game-lines').checked ? 1 : 0)));
      listMaps();
    }
    react('');
  }

  const standardFromHandle = async (handle) =>
    useStandardGraphics(handle.name, await sourcesOfHandle(handle, STANDARD_FILE));

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
    await inTurn(() => useStandardGraphics(name, sourcesOfInput(input.files, STANDARD_FILE)));
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
    // Opens a folder the browser keeps a handle to, as the picker would; once its first frame is
    // shown, the milliseconds that took, the files the folder holds and the problem shown.
    openHandle: async (handle) => {
      const start = performance.now();
      await inTurn(() => openHandle(handle));
      const shown = framesShown;
      await new Promise((resolve) => {
        const wait = () => (framesShown > shown ? resolve() : requestAnimationFrame(wait));
        wait();
      });
      return { milliseconds: performance.now() - start, files: sources.size, problem: $('problem').textContent };
    },
    // One look at the view's files, and one slice of the look at the rest of the folder, as the
    // watch takes them: the milliseconds each took and the files it looked at.
    watchLooks: () => inTurn(async () => {
      const timed = async (look) => {
        const start = performance.now();
        const files = await look();
        return { milliseconds: performance.now() - start, files };
      };
      nextSweep = 0;
      return { view: await timed(lookAtTheView), slice: await timed(lookAtASlice) };
    }),
    // Whether every file of the open game is copied in.
    allCopiedIn: () => copied.size === sources.size,
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
      onTheirWay: none('fv_on_their_way', 'string'),
      arrived: none('fv_arrived', 'string'),
      asked: text('fv_asked'),
      viewFiles: text('fv_view_files'),
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
