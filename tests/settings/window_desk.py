"""One private desktop for the settings window: an Xvfb, a session bus that
starts the accessibility bus on demand, the simulated touchpad block (or
none) and vorell-settings, found through its accessibility tree.

The test process itself is the assistive technology: it talks to the window
through pyatspi, so the session bus is set in its own environment before
pyatspi is first imported. Run each test in a process of its own, inside
`unshare --ipc --pid --fork --kill-child`: the block is private to the test
and no helper outlives it.
"""

import os
import shutil
import signal
import subprocess
import tempfile
import time

BUS_CONFIG = """<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir={dir}</listen>
  <auth>EXTERNAL</auth>
  <standard_session_servicedirs/>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
"""

# Generous: the machine may be shared and loaded.
DEADLINE_S = 60.0


def wait_for(condition, what, timeout_s=DEADLINE_S, every_s=0.1):
    """Polls condition until it returns something true; fails with what."""
    from gi.repository import GLib
    end = time.monotonic() + timeout_s
    while True:
        try:
            value = condition()
        except GLib.GError:  # the tree changed under the walk; look again
            value = None
        if value:
            return value
        if time.monotonic() > end:
            raise AssertionError("timed out waiting for " + what)
        time.sleep(every_s)


class WindowDesk:
    def __init__(self, bin_dir, block=True, path_first=None):
        self.bin_dir = bin_dir
        self.block = block
        self.path_first = path_first or []
        self.procs = []
        self.tmp = None
        self.app = None
        self.window = None

    # --- start and stop ---------------------------------------------------

    def __enter__(self):
        try:
            self._start()
        except BaseException:
            self._stop()
            raise
        return self

    def __exit__(self, *exc):
        self._stop()

    def _start(self):
        self.tmp = tempfile.mkdtemp(prefix="vorell-settings-test-")
        run = os.path.join(self.tmp, "run")
        home = os.path.join(self.tmp, "home")
        os.mkdir(run, 0o700)
        os.mkdir(home)
        env = dict(os.environ)
        env.update({
            "PATH": os.pathsep.join(self.path_first + [self.bin_dir, env.get("PATH", "")]),
            "XDG_RUNTIME_DIR": run,
            "HOME": home,
            "XDG_CONFIG_HOME": os.path.join(home, ".config"),
            "XDG_CACHE_HOME": os.path.join(home, ".cache"),
            "XDG_DATA_HOME": os.path.join(home, ".local/share"),
            "GSETTINGS_BACKEND": "memory",
            "NO_AT_BRIDGE": "0",
            "LC_ALL": "C.UTF-8",
            # GTK and fontconfig keep caches for the life of the process.
            "ASAN_OPTIONS": "detect_leaks=0",
        })
        env.pop("AT_SPI_BUS_ADDRESS", None)
        env["DISPLAY"] = self._start_xvfb(env)
        env["DBUS_SESSION_BUS_ADDRESS"] = self._start_bus(env)
        self.env = env
        # The accessibility bus and its registry are up before the window
        # starts, so that neither waits for the other on a loaded machine.
        env["AT_SPI_BUS_ADDRESS"] = wait_for(self._accessibility_bus, "the accessibility bus")
        # This process is the assistive technology: the same buses.
        for name in ("DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "AT_SPI_BUS_ADDRESS", "XDG_RUNTIME_DIR", "HOME"):
            os.environ[name] = env[name]
        import pyatspi
        wait_for(lambda: pyatspi.Registry.getDesktop(0).childCount >= 0, "the accessibility registry")
        if self.block:
            self.tpsim("create")
        self.settings = self._spawn(["vorell-settings"], "settings")
        try:
            self.app = wait_for(self._find_app, "the window in the accessibility tree")
        except AssertionError as e:
            raise AssertionError("%s; the window's output:\n%s" % (e, self.log())) from None
        self.window = wait_for(lambda: self._child_with_role(self.app, "frame"), "the window's frame")

    def _accessibility_bus(self):
        """The bus's address, once the session bus has started its launcher."""
        reply = subprocess.run(["dbus-send", "--session", "--print-reply=literal", "--dest=org.a11y.Bus",
                                "/org/a11y/bus", "org.a11y.Bus.GetAddress"], env=self.env,
                               capture_output=True, text=True, timeout=60)
        return reply.stdout.strip() if reply.returncode == 0 else None

    def _spawn(self, argv, name, **kwargs):
        out = open(os.path.join(self.tmp, name + ".log"), "wb")
        proc = subprocess.Popen(argv, env=self.env if hasattr(self, "env") else None,
                                stdout=out, stderr=subprocess.STDOUT, **kwargs)
        out.close()
        self.procs.append(proc)
        return proc

    def _start_xvfb(self, env):
        read_end, write_end = os.pipe()
        proc = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-nolisten", "tcp",
                                 "-screen", "0", "1280x800x24"], pass_fds=[write_end], env=env,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        self.procs.append(proc)
        number = b""
        with os.fdopen(read_end, "rb") as f:
            number = f.readline().strip()
        if not number:
            raise RuntimeError("Xvfb did not start")
        return ":" + number.decode()

    def _start_bus(self, env):
        config = os.path.join(self.tmp, "bus.conf")
        with open(config, "w") as f:
            f.write(BUS_CONFIG.format(dir=self.tmp))
        read_end, write_end = os.pipe()
        proc = subprocess.Popen(["dbus-daemon", "--config-file=" + config, "--nofork",
                                 "--print-address=%d" % write_end], pass_fds=[write_end], env=env,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        self.procs.append(proc)
        with os.fdopen(read_end, "rb") as f:
            address = f.readline().strip().decode()
        if not address:
            raise RuntimeError("dbus-daemon did not start")
        return address

    def _stop(self):
        # The window first, then the bus (its activated helpers follow it),
        # then the X server, each asked to end so that it cleans up.
        for proc in reversed(self.procs):
            if proc.poll() is None:
                proc.send_signal(signal.SIGTERM)
                try:
                    proc.wait(timeout=20)
                except subprocess.TimeoutExpired:
                    proc.kill()
                    proc.wait()
        if self.tmp:
            shutil.rmtree(self.tmp, ignore_errors=True)

    def log(self, name="settings"):
        with open(os.path.join(self.tmp, name + ".log"), errors="replace") as f:
            return f.read()

    # --- the suite's programs -----------------------------------------------

    def run(self, *argv):
        return subprocess.run(list(argv), env=self.env, check=True, capture_output=True,
                              text=True, timeout=60).stdout

    def tpsim(self, *args):
        return self.run("tpsim", *args)

    def listed(self, name, client="vorellctl2"):
        """The value `vorellctl2 -l` (or the client's) lists for a parameter,
        as text."""
        for line in self.run(client, "-l").splitlines():
            parts = line.split("=")
            if len(parts) == 2 and parts[0].strip() == name:
                return parts[1].strip()
        raise AssertionError(name + " is not listed")

    def wait_listed(self, name, value, client="vorellctl2"):
        wait_for(lambda: self.listed(name, client) == value, "%s -l to list %s = %s" % (client, name, value))

    # --- the accessibility tree ---------------------------------------------

    def _find_app(self):
        import pyatspi
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            if app is not None and app.get_process_id() == self.settings.pid:
                return app
        return None

    @staticmethod
    def _child_with_role(node, role):
        for i in range(node.childCount):
            child = node.getChildAtIndex(i)
            if child is not None and child.getRoleName() == role:
                return child
        return None

    def walk(self, node=None):
        node = node or self.app
        yield node
        for i in range(node.childCount):
            child = node.getChildAtIndex(i)
            if child is not None:
                yield from self.walk(child)

    def find(self, predicate, what):
        return wait_for(lambda: next((n for n in self.walk() if predicate(n)), None), what)

    def show_group(self, title):
        """Picks a group in the sidebar, as a person would: only the page
        shown is in the tree."""
        sidebar = self.find(lambda n: n.getRoleName() == "list box", "the sidebar")
        titles = [sidebar.getChildAtIndex(i).getChildAtIndex(0).name for i in range(sidebar.childCount)]
        sidebar.querySelection().selectChild(titles.index(title))

    def control(self, group, parameter):
        """The control of a setting, by its group's title and the parameter's
        name (the control's accessible id)."""
        self.show_group(group)
        return self.find(lambda n: n.get_accessible_id() == parameter, "the control of " + parameter)

    def by_name(self, name, role=None):
        return self.find(lambda n: n.name == name and (role is None or n.getRoleName() == role),
                         "'%s' in the tree" % name)

    @staticmethod
    def has_state(node, state_name):
        import pyatspi
        return node.getState().contains(getattr(pyatspi, state_name))
