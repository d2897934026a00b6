#!/usr/bin/env python3
"""The browser page's tests, in Debian's headless Chromium driven through Debian's Selenium and
chromium-driver, and the measurement of its load time and time per frame.

  page_test.py TEST --page farview.html --native BUILD --work DIR [--chromium PATH] [--chromedriver PATH]

TEST is one of:
  demo-start   the page's first frame, with no folder chosen, equals farview-preview's demo-start.png
  folder       a generated game opened through the folder input lists its maps by number and name,
               and shows the frame farview-preview renders for the script C gives
  keys         the live window's end-to-end inputs, typed into the page, give the script C prints in
               farview-live for the same inputs, and S the same screenshot (--screenshot FILE: a
               picture of the page at the end, the README's)
  broken-map   choosing a map whose file is cut short keeps the view and shows the preview's message
  watch        a game opened through a folder handle of the browser's origin-private file system: a
               change to its map file shows, and so does one to the file of a map chosen later;
               once that file is removed, the view stays
  measure      prints the load time and the time per frame, and for a game of 600 maps and 2,000
               pictures opened through a folder handle the time to its first frame and the cost of
               the folder watch's looks (no test)

BUILD is the native build (farview-preview, farview-live, the demo game, farview-web-test-game).
Needs Debian's python3-selenium, chromium-driver and python3-png (scripts/install-deps --web), so
run it with Debian's own /usr/bin/python3.
"""
import argparse
import base64
import functools
import http.server
import json
import pathlib
import re
import shutil
import subprocess
import sys
import threading
import time

try:
    import png
    from selenium import webdriver
    from selenium.common.exceptions import WebDriverException
    from selenium.webdriver.chrome.options import Options
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.action_chains import ActionChains
    from selenium.webdriver.common.actions.wheel_input import ScrollOrigin
    from selenium.webdriver.common.by import By
    from selenium.webdriver.common.keys import Keys
except ImportError as missing:
    sys.exit('%s: %s is missing for %s: the page\'s tests need Debian\'s python3-selenium, chromium-driver and '
             'python3-png (scripts/install-deps --web), run by Debian\'s /usr/bin/python3' %
             (__file__, missing.name, sys.executable))

ROOT = pathlib.Path(__file__).resolve().parents[2]
LIVE_INPUTS = ROOT / 'tests/live/end_to_end_inputs.txt'
DEMO_SCRIPT = ROOT / 'tools/demo/demo_script.txt'
WIDTH, HEIGHT = 320, 240


class Failure(Exception):
    pass


# ---- Chromium through chromedriver -------------------------------------------------------------------

