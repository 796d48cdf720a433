#!/usr/bin/python3
# Tests of QuillonMacro on a headless GNOME compositor (run-with-mutter.sh starts it): macros run by the
# command-line program drive a native GTK client full-screen, which records what it receives.
#   gnome_session_test.py PROGRAM RECORDER [unittest arguments]
import json
import os
import signal
import struct
import subprocess
import sys
import tempfile
import time
import unittest

PROGRAM = ""
RECORDER = ""
WIDTH, HEIGHT = 1280, 800


def write_bmp(path, width, height, pixel):
    """A 24-bit BMP whose pixel (x, y) has the colour pixel(x, y) = (r, g, b)."""
    row = (width * 3 + 3) & ~3
    data = bytearray()
    for y in range(height - 1, -1, -1):
        line = bytearray()
        for x in range(width):
            r, g, b = pixel(x, y)
            line += bytes((b, g, r))
        data += line + bytes(row - len(line))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


# The picture shown full-screen: dark grey, a red square at (100..199, 100..199), a blue one at
# (1000..1099, 600..699), and a patterned patch (the template FINDIMG looks for) at (700, 450).
PATCH_X, PATCH_Y, PATCH_W, PATCH_H = 700, 450, 40, 30


def patch_colour(x, y):
    return ((x * 37 + y * 11) % 256, (x * 5 + y * 53) % 256, (x * y + 90) % 256)


def screen_colour(x, y):
    if 100 <= x < 200 and 100 <= y < 200:
        return (255, 0, 0)
    if 1000 <= x < 1100 and 600 <= y < 700:
        return (0, 0, 255)
    if PATCH_X <= x < PATCH_X + PATCH_W and PATCH_Y <= y < PATCH_Y + PATCH_H:
        return patch_colour(x - PATCH_X, y - PATCH_Y)
    return (40, 40, 40)


class Recorder:
    """The GTK client (full-screen unless window options are given), its records read as they come."""

    def __init__(self, folder, picture=None, window_options=("--fullscreen",)):
        self.path = os.path.join(folder, "records.jsonl")
        args = ["/usr/bin/python3", RECORDER, "--out", self.path, *window_options]
        if picture:
            args += ["--picture", picture]
        environment = dict(os.environ, NO_AT_BRIDGE="1")
        self.process = subprocess.Popen(args, env=environment, stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + 20
        while time.monotonic() < deadline and not any(r["event"] == "ready" for r in self.records()):
            time.sleep(0.05)
        if not any(r["event"] == "ready" for r in self.records()):
            self.close()
            raise RuntimeError("the recorder did not come up")

    def records(self):
        try:
            with open(self.path, encoding="utf-8") as f:
                return [json.loads(line) for line in f if line.endswith("\n")]
        except FileNotFoundError:
            return []

    def records_once(self, predicate):
        """The records once predicate holds for them (a busy machine may take seconds to pass the last events
        on) and 0.3 s later, for any extra ones; what there is if it never holds."""
        self.wait_for(predicate, 10)
        time.sleep(0.3)
        return self.records()

    def wait_for(self, predicate, seconds=5):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            if predicate(self.records()):
                return True
            time.sleep(0.02)
        return predicate(self.records())

    def close(self):
        self.process.terminate()
        try:
            self.process.wait(5)
        except subprocess.TimeoutExpired:
            self.process.kill()


def run_macro(folder, text, timeout=30):
    path = os.path.join(folder, "macro.qlx")
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)
    return subprocess.run([PROGRAM, path], capture_output=True, text=True, timeout=timeout)


# A click in the middle gives the full-screen window the keyboard focus (mutter alone focuses no new window).
FOCUS = "MUSORG 1\nMUS LEFTPRESS, 32768, 32768\nMUSORG 0\nWAIT 300\n"


def presses(records):
    return [r["keyval"] for r in records if r["event"] == "key" and r["down"]]


def held_at_end(records):
    """The key codes whose last record is a press."""
    state = {}
    for r in records:
        if r["event"] == "key":
            state[r["keycode"]] = r["down"]
    return sorted(k for k, down in state.items() if down)


