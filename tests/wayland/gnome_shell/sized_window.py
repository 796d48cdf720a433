#!/usr/bin/python3
# A GTK 3 Wayland window for the GNOME Shell window tests: writes, as JSON lines flushed at once, its own size
# and whether it is maximised each time the compositor changes them, and a line when it is asked to close, so the tests see
# what the client itself was told, apart from what the extension reports.
import argparse
import json

import gi

gi.require_version("Gtk", "3.0")
gi.require_version("Gdk", "3.0")
from gi.repository import Gdk, GLib, Gtk  # noqa: E402


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--out", required=True)
    parser.add_argument("--app-id", required=True)
    parser.add_argument("--title", required=True)
    args = parser.parse_args()
    GLib.set_prgname(args.app_id)
    out = open(args.out, "a", encoding="utf-8")

    def write(record):
        out.write(json.dumps(record, ensure_ascii=False) + "\n")
        out.flush()

    window = Gtk.Window(title=args.title)
    window.set_default_size(400, 300)
    # The drawing area is the window less its title bar (and the shadows GTK draws around it), so its size
    # follows the frame's one for one.
    area = Gtk.DrawingArea()
    window.add(area)
    last = {}

    def report(*_):
        state = window.get_window().get_state() if window.get_window() else Gdk.WindowState(0)
        record = {"event": "state", "width": area.get_allocated_width(),
                  "height": area.get_allocated_height(),
                  "maximized": bool(state & Gdk.WindowState.MAXIMIZED)}
        if record != last:
            last.clear()
            last.update(record)
            write(record)
        return False

    area.connect("size-allocate", lambda *_: GLib.idle_add(report))
    window.connect("window-state-event", lambda *_: GLib.idle_add(report))

    def on_delete(*_):
        write({"event": "close"})
        Gtk.main_quit()
        return False

    window.connect("delete-event", on_delete)
    window.show_all()
    Gtk.main()


if __name__ == "__main__":
    main()
