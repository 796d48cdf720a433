#!/usr/bin/python3
# A native Wayland test client (GTK 3): shows a window, optionally full-screen with a known picture (in the
# output's own pixels), and writes every key, button and pointer motion it receives as one JSON line to a
# file, flushed at once.
# Run it with Debian's /usr/bin/python3, which has PyGObject (python3-gi), not another python3 on the PATH.
import argparse
import json
import signal
import sys

import gi

gi.require_version("Gtk", "3.0")
gi.require_version("Gdk", "3.0")
gi.require_version("GdkPixbuf", "2.0")
from gi.repository import Gdk, GdkPixbuf, GLib, Gtk  # noqa: E402


class Recorder:
    def __init__(self, args):
        self.out = open(args.out, "a", encoding="utf-8")
        self.ready = False
        self.drawn = False
        self.focused = False
        self.picture = GdkPixbuf.Pixbuf.new_from_file(args.picture) if args.picture else None
        self.window = Gtk.Window(title=args.title)
        self.window.set_default_size(args.width, args.height)
        area = Gtk.DrawingArea()
        area.connect("draw", self.on_draw)
        self.window.add(area)
        self.window.add_events(Gdk.EventMask.KEY_PRESS_MASK | Gdk.EventMask.KEY_RELEASE_MASK
                               | Gdk.EventMask.BUTTON_PRESS_MASK | Gdk.EventMask.BUTTON_RELEASE_MASK
                               | Gdk.EventMask.POINTER_MOTION_MASK)
        self.window.connect("key-press-event", self.on_key, True)
        self.window.connect("key-release-event", self.on_key, False)
        self.window.connect("button-press-event", self.on_button, True)
        self.window.connect("button-release-event", self.on_button, False)
        self.window.connect("motion-notify-event", self.on_motion)
        self.window.connect("focus-in-event", self.on_focus)
        self.window.connect("destroy", Gtk.main_quit)
        if args.fullscreen and args.monitor is not None:
            self.window.fullscreen_on_monitor(self.window.get_screen(), args.monitor)
        elif args.fullscreen:
            self.window.fullscreen()
        self.window.show_all()
        # A compositor that gives no focus to a new window still gets a ready line, saying so.
        GLib.timeout_add(3000, self.give_up_waiting_for_focus)

    def write(self, record):
        self.out.write(json.dumps(record, ensure_ascii=False) + "\n")
        self.out.flush()

    def announce_when_ready(self, force=False):
        if self.ready or not self.drawn or not (self.focused or force):
            return
        self.ready = True
        allocation = self.window.get_allocation()
        self.write({"event": "ready", "width": allocation.width, "height": allocation.height,
                    "focused": self.focused})

    def give_up_waiting_for_focus(self):
        self.announce_when_ready(force=True)
        return False

    def on_draw(self, widget, cr):
        if self.picture is not None:
            cr.set_source_rgb(0, 0, 0)
            cr.paint()
            # The picture's pixels are the output's: drawn at the window's scale, one to one on an output
            # of a whole scale.
            surface = Gdk.cairo_surface_create_from_pixbuf(self.picture, widget.get_scale_factor(),
                                                           widget.get_window())
            cr.set_source_surface(surface, 0, 0)
            cr.paint()
        if not self.drawn:
            self.drawn = True
            # The frame just drawn reaches the screen after this handler: announce on the next turn.
            GLib.idle_add(lambda: self.announce_when_ready() and False)
        return False

    def on_focus(self, widget, event):
        self.focused = True
        self.announce_when_ready()
        return False

    def on_key(self, widget, event, down):
        self.write({"event": "key", "down": down, "keyval": Gdk.keyval_name(event.keyval) or "",
                    "keycode": event.hardware_keycode, "state": int(event.state)})
        return True

    def on_button(self, widget, event, down):
        if event.type not in (Gdk.EventType.BUTTON_PRESS, Gdk.EventType.BUTTON_RELEASE):
            return True  # the extra double- and triple-click events repeat a press already written
        self.write({"event": "button", "down": down, "button": event.button,
                    "x": round(event.x), "y": round(event.y), "fx": event.x, "fy": event.y})
        return True

    def on_motion(self, widget, event):
        self.write({"event": "motion", "x": round(event.x), "y": round(event.y)})
        return False


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--out", required=True)
    parser.add_argument("--app-id", default="qm-recorder")
    parser.add_argument("--title", default="QuillonMacro recorder")
    parser.add_argument("--picture")
    parser.add_argument("--fullscreen", action="store_true")
    parser.add_argument("--monitor", type=int, help="the monitor to be full-screen on (by GDK's count)")
    parser.add_argument("--width", type=int, default=400)
    parser.add_argument("--height", type=int, default=300)
    args = parser.parse_args()
    # GTK 3 gives a window without an application the program name as its Wayland app id (and X11 class).
    GLib.set_prgname(args.app_id)
    Gtk.init(sys.argv[:1])
    Recorder(args)
    GLib.unix_signal_add(GLib.PRIORITY_DEFAULT, signal.SIGTERM, lambda: Gtk.main_quit() or False)
    Gtk.main()


if __name__ == "__main__":
    main()