class GnomeCase(unittest.TestCase):
    picture = None

    def setUp(self):
        self.folder = tempfile.mkdtemp()
        picture = None
        if self.picture:
            picture = os.path.join(self.folder, "screen.bmp")
            write_bmp(picture, WIDTH, HEIGHT, screen_colour)
        self.recorder = Recorder(self.folder, picture)
        self.addCleanup(self.recorder.close)

    def run_focused(self, text):
        return run_macro(self.folder, FOCUS + text)


class Keys(GnomeCase):
    def assert_typed(self, typed):
        """The recorder got exactly the presses typed, and every key went up again."""
        records = self.recorder.records_once(lambda r: presses(r) == typed and held_at_end(r) == [])
        self.assertEqual(presses(records), typed)
        self.assertEqual(held_at_end(records), [])

    def test_typed_text_with_shift_and_nothing_held_after(self):
        result = self.run_focused("KBD VK_SHIFT, DOWN\nKBD VK_H, PRESS\nKBD VK_1, PRESS\nKBD VK_SHIFT, UP\nKBD VK_I, PRESS\n"
                                  "KBD VK_SPACE, PRESS\nKBD VK_OEM_MINUS, PRESS\n")
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assert_typed(["Shift_L", "H", "exclam", "i", "space", "minus"])

    def test_a_key_down_of_a_held_key_is_no_second_press(self):
        """Shift down twice and up once lets Shift go ("AbC"); the end of the run lets go of Shift held twice."""
        result = self.run_focused("KBD VK_SHIFT, DOWN\nKBD VK_SHIFT, DOWN\nKBD VK_A, PRESS\nKBD VK_SHIFT, UP\n"
                                  "KBD VK_B, PRESS\nKBD VK_SHIFT, DOWN\nKBD VK_C, PRESS\nKBD VK_SHIFT, DOWN\n")
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assert_typed(["Shift_L", "A", "b", "Shift_L", "C"])

    def test_keypad_digits_type_digits(self):
        result = self.run_focused("KBD VK_NUMPAD5, PRESS\nKBD VK_NUMPAD0, PRESS\nKBD VK_DECIMAL, PRESS\n")
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assert_typed(["5", "0", "KP_Decimal"])

    def test_keys_held_at_the_end_of_a_run_are_let_go(self):
        result = self.run_focused("KBD VK_SHIFT, DOWN\nKBD VK_CONTROL, DOWN\nKBD VK_B, DOWN\n")
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertTrue(self.recorder.wait_for(lambda r: "B" in presses(r) and held_at_end(r) == []),
                        self.recorder.records())

    def test_keys_held_when_a_run_fails_are_let_go(self):
        # A call that ends the run on this desktop (QM_FAILING_CALL: the line and a part of its error line);
        # GNOME without the extension has no window functions.
        failing, said = os.environ.get("QM_FAILING_CALL", 'w = GETWINID("foot")| - GETWINID\n').split("|")
        result = self.run_focused("DIM w\nKBD VK_SHIFT, DOWN\nKBD VK_X, DOWN\n%s\n" % failing)
        self.assertEqual(result.returncode, 7, result.stderr)
        self.assertIn(said, result.stderr)
        self.assertNotIn("画面が使用できない", result.stderr)
        self.assertTrue(self.recorder.wait_for(lambda r: "X" in presses(r) and held_at_end(r) == []),
                        self.recorder.records())


class Pointer(GnomeCase):
    def test_absolute_and_relative_moves_and_clicks_land_where_asked(self):
        # (100, 100) absolutely, then 50 right and 30 down, then (300, 200) with the right button.
        result = self.run_focused("MUSORG 1\nMUS LEFTPRESS, 5120, 8192\nMUSORG 0\nMUS MOVE, 50, 30\n"
                                  "MUS LEFTPRESS, 0, 0\nMUSORG 1\nMUS RIGHTPRESS, 15360, 16384\n")
        self.assertEqual(result.returncode, 0, result.stderr)
        records = self.recorder.records_once(lambda r: len([e for e in r if e["event"] == "button"]) >= 8)
        buttons = [(e["button"], e["down"], e["x"], e["y"]) for e in records
                   if e["event"] == "button"][-6:]  # after the focusing click
        self.assertEqual(buttons, [(1, True, 100, 100), (1, False, 100, 100), (1, True, 150, 130),
                                   (1, False, 150, 130), (3, True, 300, 200), (3, False, 300, 200)])


