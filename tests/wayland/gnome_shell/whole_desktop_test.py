#!/usr/bin/python3
# The whole program on a headless GNOME Shell with our extension: one macro run by the command-line program
# finds a native GTK window by class and title, places it, clicks and types into it and reads its colour.
#   whole_desktop_test.py PROGRAM RECORDER [unittest arguments]
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "gnome"))
import gnome_session_test as gnome  # noqa: E402  (the recorder's records, BMP pictures, macro runs)

# The picture the window shows from its drawing area's corner: one colour, red 0x33, green 0x66, blue 0xCC.
COLOUR = (0x33, 0x66, 0xCC)


class WholeDesktop(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp()
        picture = os.path.join(self.folder, "window.bmp")
        gnome.write_bmp(picture, 800, 600, lambda x, y: COLOUR)
        self.recorder = gnome.Recorder(self.folder, picture, ("--app-id", "qm-e2e", "--title", "E2E", "--width",
                                                              "400", "--height", "300"))
        self.addCleanup(self.recorder.close)

    def test_find_place_click_type_and_read(self):
        result = gnome.run_macro(self.folder, "\n".join([
            "DIM w",
            'w = GETWINID("qm-e2e", "E2E")',
            "PRINT w",
            # GNOME starts in its overview; bringing the window to the front leaves it, as a user would.
            "PRINT CTRLWIN(w, NORMAL)",
            "SETWIN w, 100, 120, 640, 400",
            "WAIT 300",
            "PRINT SETWIN(w)",
            "MUS LEFTPRESS, 60, 120",
            "MUS LEFTPRESS, 260, 220",
            "WAIT 200",
            "KBD VK_H, PRESS",
            "KBD VK_SHIFT, DOWN",
            "KBD VK_I, PRESS",
            "KBD VK_SHIFT, UP",
            "WAIT 200",
            "PRINT GETCOLOR(420, 380)",
            'PRINT GETWINID("qm-e2e", "no such title")',
            "",
        ]))
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        lines = result.stdout.splitlines()
        self.assertGreater(int(lines[0]), 0, result.stdout)
        self.assertEqual(lines[1], "0", result.stdout)
        self.assertEqual(lines[2], "1", result.stdout)  # normal, and the frame's corner is the origin
        red, green, blue = COLOUR
        self.assertEqual(int(lines[3]), red | green << 8 | blue << 16)
        self.assertEqual(lines[4], "0")
        typed = lambda records: [r["keyval"] for r in records if r["event"] == "key" and r["down"]]
        records = self.recorder.records_once(
            lambda r: typed(r) == ["h", "Shift_L", "I"] and gnome.held_at_end(r) == [])
        clicks = [r for r in records if r["event"] == "button" and r["down"]]
        self.assertEqual(len(clicks), 2, records)
        # Each click lands at its place from the frame's corner: GTK counts from its window's corner, which
        # lies a few pixels out of the frame (its shadow), so the clicks agree to the pixel with each other.
        first, second = clicks
        self.assertTrue(0 <= first["x"] - 60 < 40 and 0 <= first["y"] - 120 < 40, clicks)
        self.assertEqual((second["x"] - first["x"], second["y"] - first["y"]), (200, 100), clicks)
        self.assertEqual(typed(records), ["h", "Shift_L", "I"], records)
        self.assertEqual(gnome.held_at_end(records), [])


if __name__ == "__main__":
    gnome.PROGRAM, gnome.RECORDER = sys.argv[1], sys.argv[2]
    unittest.main(argv=[sys.argv[0]] + sys.argv[3:])
