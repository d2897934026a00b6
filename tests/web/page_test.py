#!/usr/bin/env python3
"""The browser page's tests, in Debian's headless Chromium driven through the DevTools protocol over
a pipe (--remote-debugging-pipe: JSON messages ended by a zero byte on descriptors 3 and 4), and the
measurement of its load time and time per frame.

  page_test.py TEST --page farview.html --native BUILD --work DIR [--chromium PATH]

TEST is one of:
  demo-start   the page's first frame, with no folder chosen, equals farview-preview's demo-start.png
  folder       a generated game opened through the folder input lists its maps by number and name,
               and shows the frame farview-preview renders for the script C gives
  keys         the live window's end-to-end inputs, typed into the page, give the script C prints in
               farview-live for the same inputs, and S the same screenshot (--screenshot FILE: a
               picture of the page at the end, the README's)
  broken-map   choosing a map whose file is cut short keeps the view and shows the preview's message
  measure      prints the load time and the time per frame (no test)

BUILD is the native build (farview-preview, farview-live, the demo game, farview-web-test-game).
"""
import argparse
import base64
import json
import os
import pathlib
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import zlib

ROOT = pathlib.Path(__file__).resolve().parents[2]
LIVE_INPUTS = ROOT / 'tests/live/end_to_end_inputs.txt'
DEMO_SCRIPT = ROOT / 'tools/demo/demo_script.txt'
WIDTH, HEIGHT = 320, 240


class Failure(Exception):
    pass


# ---- Chromium over the DevTools pipe -----------------------------------------------------------------

