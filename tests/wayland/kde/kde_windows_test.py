#!/usr/bin/python3
# The window functions on a headless KWin (run-with-kwin.sh starts it): macros run by the command-line program
# find, move, size, maximise, minimise, restore and close native GTK windows, which record the clicks that
# show where they are.
#   kde_windows_test.py PROGRAM RECORDER [unittest arguments]
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "gnome"))
import gnome_session_test as session  # noqa: E402


def lines(result):
    return result.stdout.splitlines()


class Windows(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp()

    def recorder(self, title):
        recorder = session.Recorder(self.folder + "/" + title, None, ("--app-id", "qm-window", "--title", title))
        self.addCleanup(recorder.close)
        return recorder

    def test_found_by_class_and_title_then_moved_where_a_click_lands(self):
        os.makedirs(self.folder + "/窓 one")
        recorder = self.recorder("窓 one")
        # The macro counts the output's own pixels: at scale 2 (QM_SCALE) every position and size doubles.
        s = int(os.environ.get("QM_SCALE", "1"))
        result = session.run_macro(self.folder, 'DIM w\nw = GETWINID("qm-window", "窓 one")\nPRINT w\n'
                                   'PRINT GETWINID("qm-window", "other")\nPRINT GETWINID("nothing")\n'
                                   'SETWIN w, %d, %d, %d, %d\nMUS LEFTPRESS, %d, %d\n'
                                   % (100 * s, 120 * s, 500 * s, 300 * s, 50 * s, 60 * s))
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertGreater(int(lines(result)[0]), 0)
        self.assertEqual(lines(result)[1:3], ["0", "0"])
        # The click goes to the window's new corner plus (50, 60) of its own (scaled) pixels: only a window moved
        # there receives it.
        buttons = lambda r: [(e["x"], e["y"]) for e in r if e["event"] == "button" and e["down"]]
        records = recorder.records_once(lambda r: buttons(r))
        self.assertEqual(buttons(records), [(50, 60)], (records, result.stdout, result.stderr))

    def test_maximise_minimise_restore_and_close(self):
        os.makedirs(self.folder + "/states")
        recorder = self.recorder("states")
        result = session.run_macro(self.folder, 'DIM w\nDIM c\nw = GETWINID("qm-window")\nPRINT SETWIN(w)\n'
                                   'c = CTRLWIN(w, MAX)\nPRINT SETWIN(w)\nc = CTRLWIN(w, MIN)\nPRINT SETWIN(w)\n'
                                   'c = CTRLWIN(w, NORMAL)\nPRINT SETWIN(w)\nPRINT CTRLWIN(w, &HF060)\nWAIT 500\n'
                                   'PRINT GETWINID("qm-window")\n')
        self.assertEqual(result.returncode, 0, result.stderr)
        # SETWIN with the window alone answers 1 for a window shown normally, 0 for a maximised or minimised one.
        self.assertEqual(lines(result)[:6], ["1", "0", "0", "1", "0", "0"])
        recorder.process.wait(5)

    def test_the_topmost_of_two_windows_of_a_class_is_found_first(self):
        os.makedirs(self.folder + "/first")
        os.makedirs(self.folder + "/second")
        self.recorder("first")
        self.recorder("second")
        result = session.run_macro(self.folder, 'PRINT GETWINID("qm-window")\nPRINT GETWINID("qm-window", "second")\n'
                                   'PRINT GETWINID("qm-window", "first")\n')
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(lines(result)[0], lines(result)[1])
        self.assertNotEqual(lines(result)[1], lines(result)[2])


if __name__ == "__main__":
    session.PROGRAM, session.RECORDER = sys.argv[1], sys.argv[2]
    unittest.main(argv=[sys.argv[0]] + sys.argv[3:], verbosity=2)