class Screen(GnomeCase):
    picture = True

    def test_getcolor_reads_the_picture_shown(self):
        points = [(150, 150), (1050, 650), (10, 10), (PATCH_X + 3, PATCH_Y + 7), (1279, 799)]
        text = "".join("PRINT GETCOLOR(%d, %d)\n" % p for p in points)
        result = run_macro(self.folder, text)
        self.assertEqual(result.returncode, 0, result.stderr)
        expected = []
        for x, y in points:
            r, g, b = screen_colour(x, y)
            expected.append(str(r | g << 8 | b << 16))
        self.assertEqual(result.stdout.splitlines()[:len(points)], expected)

    def test_findimg_finds_the_patch(self):
        template = os.path.join(self.folder, "patch.bmp")
        write_bmp(template, PATCH_W, PATCH_H, patch_colour)
        result = run_macro(self.folder, 'FINDIMG "%s"\nPRINT IMG_X\nPRINT IMG_Y\n' % template)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(result.stdout.splitlines()[:2], [str(PATCH_X), str(PATCH_Y)])

    def test_the_pointer_never_shows_in_getcolor(self):
        # The pointer stands right on the pixels read, yet they keep the picture's colour.
        result = run_macro(self.folder, FOCUS + "MUSORG 1\nMUS MOVE, 7680, 12288\nPRINT GETCOLOR(150, 150)\n"
                                        "PRINT GETCOLOR(151, 151)\n")
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(result.stdout.splitlines()[:2], ["255", "255"])