class Chromium:
    # Keys as the page gets them from a keyboard; letters and digits are their own characters.
    KEYS = {'Up': Keys.ARROW_UP, 'Down': Keys.ARROW_DOWN, 'Left': Keys.ARROW_LEFT, 'Right': Keys.ARROW_RIGHT,
            'Tab': Keys.TAB, 'PageUp': Keys.PAGE_UP, 'PageDown': Keys.PAGE_DOWN, 'Escape': Keys.ESCAPE,
            'F11': Keys.F11, '+': '+', '=': '=', '-': '-', 'Keypad+': Keys.ADD, 'Keypad-': Keys.SUBTRACT}

    def __init__(self, executable, driver, profile, downloads):
        options = Options()
        options.binary_location = executable
        for flag in ('--headless=new', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
                     '--disable-background-networking', '--disable-component-update', '--disable-sync',
                     '--user-data-dir=' + str(profile), '--window-size=1280,900'):
            options.add_argument(flag)
        # Screenshots and recorded turns are saved where the test looks, without asking.
        options.add_experimental_option('prefs', {
            'download.default_directory': str(downloads), 'download.prompt_for_download': False,
            'profile.default_content_setting_values.automatic_downloads': 1})
        options.set_capability('goog:loggingPrefs', {'browser': 'ALL'})
        service = Service(driver, log_path=str(profile.parent / 'chromedriver.log'))
        try:
            self.driver = webdriver.Chrome(service=service, options=options)
        except WebDriverException as failure:
            raise Failure('chromedriver could not start %s: %s' % (executable, failure.msg)) from failure
        self.driver.set_script_timeout(60)

    def close(self):
        self.driver.quit()
        if hasattr(self, 'server'):
            self.server.shutdown()

    def console(self):
        """What the page wrote to its console, and the errors it threw."""
        try:
            return [entry['message'] for entry in self.driver.get_log('browser')]
        except WebDriverException:
            return []

    def evaluate(self, expression):
        """The value of the expression, once it has settled if it is a promise."""
        try:
            return self.driver.execute_script('return ' + expression)
        except WebDriverException as failure:
            raise Failure('the page threw: ' + (failure.msg or str(failure))[:2000]) from failure

    def open(self, page, query=''):
        self.driver.get(page.resolve().as_uri() + query)
        self.evaluate('new Promise((resolve) => { const wait = () => window.farview ? '
                      'farview.ready.then(resolve) : setTimeout(wait, 10); wait(); })')

    def open_served(self, page):
        """The page from a server of its own on this machine: the browser gives a page opened from disk
        no origin-private folder."""
        if not hasattr(self, 'server'):
            handler = functools.partial(QuietFiles, directory=str(page.resolve().parent))
            self.server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), handler)
            threading.Thread(target=self.server.serve_forever, daemon=True).start()
        self.driver.get('http://127.0.0.1:%d/%s' % (self.server.server_address[1], page.name))
        self.evaluate('new Promise((resolve) => { const wait = () => window.farview ? '
                      'farview.ready.then(resolve) : setTimeout(wait, 10); wait(); })')

    def copy_to_private_folder(self, folder):
        """The folder copied into the browser's origin-private file system, under its own name."""
        self.evaluate('(() => { const input = document.createElement("input"); input.type = "file"; '
                      'input.id = "private-copy"; input.webkitdirectory = true; input.multiple = true; '
                      'input.hidden = true; document.body.appendChild(input); })()')
        self.driver.find_element(By.ID, 'private-copy').send_keys(str(folder))
        return self.evaluate(PRIVATE_COPY % json.dumps(folder.name))

    def private_folder(self, name):
        """An expression for the handle of a folder of the origin-private file system."""
        return 'navigator.storage.getDirectory().then((root) => root.getDirectoryHandle(%s))' % json.dumps(name)

    def frames(self, count=2):
        """Waits until the page has drawn count more frames."""
        self.evaluate('new Promise((resolve) => { let left = %d; const next = () => --left > 0 ? '
                      'requestAnimationFrame(next) : resolve(); requestAnimationFrame(next); })' % count)

    def shown_pixels(self):
        self.frames()
        return base64.b64decode(self.evaluate('farview.shownPixels()'))

    def text_of(self, selector):
        return self.evaluate('document.querySelector(%s).textContent' % json.dumps(selector))

    def actions(self):
        return ActionChains(self.driver, duration=0)

    def key(self, name, shift=False, ctrl=False):
        if name in self.KEYS:
            key = self.KEYS[name]
        elif re.fullmatch('[A-Z0-9]', name):
            key = name.lower()
        else:
            raise Failure('no key named ' + name)
        held = ([Keys.CONTROL] if ctrl else []) + ([Keys.SHIFT] if shift else [])
        actions = self.actions()
        for modifier in held:
            actions.key_down(modifier)
        actions.key_down(key).key_up(key)
        for modifier in reversed(held):
            actions.key_up(modifier)
        actions.perform()

    def screenshot(self, path):
        """The page as shown, down to the end of its content, as a PNG file."""
        height = self.evaluate('Math.ceil(document.querySelector("footer").getBoundingClientRect().bottom)')
        width = self.evaluate('document.documentElement.clientWidth')
        shot = self.driver.execute_cdp_cmd('Page.captureScreenshot', {
            'format': 'png', 'clip': {'x': 0, 'y': 0, 'width': width, 'height': height, 'scale': 1}})
        pathlib.Path(path).write_bytes(base64.b64decode(shot['data']))

    def canvas(self):
        return self.driver.find_element(By.ID, 'screen')

    def wheel(self, clicks):
        self.actions().scroll_from_origin(ScrollOrigin.from_element(self.canvas()), 0, -100 * clicks).perform()

    def drag(self, pixels):
        self.actions().move_to_element(self.canvas()).click_and_hold().move_by_offset(pixels, 0).release().perform()

    def type_inputs(self, lines):
        """The inputs of the live window's test files (key [shift] [ctrl] NAME, wheel, drag, wait), one a
        frame."""
        for line in lines:
            words = line.split('#', 1)[0].split()
            if not words:
                continue
            if words[0] == 'key':
                self.key(words[-1], shift='shift' in words[1:-1], ctrl='ctrl' in words[1:-1])
            elif words[0] == 'wheel':
                self.wheel(int(words[1]))
            elif words[0] == 'drag':
                self.drag(int(words[1]))
            elif words[0] != 'wait':
                raise Failure('the page takes no input "%s"' % line)
            self.frames(1)

    def open_folder(self, folder):
        before = self.evaluate('document.getElementById("game").textContent')
        self.driver.find_element(By.ID, 'folder').send_keys(str(folder))
        deadline = time.monotonic() + 60
        while self.evaluate('document.getElementById("game").textContent') == before:
            problem = self.text_of('#problem')
            if problem or time.monotonic() > deadline:
                raise Failure('the folder did not open: ' + (problem or 'no answer in 60 s'))
            time.sleep(0.05)
        self.frames()