class Chromium:
    def __init__(self, executable, profile, downloads):
        to_child, self.commands = os.pipe()
        self.replies, from_child = os.pipe()

        def descriptors():
            # The child's 3 reads the commands, its 4 writes the replies.
            os.dup2(to_child, 100)
            os.dup2(from_child, 101)
            os.dup2(100, 3)
            os.dup2(101, 4)

        self.process = subprocess.Popen(
            [executable, '--headless=new', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
             '--disable-background-networking', '--disable-component-update', '--disable-sync',
             '--remote-debugging-pipe', '--user-data-dir=' + str(profile), '--window-size=1280,900',
             'about:blank'],
            preexec_fn=descriptors, pass_fds=(3, 4), stdin=subprocess.DEVNULL,
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(to_child)
        os.close(from_child)
        self.buffer = b''
        self.next_id = 0
        self.session = None
        self.console = []
        targets = self.call('Target.getTargets')['targetInfos']
        page = next(t for t in targets if t['type'] == 'page')
        self.session = self.call('Target.attachToTarget', targetId=page['targetId'], flatten=True)['sessionId']
        self.call('Runtime.enable')
        self.call('Page.enable')
        self.call('Browser.setDownloadBehavior', behavior='allow', downloadPath=str(downloads), session=False)

    def close(self):
        try:
            self.call('Browser.close', session=False)
            self.process.wait(timeout=10)
        except Exception:
            self.process.kill()
            self.process.wait()

    def _message(self, deadline):
        while b'\0' not in self.buffer:
            if time.monotonic() > deadline:
                raise Failure('Chromium did not answer in time')
            chunk = os.read(self.replies, 1 << 20)
            if not chunk:
                raise Failure('Chromium closed the pipe')
            self.buffer += chunk
        text, self.buffer = self.buffer.split(b'\0', 1)
        return json.loads(text)

    def call(self, method, session=True, timeout=60, **params):
        self.next_id += 1
        message = {'id': self.next_id, 'method': method, 'params': params}
        if session and self.session:
            message['sessionId'] = self.session
        os.write(self.commands, json.dumps(message).encode() + b'\0')
        deadline = time.monotonic() + timeout
        while True:
            reply = self._message(deadline)
            if reply.get('method') == 'Runtime.consoleAPICalled':
                self.console.append(' '.join(str(a.get('value', '')) for a in reply['params']['args']))
            if reply.get('id') == self.next_id:
                if 'error' in reply:
                    raise Failure(method + ': ' + reply['error'].get('message', str(reply['error'])))
                return reply.get('result', {})

    def evaluate(self, expression, timeout=60):
        result = self.call('Runtime.evaluate', expression=expression, awaitPromise=True, returnByValue=True,
                           userGesture=True, timeout=timeout)
        if 'exceptionDetails' in result:
            raise Failure('the page threw: ' + json.dumps(result['exceptionDetails'])[:2000])
        return result['result'].get('value')

    def open(self, page, query=''):
        self.call('Page.navigate', url=page.resolve().as_uri() + query)
        self.evaluate('new Promise((resolve) => { const wait = () => window.farview ? '
                      'farview.ready.then(resolve) : setTimeout(wait, 10); wait(); })')

    def frames(self, count=2):
        """Waits until the page has drawn count more frames."""
        self.evaluate('new Promise((resolve) => { let left = %d; const next = () => --left > 0 ? '
                      'requestAnimationFrame(next) : resolve(); requestAnimationFrame(next); })' % count)

    def shown_pixels(self):
        self.frames()
        return base64.b64decode(self.evaluate('farview.shownPixels()'))

    def text_of(self, selector):
        return self.evaluate('document.querySelector(%s).textContent' % json.dumps(selector))

    # Keys as the page gets them from a keyboard: the key's value, its place and its code.
    KEYS = {'Up': ('ArrowUp', 'ArrowUp', 38), 'Down': ('ArrowDown', 'ArrowDown', 40),
            'Left': ('ArrowLeft', 'ArrowLeft', 37), 'Right': ('ArrowRight', 'ArrowRight', 39),
            'Tab': ('Tab', 'Tab', 9), 'PageUp': ('PageUp', 'PageUp', 33), 'PageDown': ('PageDown', 'PageDown', 34),
            'Escape': ('Escape', 'Escape', 27), 'F11': ('F11', 'F11', 122),
            '+': ('+', 'Equal', 187), '=': ('=', 'Equal', 187), '-': ('-', 'Minus', 189),
            'Keypad+': ('+', 'NumpadAdd', 107), 'Keypad-': ('-', 'NumpadSubtract', 109)}

    def key(self, name, shift=False, ctrl=False):
        if name in self.KEYS:
            key, code, key_code = self.KEYS[name]
        elif re.fullmatch('[A-Z]', name):
            key, code, key_code = (name if shift else name.lower()), 'Key' + name, ord(name)
        elif re.fullmatch('[0-9]', name):
            key, code, key_code = name, 'Digit' + name, ord(name)
        else:
            raise Failure('no key named ' + name)
        event = {'key': key, 'code': code, 'windowsVirtualKeyCode': key_code,
                 'modifiers': (8 if shift else 0) | (2 if ctrl else 0)}
        text = {'text': key} if len(key) == 1 and not ctrl else {}
        self.call('Input.dispatchKeyEvent', type='keyDown' if text else 'rawKeyDown', **event, **text)
        self.call('Input.dispatchKeyEvent', type='keyUp', **event)

    def screenshot(self, path):
        """The page as shown, down to the end of its content, as a PNG file."""
        height = self.evaluate('Math.ceil(document.querySelector("footer").getBoundingClientRect().bottom)')
        width = self.evaluate('document.documentElement.clientWidth')
        shot = self.call('Page.captureScreenshot', format='png',
                         clip={'x': 0, 'y': 0, 'width': width, 'height': height, 'scale': 1})
        pathlib.Path(path).write_bytes(base64.b64decode(shot['data']))

    def canvas_centre(self):
        box = self.evaluate('(() => { const r = document.getElementById("screen").getBoundingClientRect(); '
                            'return [r.x + r.width / 2, r.y + r.height / 2]; })()')
        return box[0], box[1]

    def wheel(self, clicks):
        x, y = self.canvas_centre()
        self.call('Input.dispatchMouseEvent', type='mouseWheel', x=x, y=y, deltaX=0, deltaY=-100 * clicks)

    def drag(self, pixels):
        x, y = self.canvas_centre()
        self.call('Input.dispatchMouseEvent', type='mousePressed', x=x, y=y, button='left', buttons=1, clickCount=1)
        self.call('Input.dispatchMouseEvent', type='mouseMoved', x=x + pixels, y=y, button='left', buttons=1)
        self.call('Input.dispatchMouseEvent', type='mouseReleased', x=x + pixels, y=y, button='left', buttons=0,
                  clickCount=1)

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
        document = self.call('DOM.getDocument')
        node = self.call('DOM.querySelector', nodeId=document['root']['nodeId'], selector='#folder')['nodeId']
        before = self.evaluate('document.getElementById("game").textContent')
        self.call('DOM.setFileInputFiles', nodeId=node, files=[str(folder)])
        deadline = time.monotonic() + 60
        while self.evaluate('document.getElementById("game").textContent') == before:
            problem = self.text_of('#problem')
            if problem or time.monotonic() > deadline:
                raise Failure('the folder did not open: ' + (problem or 'no answer in 60 s'))
            time.sleep(0.05)
        self.frames()


# ---- Files -------------------------------------------------------------------------------------------

def png_rgb(path):
    """The RGB bytes of a non-interlaced 8-bit PNG (truecolour or paletted), row by row."""
    data = pathlib.Path(path).read_bytes()
    if data[:8] != b'\x89PNG\r\n\x1a\n':
        raise Failure(str(path) + ' is no PNG')
    at, chunks, palette = 8, b'', None
    while at < len(data):
        length, kind = struct.unpack('>I4s', data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        if kind == b'IHDR':
            width, height, depth, colour, _, _, interlace = struct.unpack('>IIBBBBB', body)
            if depth != 8 or colour not in (2, 3) or interlace:
                raise Failure('%s: only 8-bit RGB or paletted PNGs are read here' % path)
        elif kind == b'PLTE':
            palette = body
        elif kind == b'IDAT':
            chunks += body
        at += 12 + length
    step = 3 if colour == 2 else 1
    raw, rows, previous = zlib.decompress(chunks), [], bytearray(width * step)
    stride = width * step + 1
    for y in range(height):
        kind, row = raw[y * stride], bytearray(raw[y * stride + 1:(y + 1) * stride])
        for i in range(len(row)):
            left = row[i - step] if i >= step else 0
            up, corner = previous[i], previous[i - step] if i >= step else 0
            if kind == 1:
                row[i] = (row[i] + left) & 255
            elif kind == 2:
                row[i] = (row[i] + up) & 255
            elif kind == 3:
                row[i] = (row[i] + (left + up) // 2) & 255
            elif kind == 4:
                p = left + up - corner
                near = min((abs(p - left), 0, left), (abs(p - up), 1, up), (abs(p - corner), 2, corner))[2]
                row[i] = (row[i] + near) & 255
        rows.append(bytes(row))
        previous = row
    pixels = b''.join(rows)
    if colour == 3:
        pixels = b''.join(palette[3 * i:3 * i + 3] for i in pixels)
    return pixels


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
    browser.open_folder(folder)
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


def measure(browser, args, work):
    loads, starts = [], []
    for _ in range(5):
        browser.open(args.page)
        loads.append(browser.evaluate('farview.loadMilliseconds()'))
        starts.append(browser.evaluate('farview.startMilliseconds()'))
    frame = browser.evaluate('farview.measureFrames(600)')
    print('load to the first frame shown: %s ms (5 loads; median %.0f ms)' %
          (', '.join('%.0f' % load for load in loads), sorted(loads)[2]))
    print('of which the module compiled and started: %s ms; the demo written and its scene opened: %s ms' %
          (', '.join('%.0f' % s[0] for s in starts), ', '.join('%.0f' % (s[1] - s[0]) for s in starts)))
    print('a frame rendered and drawn: %.3f ms (mean of 600)' % frame)


TESTS = {'demo-start': test_demo_start, 'folder': test_folder,
         'code-page': test_code_page_in_address, 'keys': test_keys, 'broken-map': test_broken_map,
         'measure': measure}


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument('test', choices=TESTS)
    parser.add_argument('--page', type=pathlib.Path, required=True)
    parser.add_argument('--native', type=pathlib.Path, required=True)
    parser.add_argument('--work', type=pathlib.Path, required=True)
    parser.add_argument('--chromium', default='chromium')
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
    browser = Chromium(args.chromium, args.work / 'profile', args.downloads)
    try:
        TESTS[args.test](browser, args, args.work)
    except Failure as failure:
        print('FAILED: %s' % failure, file=sys.stderr)
        if browser.console:
            print('the page said:\n  ' + '\n  '.join(browser.console[-20:]), file=sys.stderr)
        return 1
    finally:
        browser.close()
    shutil.rmtree(args.work, ignore_errors=True)
    return 0


if __name__ == '__main__':
    sys.exit(main())
