"""Takes the README's picture of the settings window on a private Xvfb: the
zoom and rotation page, two fingers on the pad and the left button down.

Usage (as root, from the top folder, after a build):
  unshare --ipc --pid --fork --kill-child /usr/bin/python3 \\
      tests/settings/screenshot.py build/release/bin docs/settings-window.png
"""

import os
import sys
import time
import warnings

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from window_desk import WindowDesk, wait_for  # noqa: E402
import xwd_image  # noqa: E402


def main(bin_dir, path):
    warnings.simplefilter("ignore", DeprecationWarning)
    with WindowDesk(os.path.abspath(bin_dir)) as desk:
        desk.tpsim("fingers", "f=2", "x2_1=181", "y2_1=114", "x2_2=62", "y2_2=179", "w=5", "l=1")
        desk.by_name("2 fingers on the pad; buttons down: left")
        desk.show_group("Zoom and rotation")
        desk.control("Zoom and rotation", "ClockwiseComboBox")
        time.sleep(1)  # the last frame drawn
        x, y, w, h = wait_for(lambda: desk.window.queryComponent().getExtents(0), "the window's place")
        xwd_image.write_png(xwd_image.screenshot(desk.env).crop(x, y, w, h), path)


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
