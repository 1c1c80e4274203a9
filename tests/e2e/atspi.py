#!/usr/bin/python3
"""Reads what a running zanfiro window shows, through the accessibility bus.

  atspi.py PID show CONTROL...             one line per control: NAME=TEXT
  atspi.py PID names CONTROL...            one line per control: NAME=the name a screen reader reads
  atspi.py PID rows Combo1                 its rows, one a line
  atspi.py PID wait SECONDS NAME=TEXT...   until every control shows its text
  atspi.py PID dialog                      the text of the message box on screen

TEXT is what the operator reads: a field's or a combo's text, a label's
caption. Controls are known by their place in the window, as the control
table lays them out, since Qt does not pass the control names on. The bus is
the session's (lib.sh start_a11y).
Exit status: 0 done, 1 not shown within SECONDS, 2 no such window (the
program is not running or not on the bus).
"""
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402

# Left and top in twips in the window; Label1 sits in the frame Frame2, at the frame's place.
CONTROLS = {
    "Combo1": (7800, 3840), "Text1": (7800, 1320), "Text4": (7800, 2760), "Combo2": (7800, 2280),
    "Combo3": (7800, 1800), "Label1": (8040 + 240, 360 + 240),
}
TWIPS_PER_PIXEL = 15


def pixels(place):
    return tuple((twips + TWIPS_PER_PIXEL // 2) // TWIPS_PER_PIXEL for twips in place)


class Gone(Exception):
    pass


def application(pid):
    desktop = Atspi.get_desktop(0)
    for i in range(desktop.get_child_count()):
        app = desktop.get_child_at_index(i)
        try:
            if app is not None and app.get_process_id() == pid:
                return app
        except GLib.Error:
            continue
    raise Gone(f"no window of process {pid} on the accessibility bus")


def children(accessible):
    for i in range(accessible.get_child_count()):
        child = accessible.get_child_at_index(i)
        if child is not None:
            yield child


def main_window(app):
    # A combo's drop-down list is a window of its own with the same title.
    windows = [w for w in children(app) if w.get_name() == "Zanfiro v1.1"
               and w.get_role() not in (Atspi.Role.DIALOG, Atspi.Role.ALERT)]
    if not windows:
        raise Gone("the main window is not on the accessibility bus")
    return max(windows, key=lambda w: w.get_child_count())


def controls(window):
    """Name -> accessible, for the controls of the table found in the window."""
    wanted = {pixels(place): name for name, place in CONTROLS.items()}
    found = {}
    # Places are taken from the window's own corner: Qt's window coordinates
    # go wrong once the window has been moved.
    origin = Atspi.Component.get_extents(window, Atspi.CoordType.SCREEN)

    def visit(accessible):
        for child in children(accessible):
            if child.get_role() == Atspi.Role.PANEL:  # a frame: its controls are inside
                visit(child)
                continue
            extents = Atspi.Component.get_extents(child, Atspi.CoordType.SCREEN)
            left, top = extents.x - origin.x, extents.y - origin.y
            name = next((name for (x, y), name in wanted.items()
                         if abs(left - x) <= 4 and abs(top - y) <= 4), None)
            if name:
                found.setdefault(name, child)

    visit(window)
    return found


def text_of(accessible):
    role = accessible.get_role()
    if role == Atspi.Role.COMBO_BOX:
        for child in children(accessible):
            if child.get_role() == Atspi.Role.TEXT:
                return text_of(child)
        return ""
    if role == Atspi.Role.TEXT:
        return Atspi.Text.get_text(accessible, 0, -1) or ""
    return accessible.get_name() or ""


def rows_of(combo):
    rows = next(c for c in children(combo) if c.get_role() == Atspi.Role.LIST)
    return [item.get_name() or "" for item in children(rows)]


def dialog_text(app):
    """The texts of the message box's labels, joined by a line break."""
    for window in children(app):
        if window.get_role() in (Atspi.Role.DIALOG, Atspi.Role.ALERT):
            texts = []

            def visit(accessible):
                for child in children(accessible):
                    if child.get_role() == Atspi.Role.LABEL and child.get_name():
                        texts.append(child.get_name())
                    visit(child)

            visit(window)
            return "\n".join(texts)
    return None


def escaped(text):
    return text.replace("\\", "\\\\").replace("\n", "\\n").replace("\t", "\\t")


def running(pid):
    try:
        with open(f"/proc/{pid}/stat") as stat:
            return stat.read().rsplit(")", 1)[1].split()[0] not in "ZX"
    except OSError:
        return False


def with_window(pid, seconds, attempt):
    """Runs attempt(app) until it returns a result, at most `seconds`: a window
    that has just started may not be on the bus yet. A program that has ended
    (or been killed) is gone at once."""
    deadline = time.monotonic() + seconds
    while True:
        if not running(pid):
            raise Gone(f"process {pid} has ended")
        try:
            result = attempt(application(pid))
            if result is not None:
                return result
        except (Gone, GLib.Error, StopIteration, KeyError) as error:
            if time.monotonic() > deadline:
                raise Gone(str(error))
        if time.monotonic() > deadline:
            return None
        time.sleep(0.02)


def main(argv):
    if len(argv) < 3:
        sys.exit(__doc__)
    pid, command, args = int(argv[1]), argv[2], argv[3:]
    try:
        if command in ("show", "names"):
            read = text_of if command == "show" else lambda accessible: accessible.get_name() or ""

            def show(app):
                found = controls(main_window(app))
                return [f"{name}={escaped(read(found[name]))}" for name in args]
            print("\n".join(with_window(pid, 5, show)))
        elif command == "rows":
            def rows(app):
                return rows_of(controls(main_window(app))[args[0]])
            print("\n".join(escaped(row) for row in with_window(pid, 5, rows)))
        elif command == "wait":
            seconds, wanted = float(args[0]), dict(a.split("=", 1) for a in args[1:])
            seen = {}

            def shown(app):
                found = controls(main_window(app))
                seen.update({name: text_of(found[name]) for name in wanted})
                return True if all(seen[name] == text for name, text in wanted.items()) else None
            if not with_window(pid, seconds, shown):
                print(" ".join(f"{name}={escaped(text)}" for name, text in seen.items()))
                return 1
        elif command == "dialog":
            text = with_window(pid, 10, dialog_text)
            if text is None:
                return 1
            print(text)
        else:
            sys.exit(__doc__)
    except Gone as error:
        print(f"atspi.py: {error}", file=sys.stderr)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
