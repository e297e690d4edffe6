#!/usr/bin/env python3
"""Writes the gesture traces of the end-to-end tests and the demo.

Each trace is a list of finger states in the monitor's line format, replayed
by `tpsim replay` with its timing. Run from this folder to regenerate.
"""

HEADER = "    time     x    y   z   w  f  l r u d m     multi  x2_1 y2_1  x2_2 y2_2  x3_1 y3_1"
STEP = 0.015  # seconds between samples: about 67 Hz, like a real pad


class Trace:
    def __init__(self, comment):
        self.lines = ["# " + comment, HEADER]
        self.t = 0.0

    def state(self, f=0, x=0, y=0, two=(0, 0, 0, 0), three=(0, 0), z=40, w=4, dt=STEP):
        x2_1, y2_1, x2_2, y2_2 = two
        x3_1, y3_1 = three
        if f == 0:
            z = 0
        self.lines.append(
            f"{self.t:8.3f} {x:5d} {y:4d} {z:3d} {w:3d} {f:2d}  0 0 0 0 0  00000000 "
            f"{x2_1:5d} {y2_1:4d} {x2_2:5d} {y2_2:4d} {x3_1:5d} {y3_1:4d}")
        self.t += dt

    def rest(self):
        """The fingers stay where they are; w changes so the sampler records
        it. Leaves zero movement behind for the next two-finger phase, which
        starts from the last movement the recogniser computed."""
        last = self.lines[-1].split()
        self.lines.append(" ".join([f"{self.t:8.3f}"] + last[1:4] + ["5"] + last[5:]))
        self.t += STEP

    def lift(self, dt=STEP):
        self.state(0, dt=dt)

    def wait(self, seconds):
        self.t += seconds

    def write(self, name):
        with open(name + ".trace", "w") as f:
            f.write("\n".join(self.lines) + "\n")


def two_finger_move(name, comment, dx, dy, steps=12):
    t = Trace(comment)
    for i in range(steps + 1):
        t.state(2, two=(100 + i * dx, 150 + i * dy, 300 + i * dx, 150 + i * dy))
    t.rest()
    t.lift()
    t.write(name)


def zoom(name, comment, d):
    # The fingers move toward (d > 0) or away from (d < 0) each other in x.
    t = Trace(comment)
    for i in range(10):
        t.state(2, two=(100 + i * d, 150, 300 - i * d, 150))
    t.rest()
    t.lift()
    t.write(name)


def rotate():
    # The first finger rests, the second circles around it clockwise.
    t = Trace("two-finger rotation clockwise: the second finger turns around the first")
    for i in range(12):
        t.state(2, two=(100, 200, 200 + 3 * i, 100 + 3 * i))
    t.rest()
    t.lift()
    t.write("rotate_cw")


def tap(name, comment, f):
    t = Trace(comment)
    for _ in range(3):
        if f == 1:
            t.state(1, x=3000, y=3000)
        elif f == 2:
            t.state(2, two=(100, 150, 300, 150))
        else:
            t.state(3, three=(500, 500))
    if f == 2:
        # The lift keeps the positions, as a pad's driver leaves them: an
        # engine that copies the record while it is being written then never
        # sees two fingers jump to the corner (a scroll instead of the tap
        # that every desk's start waits for).
        t.state(0, two=(100, 150, 300, 150))
    else:
        t.lift()
    t.write(name)


def swipe():
    t = Trace("three-finger swipe toward smaller x (back a page)")
    for i in range(6):
        t.state(3, three=(500 - 10 * i, 500))
    t.lift()
    t.write("swipe_left")


def switch_windows():
    t = Trace("three fingers down the pad start window switching; one finger "
              "left on the pad moves right to the next window; lifting ends it")
    for i in range(8):
        t.state(3, three=(500, 300 + 20 * i))
    for i in range(6):
        t.state(1, x=3000 + 40 * i, y=3000)
    t.lift()
    t.write("switch_windows")


def drag(name, comment, moves, then=None):
    t = Trace(comment)
    for _ in range(3):
        t.state(1, x=3000, y=3000)
    t.lift(dt=0.075)
    for i in range(moves):
        t.state(1, x=3010 + 50 * i, y=3010)
    t.lift()
    if then:
        then(t)
    t.write(name)


def tap_again(t):
    t.wait(0.3)
    for _ in range(3):
        t.state(1, x=3500, y=3000)
    t.lift()


def flick():
    t = Trace("two-finger flick down: the fingers leave the pad while still moving")
    for i in range(9):
        t.state(2, two=(100, 150 + 10 * i, 300, 150 + 10 * i))
    # Slowing down just before the lift: too little for a step, and it leaves
    # a small movement behind for the next two-finger touch to start from.
    t.state(2, two=(100, 231, 300, 231))
    t.lift()
    t.write("flick_down")


def flick_left():
    t = Trace("two-finger flick toward smaller x: lifted while still moving")
    for i in range(9):
        t.state(2, two=(300 - 10 * i, 150, 500 - 10 * i, 150))
    t.state(2, two=(219, 150, 419, 150))  # slowing down, no further step
    t.lift()
    t.write("flick_left")


two_finger_move("scroll_down", "two-finger scroll down: 12 steps of 10", 0, 10)
two_finger_move("scroll_up", "two-finger scroll up: 12 steps of 10", 0, -10)
two_finger_move("scroll_right", "two-finger scroll right: 12 steps of 10", 10, 0)
zoom("pinch", "pinch: two fingers move toward each other", 5)
zoom("spread", "spread: two fingers move apart", -5)
rotate()
tap("tap_one", "one-finger tap", 1)
tap("tap_two", "two-finger tap", 2)
tap("tap_three", "three-finger tap", 3)
swipe()
switch_windows()
drag("drag_lift", "tap, touch again at once and move: a drag that ends when the finger lifts", 10)
drag("drag_long", "tap, touch again at once and move for 300 ms, then lift", 20)
drag("drag_tap_again", "tap-and-drag, lift, then a further tap ends it", 20, tap_again)
flick()
flick_left()
