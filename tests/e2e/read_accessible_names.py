#!/usr/bin/python3
"""Prints what a screen reader learns of the window "Zanfiro v1.1" over the accessibility bus (AT-SPI): one line
per object, tab-separated: its place and size in the window in pixels, its role, its name, and its text where it
has one. Waits up to 10 seconds for the program to appear on the bus."""
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402


def find_window(title):
    desktop = Atspi.get_desktop(0)
    for i in range(desktop.get_child_count()):
        app = desktop.get_child_at_index(i)
        for j in range(app.get_child_count() if app else 0):
            window = app.get_child_at_index(j)
            if window and window.get_name() == title:
                return window
    return None


def walk(node, window_x, window_y):
    extents = node.get_extents(Atspi.CoordType.SCREEN)
    text = ""
    if node.get_text_iface() is not None:
        text = Atspi.Text.get_text(node, 0, Atspi.Text.get_character_count(node))
    print("\t".join([str(extents.x - window_x), str(extents.y - window_y), str(extents.width), str(extents.height),
                     node.get_role_name(), node.get_name(), text.replace("\n", " ")]))
    for i in range(node.get_child_count()):
        child = node.get_child_at_index(i)
        if child is not None:
            walk(child, window_x, window_y)


def main():
    title = sys.argv[1] if len(sys.argv) > 1 else "Zanfiro v1.1"
    deadline = time.monotonic() + 10
    window = find_window(title)
    while window is None and time.monotonic() < deadline:
        time.sleep(0.2)
        window = find_window(title)
    if window is None:
        print(f"no window {title!r} on the accessibility bus", file=sys.stderr)
        return 1
    origin = window.get_extents(Atspi.CoordType.SCREEN)
    walk(window, origin.x, origin.y)
    return 0


if __name__ == "__main__":
    sys.exit(main())