class Scaled(unittest.TestCase):
    """Monitors at a scale (run-with-mutter.sh --size --scale [--fractional] [--monitors N]): a macro's
    positions are the monitors' own pixels, for the pointer as for the screen. The recorder is full-screen on
    monitor QM_TARGET_MONITOR (default 0); the monitors stand side by side, each as wide as the first."""

    def setUp(self):
        self.width, self.height = (int(n) for n in os.environ["QM_SCREEN_SIZE"].split("x"))
        self.scale = float(os.environ["QM_SCALE"])
        monitor = int(os.environ.get("QM_TARGET_MONITOR", "0"))
        self.left = monitor * self.width
        self.folder = tempfile.mkdtemp()
        picture = os.path.join(self.folder, "screen.bmp")
        write_bmp(picture, self.width, self.height, screen_colour)
        self.recorder = Recorder(self.folder, picture, ("--fullscreen", "--monitor", str(monitor)))
        self.addCleanup(self.recorder.close)

    def absolute(self, x, y):
        """MUS's absolute position (0..65535 across the primary monitor, beyond it on the next) that reaches
        the recorder's pixel (x, y)."""
        return -(-(self.left + x) * 65536 // self.width), -(-y * 65536 // self.height)

    def test_clicks_land_on_the_pixels_asked(self):
        # A compositor that hands programs whole layout pixels only (KWin 5.27 at scale 2) reaches every
        # QM_POINTER_STEP-th pixel: the points asked are then on that grid.
        step = int(os.environ.get("QM_POINTER_STEP", "1"))
        points = [(x - x % step, y - y % step)
                  for x, y in [(201, 151), (1000, 601), (self.width - 1, self.height - 1)]]
        text = "MUSORG 1\n" + "".join("MUS LEFTPRESS, %d, %d\n" % self.absolute(x, y) for x, y in points)
        result = run_macro(self.folder, text)
        self.assertEqual(result.returncode, 0, result.stderr)
        downs = lambda records: [r for r in records if r["event"] == "button" and r["down"]]
        pressed = downs(self.recorder.records_once(lambda r: len(downs(r)) >= len(points)))
        # The recorder counts the scaled pixels of its window: the pixel asked, divided by the scale.
        self.assertEqual(len(pressed), len(points))
        for (x, y), event in zip(points, pressed):
            self.assertAlmostEqual(event["fx"] * self.scale, x, delta=0.05)
            self.assertAlmostEqual(event["fy"] * self.scale, y, delta=0.05)

    def test_getcolor_and_findimg_read_the_monitors_own_pixels(self):
        if self.scale != int(self.scale):
            self.skipTest("at a fractional scale the client's picture reaches the screen resampled")
        points = [(199, 199), (200, 200), (1099, 699), (1100, 700), (PATCH_X + 3, PATCH_Y + 7),
                  (self.width - 1, self.height - 1)]
        template = os.path.join(self.folder, "patch.bmp")
        write_bmp(template, PATCH_W, PATCH_H, patch_colour)
        text = "".join("PRINT GETCOLOR(%d, %d)\n" % (self.left + x, y) for x, y in points)
        result = run_macro(self.folder, text + 'FINDIMG "%s"\nPRINT IMG_X\nPRINT IMG_Y\n' % template)
        self.assertEqual(result.returncode, 0, result.stderr)
        expected = []
        for x, y in points:
            r, g, b = screen_colour(x, y)
            expected.append(str(r | g << 8 | b << 16))
        self.assertEqual(result.stdout.splitlines()[:len(points) + 2],
                         expected + [str(self.left + PATCH_X), str(PATCH_Y)])


class Layout(GnomeCase):
    def test_the_german_input_source_moves_the_keys_sent(self):
        # On a German keyboard Z and Y trade places, and ß lies where the US minus is. Mutter alone keeps the
        # system's keymap for its clients, so the keys (XKB keycodes) are checked rather than their symbols.
        result = self.run_focused("KBD VK_Z, PRESS\nKBD VK_Y, PRESS\nKBD VK_OEM_4, PRESS\n")
        self.assertEqual(result.returncode, 0, result.stderr)
        expected = [8 + 21, 8 + 44, 8 + 12]
        codes = lambda records: [r["keycode"] for r in records if r["event"] == "key" and r["down"]]
        self.assertEqual(codes(self.recorder.records_once(lambda r: codes(r) == expected)), expected)


class Loss(unittest.TestCase):
    def test_a_run_whose_compositor_dies_ends_with_code_seven(self):
        looped, name = os.environ.get("QM_LOOPED_CALL", "c = GETCOLOR(1, 1)|GETCOLOR").split("|")
        folder = tempfile.mkdtemp()
        path = os.path.join(folder, "loop.qlx")
        with open(path, "w", encoding="utf-8") as f:
            f.write('DIM c\nKBD VK_SHIFT, DOWN\nPRINT "started"\nWHILE 1\n%s\nWEND\n' % looped)
        run = subprocess.Popen([PROGRAM, path], stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        self.assertEqual(run.stdout.readline(), "started\n")
        time.sleep(0.3)
        os.kill(int(os.environ.get("QM_COMPOSITOR_PID") or os.environ["QM_MUTTER_PID"]), signal.SIGKILL)
        killed = time.monotonic()
        try:
            out, err = run.communicate(timeout=20)
        except subprocess.TimeoutExpired:
            run.kill()
            self.fail("still running 20 s after mutter was killed")
        ended_ms = (time.monotonic() - killed) * 1000
        print("[ measured ] %s: the program ended %.0f ms after mutter was killed" % (name, ended_ms))
        self.assertEqual(run.returncode, 7)
        self.assertEqual(out, "終了しました。\n")
        self.assertEqual(err, "関数の呼び出しが不正です\n画面との接続が切れたため、この関数は実行できません - %s\n"
                              "行=5\n" % name)


if __name__ == "__main__":
    PROGRAM, RECORDER = sys.argv[1], sys.argv[2]
    unittest.main(argv=[sys.argv[0]] + sys.argv[3:], verbosity=2)