class QuietFiles(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


# The files of the input #private-copy written into the origin-private folder NAME, replacing it.
PRIVATE_COPY = '''(async (name) => {
  const root = await navigator.storage.getDirectory();
  await root.removeEntry(name, { recursive: true }).catch(() => {});
  const top = await root.getDirectoryHandle(name, { create: true });
  const input = document.getElementById('private-copy');
  while (input.files.length === 0) await new Promise((resolve) => setTimeout(resolve, 50));
  const files = input.files;
  for (const file of files) {
    const parts = file.webkitRelativePath.split('/').slice(1);
    let folder = top;
    for (const part of parts.slice(0, -1)) folder = await folder.getDirectoryHandle(part, { create: true });
    const writable = await (await folder.getFileHandle(parts[parts.length - 1], { create: true })).createWritable();
    await writable.write(file);
    await writable.close();
  }
  return files.length;
})(%s)'''


# In the origin-private folder NAME, the file TO written over with the bytes of FROM.
PRIVATE_REPLACE = '''(async (name, from, to) => {
  const folder = await (await navigator.storage.getDirectory()).getDirectoryHandle(name);
  const bytes = await (await (await folder.getFileHandle(from)).getFile()).arrayBuffer();
  const writable = await (await folder.getFileHandle(to)).createWritable();
  await writable.write(bytes);
  await writable.close();
})(%s, %s, %s)'''


# ---- Files -------------------------------------------------------------------------------------------

def png_rgb(path):
    """The RGB bytes of a PNG without alpha (truecolour or paletted), row by row."""
    try:
        _, _, rows, _ = png.Reader(filename=str(path)).asRGB8()
        return b''.join(bytes(row) for row in rows)
    except (png.Error, OSError) as failure:
        raise Failure('%s: %s' % (path, failure)) from failure


def same_pixels(shown, expected, what):
    if len(shown) != len(expected):
        raise Failure('%s: %d bytes shown, %d expected' % (what, len(shown), len(expected)))
    differ = [i // 3 for i in range(0, len(shown), 3) if shown[i:i + 3] != expected[i:i + 3]]
    if differ:
        first = differ[0]
        raise Failure('%s: %d pixels differ, the first at (%d, %d)' % (what, len(differ), first % WIDTH,
                                                                           first // WIDTH))


def run(command, what):
    done = subprocess.run([str(c) for c in command], capture_output=True, text=True, timeout=300)
    if done.returncode != 0:
        raise Failure('%s exited with %d:\n%s%s' % (what, done.returncode, done.stdout, done.stderr))
    return done


def demo_start_scene():
    """The demo's script up to its first frame: the page's scene with no folder chosen."""
    scene = []
    for line in DEMO_SCRIPT.read_text(encoding='utf-8').splitlines():
        if line.split()[:1] == ['frame']:
            break
        scene.append(line)
    return '\n'.join(scene) + '\n'


def show_c(browser):
    browser.key('C')
    browser.frames(1)
    return browser.text_of('#script')


# ---- The tests ---------------------------------------------------------------------------------------

def test_demo_start(browser, args, work):
    run([args.native / 'farview-preview', '-o', work / 'preview'], 'farview-preview')
    browser.open(args.page)
    same_pixels(browser.shown_pixels(), png_rgb(work / 'preview/demo-start.png'),
                "the page's first frame against farview-preview's demo-start.png")


def write_test_game(args, work):
    folder = work / 'Game'
    broken = run([args.native / 'tests/web/farview-web-test-game', folder], 'farview-web-test-game').stdout
    return folder, int(broken)


def test_folder(browser, args, work):
    folder, _ = write_test_game(args, work)
    browser.open(args.page)
    show_c(browser)
    browser.open_folder(folder)
    # The lines C gave were the demo's: opening another game takes them away.
    if browser.evaluate('document.getElementById("script-box").hidden') is not True or browser.text_of('#script'):
        raise Failure("the demo's lines stay after another game was opened:\n" + browser.text_of('#script'))
    first = browser.evaluate('document.querySelector("#maps option").textContent')
    if first != '0001 Дерево1':
        raise Failure('the first map is listed as "%s", not by number and name' % first)
    if '?code-page=NUMBER' not in browser.text_of('#messages'):
        raise Failure('the messages do not say how the page chooses another code page:\n' +
                      browser.text_of('#messages'))
    # C's lines are a complete preview script, ending in a frame step that writes view.png.
    script = show_c(browser)
    (work / 'from-c.txt').write_text(script, encoding='utf-8')
    run([args.native / 'farview-preview', folder, work / 'from-c.txt', '-o', work / 'preview'], 'farview-preview')
    same_pixels(browser.shown_pixels(), png_rgb(work / 'preview/view.png'),
                "the page's frame against farview-preview's frame of C's script:\n" + script)


def test_code_page_in_address(browser, args, work):
    folder, _ = write_test_game(args, work)
    browser.open(args.page, '?code-page=1252')
    # The game's names are Cyrillic (1251): read as 1252, its tileset graphic's name is another.
    try:
        browser.open_folder(folder)
    except Failure as failure:
        if 'ChipSet/Ëåñ1.png' not in str(failure):
            raise
        return
    raise Failure('with ?code-page=1252 a game of Cyrillic names opened: the code page asked for was not used')


def test_keys(browser, args, work):
    (work / 'scene.txt').write_text(demo_start_scene(), encoding='utf-8')
    live = run(['xvfb-run', '-a', args.native / 'farview-live', args.native / 'demo-game', '--script',
                work / 'scene.txt', '--inputs', LIVE_INPUTS, '-o', work / 'live'], 'farview-live')
    browser.open(args.page)
    browser.type_inputs(LIVE_INPUTS.read_text(encoding='utf-8').splitlines())
    printed = browser.text_of('#script')
    if printed != live.stdout:
        raise Failure('C in the page:\n%s\nC in farview-live:\n%s' % (printed, live.stdout))
    if '@rotate_right_by' not in printed and '@rotate_to' not in printed:
        raise Failure('the keys did not turn the view:\n' + printed)
    deadline = time.monotonic() + 30
    while not (args.downloads / 'shot-001.png').exists():
        if time.monotonic() > deadline:
            raise Failure('S downloaded no screenshot')
        time.sleep(0.1)
    time.sleep(0.2)
    same_pixels(png_rgb(args.downloads / 'shot-001.png'), png_rgb(work / 'live/shot-001.png'),
                "the page's screenshot against farview-live's")
    if args.screenshot:
        browser.screenshot(args.screenshot)


def test_broken_map(browser, args, work):
    folder, broken = write_test_game(args, work)
    told = subprocess.run([str(args.native / 'farview-preview'), str(folder), '--map', str(broken), '-o',
                           str(work / 'preview')], capture_output=True, text=True, timeout=300).stderr
    message = re.search(r'Cannot read "[^"]+" at byte [^\n]*', told)
    if not message:
        raise Failure('farview-preview gave no message for the broken map:\n' + told)
    browser.open(args.page)
    browser.open_folder(folder)
    before = browser.shown_pixels()
    browser.evaluate('(() => { const maps = document.getElementById("maps"); maps.value = "%d"; '
                     'maps.dispatchEvent(new Event("change")); })()' % broken)
    problem = browser.text_of('#problem')
    if message.group(0) not in problem:
        raise Failure('the page says "%s", not the preview\'s "%s"' % (problem, message.group(0)))
    same_pixels(browser.shown_pixels(), before, 'the view after the broken map against the view before')


def wait_for_message(browser, words, what):
    deadline = time.monotonic() + 20
    while words not in browser.text_of('#messages'):
        if time.monotonic() > deadline:
            raise Failure('%s: no message "%s" in 20 s:\n%s' % (what, words, browser.text_of('#messages')))
        time.sleep(0.05)


def test_watch(browser, args, work):
    folder, _ = write_test_game(args, work)
    browser.open_served(args.page)
    browser.copy_to_private_folder(folder)
    opened = browser.evaluate('%s.then((handle) => farview.openHandle(handle))' % browser.private_folder('Game'))
    if opened['problem']:
        raise Failure('the game did not open from its folder handle: ' + opened['problem'])
    # A file the view uses: map 1 written over with map 2.
    before = browser.shown_pixels()
    browser.evaluate(PRIVATE_REPLACE % (json.dumps('Game'), json.dumps('Map0002.lmu'), json.dumps('Map0001.lmu')))
    wait_for_message(browser, 'reloaded: Map0001.lmu changed', 'the view\'s map changed')
    if browser.shown_pixels() == before:
        raise Failure('the view did not change with its map file')
    # A map opened later, whose file was read when it was chosen: written over with map 3.
    browser.evaluate('(() => { const maps = document.getElementById("maps"); maps.value = "2"; '
                     'maps.dispatchEvent(new Event("change")); })()')
    wait_for_message(browser, 'map 2', 'map 2 chosen')
    browser.frames()
    before = browser.shown_pixels()
    browser.evaluate(PRIVATE_REPLACE % (json.dumps('Game'), json.dumps('Map0003.lmu'), json.dumps('Map0002.lmu')))
    wait_for_message(browser, 'reloaded: Map0002.lmu changed', 'the map chosen later changed')
    shown = browser.shown_pixels()
    if shown == before:
        raise Failure('the view did not change with the file of the map chosen later')
    # The view's map gone from the folder: the round of the folder finds it, and the view stays.
    browser.evaluate('%s.then((folder) => folder.removeEntry("Map0002.lmu"))' % browser.private_folder('Game'))
    wait_for_message(browser, 'not reloaded, the last good view stays', 'the view\'s map removed')
    same_pixels(browser.shown_pixels(), shown, 'the view after its map file was removed against the view before')


def measure(browser, args, work):
    loads, starts = [], []
    for _ in range(5):
        browser.open(args.page)
        loads.append(browser.evaluate('farview.loadMilliseconds()'))
        starts.append(browser.evaluate('farview.startMilliseconds()'))
    frame = browser.evaluate('farview.measureFrames(600)')
    measure_large_game(browser, args, work)
    print('load to the first frame shown: %s ms (5 loads; median %.0f ms)' %
          (', '.join('%.0f' % load for load in loads), sorted(loads)[2]))
    print('of which the module compiled and started: %s ms; the demo written and its scene opened: %s ms' %
          (', '.join('%.0f' % s[0] for s in starts), ', '.join('%.0f' % (s[1] - s[0]) for s in starts)))
    print('a frame rendered and drawn: %.3f ms (mean of 600)' % frame)


def measure_large_game(browser, args, work):
    """A game of 600 maps and 2,000 pictures opened through a folder handle, as an author's large game."""
    folder = work / 'Large'
    run([args.native / 'tests/support/farview_write_generated_game', folder, 600, 950, '--set-ups', 3,
         '--pictures', 2000], 'farview_write_generated_game')
    browser.open_served(args.page)
    browser.copy_to_private_folder(folder)
    opened = browser.evaluate('%s.then((handle) => farview.openHandle(handle))' % browser.private_folder('Large'))
    if opened['problem']:
        raise Failure('the large game did not open: ' + opened['problem'])
    print('open: %.0f ms for %d files' % (opened['milliseconds'], opened['files']))
    deadline = time.monotonic() + 120
    while not browser.evaluate('farview.allCopiedIn()'):
        if time.monotonic() > deadline:
            raise Failure('the large game was not all copied in after 120 s')
        time.sleep(0.1)
    looks = [browser.evaluate('farview.watchLooks()') for _ in range(5)]
    view = sorted(looks, key=lambda look: look['view']['milliseconds'])[2]['view']
    slice_ = sorted(looks, key=lambda look: look['slice']['milliseconds'])[2]['slice']
    print('watch look: %.1f ms over %d files (the view\'s, four times a second; median of 5)' %
          (view['milliseconds'], view['files']))
    print('watch look: %.1f ms over %d files (a slice of the rest listed, four times a second during a round; '
          'median of 5)' % (slice_['milliseconds'], slice_['files']))
    print('watching: %.1f %% of a core' % ((view['milliseconds'] + slice_['milliseconds']) * 4 / 10))


TESTS = {'demo-start': test_demo_start, 'folder': test_folder,
         'code-page': test_code_page_in_address, 'keys': test_keys, 'broken-map': test_broken_map,
         'watch': test_watch, 'measure': measure}


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument('test', choices=TESTS)
    parser.add_argument('--page', type=pathlib.Path, required=True)
    parser.add_argument('--native', type=pathlib.Path, required=True)
    parser.add_argument('--work', type=pathlib.Path, required=True)
    parser.add_argument('--chromium', default='chromium')
    parser.add_argument('--chromedriver', default=shutil.which('chromedriver') or '/usr/bin/chromedriver')
    parser.add_argument('--screenshot', type=pathlib.Path,
                        help='keys: a picture of the page at the end, as the README shows it')
    args = parser.parse_args()
    for path in (args.page, args.native / 'farview-preview'):
        if not path.exists():
            print('%s is missing: build it first (scripts/web, and the native build)' % path, file=sys.stderr)
            return 1
    shutil.rmtree(args.work, ignore_errors=True)
    args.work.mkdir(parents=True)
    args.work = args.work.resolve()
    if args.screenshot:
        args.screenshot = args.screenshot.resolve()
    args.downloads = args.work / 'downloads'
    args.downloads.mkdir()
    try:
        browser = Chromium(args.chromium, args.chromedriver, args.work / 'profile', args.downloads)
    except Failure as failure:
        print('FAILED: %s' % failure, file=sys.stderr)
        return 1
    try:
        TESTS[args.test](browser, args, args.work)
    except Failure as failure:
        print('FAILED: %s' % failure, file=sys.stderr)
        said = browser.console()
        if said:
            print('the page said:\n  ' + '\n  '.join(said[-20:]), file=sys.stderr)
        return 1
    finally:
        browser.close()
    shutil.rmtree(args.work, ignore_errors=True)
    return 0


if __name__ == '__main__':
    sys.exit(main())
