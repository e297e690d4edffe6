"""The settings window on a private Xvfb, driven through its accessibility
tree as a screen reader or a test tool drives it: changes reach the block as
`vorellctl2 -l` lists them, changes made from a shell reach the window, Save,
Revert and Defaults put the block where they say, a recorded key combination
is what the engine sends for the next two-finger tap and the window names the
gesture, the live view draws each contact where the simulator put it, and a missing block is said in words,
with the suite started from the window.

Usage: settings_window_test.py BIN_DIR TEST_NAME   (one test a process)
"""

import os
import stat
import subprocess
import sys
import tempfile
import unittest
import warnings

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from window_desk import WindowDesk, wait_for  # noqa: E402
import xwd_image  # noqa: E402

BIN_DIR = None
TRACES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e", "traces")

# The live view's fixed colours (settings/pad_view.cpp).
SURFACE = (0xde, 0xdd, 0xda)
ONE_FINGER = (0x1c, 0x71, 0xd8)
TWO_FINGERS = (0x26, 0xa2, 0x69)


def near(pixel, colour, slack=3):
    return all(abs(a - b) <= slack for a, b in zip(pixel, colour))


class SettingsWindowTest(unittest.TestCase):
    def test_check_box_slider_and_actions_reach_the_block(self):
        with WindowDesk(BIN_DIR) as desk:
            self.assertIn("Glyde-Pad", desk.window.name)
            auto_scroll = desk.control("Scrolling", "AutoScrollCheckBox")
            self.assertEqual(desk.listed("AutoScrollCheckBox"), "0")
            auto_scroll.queryAction().doAction(0)
            desk.wait_listed("AutoScrollCheckBox", "1")

            desk.control("Scrolling", "ScrollingSpeedSlider").queryValue().currentValue = 12
            desk.wait_listed("ScrollingSpeedSlider", "12")
            # Shown in seconds, stored in tenths.
            desk.control("While typing", "TappingDelayComboBox").queryValue().currentValue = 1.3
            desk.wait_listed("TappingDelayComboBox", "13")

            two_finger_tap = desk.control("Tapping", "TwoFTComboBox")
            names = [two_finger_tap.getChildAtIndex(0).getChildAtIndex(i).name
                     for i in range(two_finger_tap.getChildAtIndex(0).childCount)]
            self.assertEqual(names[16], "Alt+F4")
            two_finger_tap.querySelection().selectChild(16)
            desk.wait_listed("TwoFTComboBox", "16")
            desk.control("Zoom and rotation", "ClockwiseComboBox").querySelection().selectChild(3)  # Control+L
            desk.wait_listed("ClockwiseComboBox", "3")

            # The drag lock's release styles: one flag up at a time.
            desk.control("Drag lock", "TapAgainRadioButton").queryAction().doAction(0)
            desk.wait_listed("TapAgainRadioButton", "1")
            self.assertEqual(desk.listed("LiftReleaseRadioButton"), "0")

    def test_changes_made_from_a_shell_appear(self):
        with WindowDesk(BIN_DIR) as desk:
            zoom = desk.control("Zoom and rotation", "ZoomCheckBox")
            zoom_in = desk.control("Zoom and rotation", "ZoomInComboBox")
            self.assertTrue(desk.has_state(zoom, "STATE_CHECKED"))
            desk.run("vorellctl2", "ZoomCheckBox=0", "TwoFTComboBox=5", "MaxSpeed=0.9")
            wait_for(lambda: not desk.has_state(zoom, "STATE_CHECKED"), "the zoom check box to clear")
            wait_for(lambda: not desk.has_state(zoom_in, "STATE_SENSITIVE"),
                     "the zoom actions to follow their switch")
            two_finger_tap = desk.control("Tapping", "TwoFTComboBox")
            wait_for(lambda: two_finger_tap.querySelection().getSelectedChild(0).name == "Alt+F10",
                     "the two-finger tap to show Alt+F10")
            max_speed = desk.control("Pointer", "MaxSpeed").queryValue()
            wait_for(lambda: abs(max_speed.currentValue - 0.9) < 1e-9, "the fastest speed to show 0.9")

    def test_save_revert_and_defaults(self):
        with WindowDesk(BIN_DIR) as desk:
            default = desk.listed("ScrollingSpeedSlider")
            speed = desk.control("Scrolling", "ScrollingSpeedSlider").queryValue()
            press = lambda name: desk.by_name(name, "push button").queryAction().doAction(0)  # noqa: E731
            said = lambda start: desk.find(lambda n: n.name.startswith(start), "'%s…'" % start)  # noqa: E731

            press("Revert")
            said("No saved settings: ~/.vorellshm does not exist")
            speed.currentValue = 12
            desk.wait_listed("ScrollingSpeedSlider", "12")
            press("Save")
            said("Saved to ~/.vorellshm.")
            with open(os.path.join(desk.env["HOME"], ".vorellshm")) as f:
                self.assertEqual(f.read(), desk.run("vorellctl2", "-l"))

            speed.currentValue = 5
            desk.wait_listed("ScrollingSpeedSlider", "5")
            press("Revert")
            desk.wait_listed("ScrollingSpeedSlider", "12")
            wait_for(lambda: speed.currentValue == 12, "the slider to show the saved value")

            press("Defaults")
            desk.wait_listed("ScrollingSpeedSlider", default)
            wait_for(lambda: speed.currentValue == float(default), "the slider to show the default")

    def test_a_recorded_key_combination_is_written_to_the_gestures_file(self):
        with WindowDesk(BIN_DIR) as desk:
            folder = os.path.join(desk.env["HOME"], ".config", "vorell")
            os.makedirs(folder)
            path = os.path.join(folder, "gestures.conf")
            mine = "# mine\n[gestures]\npinch-in = keys Control+minus  ; zoom out\nsome-later-gesture = none\n"
            with open(path, "w") as f:
                f.write(mine)
            recorder = self.record_control_w_for_the_two_finger_tap(desk)
            wait_for(lambda: self.read(path) == mine + "two-finger-tap = keys Control+w\n",
                     "the binding in the file, the rest as it was")
            wait_for(lambda: recorder.name == "Control+w", "the recorder to show the keys")

    def test_the_next_two_finger_tap_sends_the_recorded_keys_and_is_named(self):
        with WindowDesk(BIN_DIR) as desk:
            desk.tpsim("set", "TapButton3=1")
            desk._spawn(["gestured"], "gestured", stdin=subprocess.DEVNULL)
            desk.wait_listed("TapButton3", "0", "vorellctl")  # the engine's start-up commands ran
            line = desk.find(lambda n: n.getRoleName() == "label" and any(
                r.getTarget(0).name == "Last gesture:" for r in n.getRelationSet()), "the last-gesture line")
            self.assertEqual(line.name, "", "no gesture yet")
            recorder = self.record_control_w_for_the_two_finger_tap(desk)
            wait_for(lambda: recorder.name == "Control+w", "the recorder to show the keys")

            # Takes the focus (and the screen) and records what reaches the
            # server. A tap the engine missed on a loaded machine, or that
            # came before it read the file, is tapped again.
            desk._spawn(["xrecord"], "xrecord", stdin=subprocess.DEVNULL)
            wait_for(lambda: "ready" in desk.log("xrecord"), "the recorder to start")
            trace = os.path.join(TRACES, "tap_two.trace")

            def sent():
                if "KeyRelease Control_L" in desk.log("xrecord"):
                    return True
                desk.tpsim("replay", trace)
                return False
            wait_for(sent, "the tap to send Control+w", every_s=1.0)
            keys = [e.split()[1:] for e in desk.log("xrecord").splitlines()[1:]]
            self.assertIn(["KeyPress", "w"], keys)
            self.assertNotIn(["ButtonPress", "3"], keys[keys.index(["KeyPress", "Control_L"]):])
            wait_for(lambda: line.name.startswith("two-finger-tap = keys Control+w (") and
                     "/.config/vorell/gestures.conf:" in line.name, "the line to name the binding")

    def test_a_picked_window_gets_a_section_of_its_own(self):
        with WindowDesk(BIN_DIR) as desk:
            desk._spawn(["xlogo", "-geometry", "200x150+1050+620"], "xlogo", stdin=subprocess.DEVNULL)
            desk.run("xdotool", "search", "--sync", "--class", "XLogo")
            cover = desk.control("Your gestures", "gesture:cover")
            desk.by_name("Pick a window…", "push button").queryAction().doAction(0)
            desk.find(lambda n: n.name.startswith("Click a window"), "the picker to wait for a click")
            desk.run("xdotool", "mousemove", "1150", "700", "click", "1")
            section = desk.find(lambda n: n.get_accessible_id() == "section", "the section's drop-down")
            wait_for(lambda: section.name == "Application XLogo", "the picked application's section")
            cover.querySelection().selectChild(4)  # Nothing
            path = os.path.join(desk.env["HOME"], ".config", "vorell", "gestures.conf")
            wait_for(lambda: os.path.exists(path) and self.read(path) == "[app XLogo]\ncover = none\n",
                     "the application's binding in the file")

    def test_live_view_draws_contacts_where_the_fingers_are(self):
        with WindowDesk(BIN_DIR) as desk:
            view = desk.by_name("Your fingers on the pad")
            desk.tpsim("fingers", "f=1", "x=2472", "y=2168", "w=6")
            desk.by_name("1 finger on the pad")
            blobs = wait_for(lambda: self.blobs(desk, view, ONE_FINGER, 1), "one blue contact drawn")
            self.assert_at(blobs[0], 0.25, 0.25)

            # Two fingers on their coarser scale, where single fingers at
            # (0.75, 0.25) and (0.25, 0.75) of the pad would be.
            desk.tpsim("fingers", "f=2", "x2_1=181", "y2_1=114", "x2_2=62", "y2_2=179")
            desk.by_name("2 fingers on the pad")
            blobs = wait_for(lambda: self.blobs(desk, view, TWO_FINGERS, 2), "two green contacts drawn")
            blobs.sort()
            self.assert_at(blobs[0], 0.25, 0.75)
            self.assert_at(blobs[1], 0.75, 0.25)

            # A real hand's stream: staggered landing, jitter, one finger
            # lifting before the other; then nothing is left on the picture.
            trace = os.path.join(desk.tmp, "hand.trace")
            with open(trace, "w") as f:
                t = 0.0
                rows = [(1, 3000, 2500, 0, 0, 0, 0)] * 3
                rows += [(2, 0, 0, 120 + i % 2, 140 - i % 3, 160 + i, 142 + i % 2) for i in range(30)]
                rows += [(1, 3900, 2700, 0, 0, 0, 0)] * 4 + [(0, 0, 0, 0, 0, 0, 0)]
                for fingers, x, y, x1, y1, x2, y2 in rows:
                    f.write("%8.3f %4d %4d %3d %3d %2d  0 0 0 0 0  00000000 %4d %4d %4d %4d 0 0\n"
                            % (t, x, y, 40 if fingers else 0, 5, fingers, x1, y1, x2, y2))
                    t += 0.008
            desk.tpsim("replay", trace)
            desk.by_name("No finger on the pad")
            wait_for(lambda: self.blobs(desk, view, ONE_FINGER, 0) == [] and
                     self.blobs(desk, view, TWO_FINGERS, 0) == [], "the pad drawn empty again")

    def test_without_a_block_it_says_so_and_starts_the_suite(self):
        # A stand-in for the session command, first on the window's path: it
        # records its words and makes the block.
        with tempfile.TemporaryDirectory(prefix="vorell-settings-fake-") as fake_bin:
            script = os.path.join(fake_bin, "vorell-session")
            with open(script, "w") as f:
                f.write('#!/bin/sh\necho "$@" > "%s/words"\nexec tpsim create\n' % fake_bin)
            os.chmod(script, stat.S_IRWXU)
            with WindowDesk(BIN_DIR, block=False, path_first=[fake_bin]) as desk:
                message = desk.find(lambda n: n.name.startswith("No touchpad block"), "the no-block message")
                self.assertIn("vorell-session start", message.name)
                check = desk.control("Tapping", "TappingCheckBox")
                self.assertFalse(desk.has_state(check, "STATE_SENSITIVE"))

                desk.by_name("Start the suite", "push button").queryAction().doAction(0)
                wait_for(lambda: desk.has_state(check, "STATE_SENSITIVE"), "the controls once the block is there")
                with open(os.path.join(fake_bin, "words")) as f:
                    self.assertEqual(f.read(), "start\n")
                check.queryAction().doAction(0)
                desk.wait_listed("TappingCheckBox", "0")
                self.assertIsNone(desk.settings.poll(), "the window still runs")

    @staticmethod
    def record_control_w_for_the_two_finger_tap(desk):
        """Picks Keys for the two-finger tap and presses Control+w on the
        recorder, as a person would; the recorder's node."""
        tap = desk.control("Your gestures", "gesture:two-finger-tap")
        tap.querySelection().selectChild(1)  # Keys: the recorder listens at once
        recorder = desk.find(lambda n: n.get_accessible_id() == "keys:two-finger-tap"
                             and desk.has_state(n, "STATE_FOCUSED"), "the key recorder listening")
        x, y, w, h = recorder.queryComponent().getExtents(0)
        desk.run("xdotool", "mousemove", str(x + w // 2), str(y + h // 2), "key", "ctrl+w")
        return recorder

    @staticmethod
    def read(path):
        with open(path) as f:
            return f.read()

    # --- the picture ---------------------------------------------------------

    def blobs(self, desk, view, colour, count):
        """Centres of the patches of colour on the pad, as fractions of the
        pad's surface; None until there are count of them."""
        x, y, w, h = view.queryComponent().getExtents(0)
        image = xwd_image.screenshot(desk.env).crop(x, y, w, h)
        # The pad: the largest patch of its surface colour.
        surface = max(self.patches([(px, py) for py, row in enumerate(image.pixels)
                                    for px, p in enumerate(row) if near(p, SURFACE)]),
                      key=len, default=None)
        if not surface:
            return None
        left, right = min(p[0] for p in surface), max(p[0] for p in surface)
        top, bottom = min(p[1] for p in surface), max(p[1] for p in surface)
        patches = self.patches([(px, py) for py, row in enumerate(image.pixels) for px, p in enumerate(row)
                                if near(p, colour) and left <= px <= right and top <= py <= bottom])
        if len(patches) != count:
            return None if count else [p for p in patches]
        return [((sum(p[0] for p in patch) / len(patch) - left) / (right - left),
                 (sum(p[1] for p in patch) / len(patch) - top) / (bottom - top)) for patch in patches]

    @staticmethod
    def patches(points):
        """Points grouped into touching patches."""
        left = set(points)
        groups = []
        while left:
            stack = [left.pop()]
            group = []
            while stack:
                px, py = stack.pop()
                group.append((px, py))
                for n in ((px + 1, py), (px - 1, py), (px, py + 1), (px, py - 1)):
                    if n in left:
                        left.remove(n)
                        stack.append(n)
            if len(group) > 20:  # not a stray anti-aliased pixel
                groups.append(group)
        return groups

    def assert_at(self, centre, fx, fy):
        self.assertAlmostEqual(centre[0], fx, delta=0.03, msg="contact at %s" % (centre,))
        self.assertAlmostEqual(centre[1], fy, delta=0.03, msg="contact at %s" % (centre,))


if __name__ == "__main__":
    # pyatspi's own use of the bindings it wraps.
    warnings.simplefilter("ignore", DeprecationWarning)
    warnings.simplefilter("ignore", ImportWarning)
    BIN_DIR = sys.argv[1]
    unittest.main(argv=[sys.argv[0], "SettingsWindowTest." + sys.argv[2]], verbosity=2)
