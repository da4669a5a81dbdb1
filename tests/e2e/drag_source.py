#!/usr/bin/python3
"""A desktop drag source for Kestrova's drop tests: a small GTK 3 window that offers a list of
files and folders as text/uri-list, the way a file manager does, to whatever it is dragged onto.

    /usr/bin/python3 drag_source.py [--at X,Y] [PATH...]

The window (120 x 60, at X,Y on the screen; default 10,10) is dragged with the pointer (xdotool
under Xvfb). Talks line by line:
  stdin   a JSON array of absolute paths: offered from then on (answered by "offer N")
          end of input: the window closes and the program ends
  stdout  "ready X,Y,W,H"  mapped, with its screen rectangle (the centre is the place to grab)
          "offer N"        now offering N paths
          "sent N"         a drop target asked for the data: N URIs handed over
          "end"            the drag is over (dropped or not)
          "failed REASON"  the drag ended without a drop (GTK's reason)

Needs python3-gi and gir1.2-gtk-3.0 (Debian), hence the system Python.
"""

import json
import sys
import urllib.parse

import gi

gi.require_version("Gtk", "3.0")
gi.require_version("Gdk", "3.0")
from gi.repository import Gdk, GLib, Gtk  # noqa: E402

URI_LIST = 0
SIZE = (120, 60)


def say(text):
    sys.stdout.write(text + "\n")
    sys.stdout.flush()


def file_uri(path):
    # file:///abs/path, every byte outside the unreserved set percent-encoded (UTF-8), as GIO
    # writes it; receivers decode it back to the same path.
    return "file://" + urllib.parse.quote(path, safe="/")


class Source:
    def __init__(self, paths, at):
        self.paths = list(paths)
        self.window = Gtk.Window(title="kestrova drag source")
        self.window.set_decorated(False)
        self.window.set_default_size(*SIZE)
        self.window.move(*at)
        box = Gtk.EventBox()
        box.add(Gtk.Label(label="drag me"))
        self.window.add(box)
        targets = Gtk.TargetList.new([])
        targets.add(Gdk.Atom.intern("text/uri-list", False), 0, URI_LIST)
        box.drag_source_set(Gdk.ModifierType.BUTTON1_MASK, [], Gdk.DragAction.COPY)
        box.drag_source_set_target_list(targets)
        box.connect("drag-data-get", self.on_data_get)
        box.connect("drag-end", lambda *_: say("end"))
        box.connect("drag-failed", self.on_failed)
        self.window.connect("map-event", self.on_map)
        self.window.connect("destroy", lambda *_: Gtk.main_quit())
        GLib.io_add_watch(GLib.IOChannel.unix_new(sys.stdin.fileno()),
                          GLib.PRIORITY_DEFAULT, GLib.IO_IN | GLib.IO_HUP, self.on_input)
        self.window.show_all()

    def on_map(self, *_):
        # Reported once the X server has the window where asked.
        GLib.timeout_add(50, self.report_ready)
        return False

    def report_ready(self):
        x, y = self.window.get_position()
        w, h = self.window.get_size()
        say(f"ready {x},{y},{w},{h}")
        return False

    def on_data_get(self, _widget, _context, data, info, _time):
        if info == URI_LIST:
            uris = [file_uri(p) for p in self.paths]
            data.set_uris(uris)
            say(f"sent {len(uris)}")

    def on_failed(self, _widget, _context, result):
        say(f"failed {result.value_nick}")
        return True  # no "snap back" animation

    def on_input(self, channel, condition):
        line = sys.stdin.readline() if condition & GLib.IO_IN else ""
        if not line:
            self.window.destroy()
            return False
        line = line.strip()
        if line:
            self.paths = [str(p) for p in json.loads(line)]
            say(f"offer {len(self.paths)}")
        return True


def main(argv):
    at = (10, 10)
    paths = []
    args = iter(argv)
    for a in args:
        if a == "--at":
            at = tuple(int(v) for v in next(args).split(","))
        elif a.startswith("--at="):
            at = tuple(int(v) for v in a[5:].split(","))
        else:
            paths.append(a)
    Source(paths, at)
    Gtk.main()
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
