#!/usr/bin/python3
"""One operator session with the real program, driven through the accessibility tree.

The session starts its own X server (Xvfb, on a display it picks itself), a private D-Bus session
with the program inside it, and the rig simulator on a pseudo-terminal, all in a fresh working
folder. Then, as an operator would, it accepts the sound-device dialog, waits for the main window,
picks bands, imports a decode line from the clipboard, sets the frequency from its offset, clicks
the picture left and right of centre, presses the reference button, pulls the simulated device
out and plugs it back in, switches the clock and the display mode, and moves and closes the
window. The simulated rig answers the text and CI-V families in pieces, with noise before some
answers. Every step is checked twice: on what
the simulated rig received (its frame log and its status file) and on what the window shows
(read back through AT-SPI). Controls are found by their accessible description, which is their
control name.

Exit status: 0 passed, 1 failed, 77 skipped (a needed tool is missing).

Usage: operator_session.py --program PATH --rigsim PATH --family N [--keep]
"""

import argparse
import ctypes
import os
import re
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import traceback

SKIP = 77

# Dial frequencies of the band list, in Hz, as a rig's operator knows them.
BANDS = {
    "7MHz": 7_026_000,
    "14MHz": 14_076_000,
    "18MHz": 18_102_000,
    "21MHz": 21_076_000,
    "24MHz": 24_920_000,
    "28MHz": 28_076_000,
    "50MHz": 50_330_000,
}
BAND_ORDER = list(BANDS)

# A line of the decoder's list: a fixed-width head the import skips, then the offset from the dial
# in Hz and the message with the other station's call.
DECODE_LINE = "0123456789ABCDEF     -523 CQ JA1XYZ PM95"
DECODE_CALL = "JA1XYZ"
DECODE_OFFSET = "-523"

SOUND_DIALOG_TITLE = "サウンドーボードの選択"
SOUND_DIALOG_CONTROLS = ["lblDevice", "Combo1", "Command1_0", "Command1_1"]
MAIN_TITLE_PREFIX = "Veltrane / "
MAIN_CONTROLS = ["Command3", "txtDeffF", "Command5", "Label2_1", "txtHis", "Command4", "lbTime",
                 "Label1_0", "Label1_1", "Label1_2", "Label1_3", "Label1_4", "Picture1", "Frame1", "Label2_0",
                 "txtRigFreq", "Combo1", "Command1", "Option2_0", "Option2_1", "Option1_0", "Option1_1"]

KEY_HOME = 0xFF50
KEY_DOWN = 0xFF54
KEY_RETURN = 0xFF0D


class Failure(Exception):
    pass


def log(message):
    print(f"[e2e] {message}", flush=True)


def wait_for(what, probe, timeout=15.0, interval=0.1):
    """Polls probe() until it returns something truthy; fails with `what` and the last value."""
    deadline = time.monotonic() + timeout
    last = None
    while True:
        try:
            last = probe()
        except Exception as error:  # an object can vanish between two calls
            last = f"<{type(error).__name__}: {error}>"
        else:
            if last:
                return last
        if time.monotonic() > deadline:
            raise Failure(f"timed out waiting for {what}; last seen: {last!r}")
        time.sleep(interval)


def wait_equal(what, probe, expected, timeout=15.0):
    seen = []

    def check():
        value = probe()
        seen[:] = [value]
        return value == expected

    try:
        wait_for(what, check, timeout)
    except Failure:
        raise Failure(f"{what}: expected {expected!r}, last seen {seen[0] if seen else None!r}") from None


# ---------------------------------------------------------------------------------------------
# Processes


class Processes:
    """Everything the session starts, stopped by process id in reverse order."""

    def __init__(self):
        self.started = []  # (label, Popen, own process group)

    def start(self, label, argv, group=False, **kwargs):
        proc = subprocess.Popen(argv, start_new_session=group, **kwargs)
        self.started.append((label, proc, group))
        log(f"started {label} (pid {proc.pid})")
        return proc

    def stop_all(self):
        for label, proc, group in reversed(self.started):
            stop(label, proc, group)
        self.started.clear()


def stop(label, proc, group):
    if proc.poll() is None:
        try:
            proc.send_signal(signal.SIGTERM)
            proc.wait(timeout=5)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait(timeout=5)
        except ProcessLookupError:
            pass
    if group:
        # Services the bus started on demand live in the group this process leads.
        try:
            os.killpg(proc.pid, signal.SIGTERM)
        except (ProcessLookupError, PermissionError):
            pass


def start_xvfb(procs, env):
    read_fd, write_fd = os.pipe()
    proc = procs.start(
        "Xvfb",
        ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset"],
        pass_fds=(write_fd,), env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_fd)
    data = b""
    deadline = time.monotonic() + 20
    while not data.endswith(b"\n"):
        remaining = deadline - time.monotonic()
        if remaining <= 0 or proc.poll() is not None:
            raise Failure("Xvfb did not report its display")
        ready, _, _ = select.select([read_fd], [], [], remaining)
        if ready:
            chunk = os.read(read_fd, 64)
            if not chunk:
                raise Failure("Xvfb closed its display pipe")
            data += chunk
    os.close(read_fd)
    return ":" + data.decode().strip()


def start_rigsim(procs, rigsim, family, work, env, freq=7026000, mode="LSB", log_name="rig.log"):
    argv = [rigsim, "--family", str(family), "--freq", str(freq), "--mode", mode,
            "--link", os.path.join(work, "rig"), "--log", os.path.join(work, log_name),
            "--status", os.path.join(work, "rig.status")]
    if family == 2:
        argv.append("--echo")  # a one-wire CI-V interface returns every byte it is sent
    if family != 3:
        # Answers in pieces, with noise before some, as a USB adapter and a noisy line deliver them.
        argv += ["--fragment", "3", "--fragment-delay-ms", "15", "--garbage", "0.1", "--seed", "5"]
    proc = procs.start("rig simulator", argv, env=env, stdout=subprocess.PIPE,
                       stderr=open(os.path.join(work, "rigsim.err"), "ab"))
    ready, _, _ = select.select([proc.stdout], [], [], 20)
    if not ready:
        raise Failure("the rig simulator printed no device")
    device = proc.stdout.readline().decode().strip()
    if not device:
        raise Failure("the rig simulator printed no device")
    return proc, device


class Rig:
    """What the simulated rig received and where its dial is."""

    def __init__(self, work, log_name="rig.log"):
        self.log_path = os.path.join(work, log_name)
        self.status_path = os.path.join(work, "rig.status")

    def status(self):
        try:
            with open(self.status_path, encoding="utf-8") as f:
                text = f.read()
        except FileNotFoundError:
            return None
        match = re.match(r"freq=(\d+) mode=(\S+)", text)
        return (int(match.group(1)), match.group(2)) if match else None

    def frames(self):
        """The meanings of the frames received so far, in order (READ polls left out)."""
        try:
            with open(self.log_path, encoding="utf-8", errors="replace") as f:
                lines = f.read().splitlines()
        except FileNotFoundError:
            return []
        meanings = []
        for line in lines:
            parts = re.split(r"\s{2,}", line.strip())
            if parts and not parts[-1].startswith("READ"):
                meanings.append(parts[-1])
        return meanings


# ---------------------------------------------------------------------------------------------
# The X side: clipboard and closing a window as a window manager would


def set_clipboard(procs, text, env):
    # -quiet keeps xclip in the foreground serving the selection, so it can be stopped by its pid.
    proc = procs.start("xclip", ["xclip", "-quiet", "-selection", "clipboard", "-i"], env=env,
                       stdin=subprocess.PIPE, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    proc.stdin.write(text.encode("utf-8"))
    proc.stdin.close()
    wait_equal("the clipboard", lambda: subprocess.run(
        ["xclip", "-o", "-selection", "clipboard"], env=env, capture_output=True, timeout=10
    ).stdout.decode("utf-8"), text)


class XClientMessageEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]


class XEvent(ctypes.Union):
    _fields_ = [("xclient", XClientMessageEvent), ("pad", ctypes.c_long * 24)]


def close_windows_named(prefix, display):
    """Sends WM_DELETE_WINDOW to every top-level window whose title starts with prefix, which is
    what a window manager's close button does."""
    x11 = ctypes.CDLL("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                               ctypes.POINTER(XEvent)]
    x11.XFlush.argtypes = [ctypes.c_void_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    env = dict(os.environ, DISPLAY=display)
    found = subprocess.run(["xdotool", "search", "--name", "^" + re.escape(prefix)], env=env,
                           capture_output=True, timeout=10).stdout.decode().split()
    if not found:
        raise Failure(f"no X window titled {prefix!r}...")
    dpy = x11.XOpenDisplay(display.encode())
    if not dpy:
        raise Failure(f"cannot open display {display}")
    try:
        protocols = x11.XInternAtom(dpy, b"WM_PROTOCOLS", 0)
        delete = x11.XInternAtom(dpy, b"WM_DELETE_WINDOW", 0)
        for window in found:
            event = XEvent()
            event.xclient.type = 33  # ClientMessage
            event.xclient.window = int(window)
            event.xclient.message_type = protocols
            event.xclient.format = 32
            event.xclient.data[0] = delete
            event.xclient.data[1] = 0  # CurrentTime
            x11.XSendEvent(dpy, int(window), 0, 0, ctypes.byref(event))
        x11.XFlush(dpy)
    finally:
        x11.XCloseDisplay(dpy)
    return len(found)


def click_at(x, y, display):
    env = dict(os.environ, DISPLAY=display)
    subprocess.run(["xdotool", "mousemove", "--sync", str(x), str(y), "click", "1"], env=env, check=True,
                   timeout=10)


# ---------------------------------------------------------------------------------------------
# The accessibility side


class Tree:
    def __init__(self, pyatspi):
        self.pyatspi = pyatspi

    def walk(self, root, depth=0):
        if depth > 40:
            return
        try:
            count = root.childCount
        except Exception:
            return
        for i in range(count):
            try:
                child = root.getChildAtIndex(i)
            except Exception:
                continue
            if child is None:
                continue
            yield child
            yield from self.walk(child, depth + 1)

    def frames(self):
        desktop = self.pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            if app is None:
                continue
            try:
                for j in range(app.childCount):
                    window = app.getChildAtIndex(j)
                    if window is not None:
                        yield window
            except Exception:
                continue

    def window(self, predicate):
        for window in self.frames():
            try:
                if predicate(fresh(window).name):
                    return window
            except Exception:
                continue
        return None

    def control(self, window, description, role=None):
        for acc in self.walk(window):
            try:
                if fresh(acc).description == description and (role is None or acc.getRole() == role):
                    return acc
            except Exception:
                continue
        return None

    def require(self, window, description, role=None):
        return wait_for(f"control {description}", lambda: self.control(window, description, role))


def fresh(acc):
    """Drops what the client library cached about acc, so the next read asks the program."""
    try:
        acc.clear_cache()
    except Exception:
        pass
    return acc


def text_of(acc):
    return fresh(acc).queryText().getText(0, -1)


def states(acc):
    return fresh(acc).getState()


def do_named_action(acc, *names):
    action = acc.queryAction()
    available = [action.getName(i) for i in range(action.nActions)]
    for name in names:
        if name in available:
            action.doAction(available.index(name))
            return
    raise Failure(f"{acc.description or acc.name}: none of the actions {names} (has {available})")


def press(acc):
    do_named_action(acc, "Press", "press", "click", "Toggle")


def extents(pyatspi, acc):
    box = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return box.x, box.y, box.width, box.height


# ---------------------------------------------------------------------------------------------
# The session


class Session:
    def __init__(self, args):
        self.args = args
        self.family = args.family
        self.procs = Processes()
        self.scratch = None

    def prepare_folders(self):
        base = os.environ.get("TMPDIR") or None
        self.scratch = tempfile.mkdtemp(prefix=f"veltrane-e2e-f{self.family}-", dir=base)
        paths = {}
        for name in ("home", "runtime", "config", "cache", "tmp", "work"):
            paths[name] = os.path.join(self.scratch, name)
            os.makedirs(paths[name], mode=0o700)
        self.work = paths["work"]
        env = {k: v for k, v in os.environ.items() if not k.startswith(("DBUS_", "AT_SPI", "QT_QPA"))}
        env.update(HOME=paths["home"], XDG_RUNTIME_DIR=paths["runtime"], XDG_CONFIG_HOME=paths["config"],
                   XDG_CACHE_HOME=paths["cache"], TMPDIR=paths["tmp"], LC_ALL="C.UTF-8", TZ="UTC")
        env.pop("DISPLAY", None)
        self.env = env

    def write_init_cfg(self, device):
        data = ("MYCALL=TEST\r\nCAT=" + device + "\r\nRIG= " + str(self.family) +
                " \r\nRS232C=9600,N,8,1\r\nICOM=74\r\nCONTROL=E0\r\n")
        with open(os.path.join(self.work, "Init.cfg"), "wb") as f:
            f.write(data.encode("ascii"))

    def start_program(self):
        address_file = os.path.join(self.scratch, "bus-address")
        env = dict(self.env, DISPLAY=self.display, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb")
        # The shell writes the bus address for this driver, then runs the program in the session.
        script = 'printf "%s\\n" "$DBUS_SESSION_BUS_ADDRESS" > "$1.tmp" && mv "$1.tmp" "$1" && shift && exec "$@"'
        self.bus = self.procs.start(
            "dbus-run-session with the program",
            ["dbus-run-session", "--", "/bin/sh", "-c", script, "sh", address_file, self.args.program],
            group=True, env=env, cwd=self.work,
            stdout=open(os.path.join(self.scratch, "program.out"), "wb"), stderr=subprocess.STDOUT)
        address = wait_for("the session bus address", lambda: os.path.exists(address_file) and
                           open(address_file, encoding="utf-8").read().strip(), timeout=20)
        os.environ["DBUS_SESSION_BUS_ADDRESS"] = address
        os.environ["DISPLAY"] = self.display
        for key in ("XDG_RUNTIME_DIR", "HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "TMPDIR"):
            os.environ[key] = self.env[key]

    def run(self):
        self.prepare_folders()
        self.display = start_xvfb(self.procs, self.env)
        log(f"display {self.display}, working folder {self.work}")
        self.rig_proc, device = start_rigsim(self.procs, self.args.rigsim, self.family, self.work, self.env)
        log(f"rig simulator (family {self.family}) on {device}")
        self.write_init_cfg(device)
        self.rig = Rig(self.work)
        self.start_program()

        import pyatspi  # after the bus address is known: the library connects on import
        self.pyatspi = pyatspi
        self.tree = Tree(pyatspi)

        self.sound_dialog()
        self.main_window()
        self.bands()
        self.import_and_set()
        self.picture_clicks()
        self.reference()
        self.unplug_and_return()
        self.clock_and_display()
        self.close_and_save_position()

    def audit(self, window, expected):
        """Every control is in the tree under its control name (the description) and has a
        name a screen reader can speak."""
        found = {}
        for acc in self.tree.walk(window):
            try:
                description = fresh(acc).description
                if description:
                    found.setdefault(description, acc.name)
            except Exception:
                continue
        missing = [c for c in expected if c not in found]
        unnamed = [c for c in expected if c in found and not found[c]]
        if missing or unnamed:
            raise Failure(f"controls missing from the accessibility tree: {missing}; without a name: {unnamed}")

    # -- the sound-device dialog

    def sound_dialog(self):
        t = self.tree
        dialog = wait_for("the sound-device dialog", lambda: t.window(lambda n: n == SOUND_DIALOG_TITLE), 30)
        combo = t.require(dialog, "Combo1")
        shown = fresh(combo).name
        if not shown.startswith("-1"):
            raise Failure(f"sound-device list shows {shown!r}, expected the default device first")
        self.audit(dialog, SOUND_DIALOG_CONTROLS)
        cancel = t.require(dialog, "Command1_1")
        if fresh(cancel).name != "中止":
            raise Failure(f"Command1_1 reads {cancel.name!r}")
        done = t.require(dialog, "Command1_0")
        if fresh(done).name != "設定完了":
            raise Failure(f"Command1_0 reads {done.name!r}")
        press(done)
        log("sound-device dialog accepted with the default device")

    # -- the main window

    def main_window(self):
        t = self.tree
        self.main = wait_for("the main window", lambda: t.window(lambda n: n.startswith(MAIN_TITLE_PREFIX)), 30)
        title = fresh(self.main).name
        log(f"main window: {title}")
        for part in ("TEST", "/CAT="):
            if part not in title:
                raise Failure(f"window title {title!r} lacks {part!r}")
        wait_for("the sound-device dialog to close",
                 lambda: t.window(lambda n: n == SOUND_DIALOG_TITLE) is None, 15)
        self.freq = t.require(self.main, "txtRigFreq", self.pyatspi.ROLE_TEXT)
        self.band = t.require(self.main, "Combo1")
        self.his = t.require(self.main, "txtHis", self.pyatspi.ROLE_TEXT)
        self.deff = t.require(self.main, "txtDeffF", self.pyatspi.ROLE_TEXT)
        self.audit(self.main, MAIN_CONTROLS)
        if fresh(self.freq).name != "周波数":
            raise Failure(f"the frequency display is named {self.freq.name!r}, expected its label")
        # The rig started on 7026 kHz in LSB: the display and the band list follow it.
        wait_equal("the frequency display", lambda: text_of(self.freq), "7026.000", 20)
        wait_equal("the band list", lambda: fresh(self.band).name, "7MHz", 10)

    def pick_band(self, band):
        """Opens the band list and chooses band with the keyboard, as an operator would."""
        press(self.band)
        wait_for("the band list to open", lambda: self._band_popup_showing(), 10)
        gen = self.pyatspi.Registry.generateKeyboardEvent
        gen(KEY_HOME, None, self.pyatspi.KEY_SYM)
        for _ in range(BAND_ORDER.index(band)):
            gen(KEY_DOWN, None, self.pyatspi.KEY_SYM)
        gen(KEY_RETURN, None, self.pyatspi.KEY_SYM)
        wait_for("the band list to close", lambda: not self._band_popup_showing(), 10)

    def _band_popup_showing(self):
        for acc in self.tree.walk(self.band):
            if acc.getRole() == self.pyatspi.ROLE_LIST:
                return states(acc).contains(self.pyatspi.STATE_SHOWING)
        return False

    def bands(self):
        for band in ("14MHz", "21MHz", "50MHz", "7MHz"):
            before = len(self.rig.frames())
            self.pick_band(band)
            hz = BANDS[band]
            wait_equal(f"the rig after picking {band}", self.rig.status, (hz, "USB"), 15)
            wait_equal(f"the display after picking {band}", lambda: text_of(self.freq), f"{hz // 1000}.000", 15)
            wait_equal(f"the band list after picking {band}", lambda: fresh(self.band).name, band, 10)
            sent = self.rig.frames()[before:]
            if f"SET FREQ {hz}" not in sent or "SET MODE USB" not in sent:
                raise Failure(f"picking {band}: the rig received {sent}")
            log(f"picked {band}: rig received {sent}")

    # -- decode line, offset and frequency set

    def import_and_set(self):
        t = self.tree
        set_clipboard(self.procs, DECODE_LINE, dict(self.env, DISPLAY=self.display))
        press(t.require(self.main, "Command3"))
        wait_equal("the other station's call", lambda: text_of(self.his), DECODE_CALL, 10)
        wait_equal("the offset", lambda: text_of(self.deff), DECODE_OFFSET, 10)
        set_button = t.require(self.main, "Command5")
        wait_for("frequency set to be enabled", lambda: states(set_button).contains(self.pyatspi.STATE_ENABLED))
        before = len(self.rig.frames())
        press(set_button)
        # The FT-897 takes its frequency in 10 Hz steps.
        expected = 7_025_470 if self.family == 3 else 7_025_477
        wait_equal("the rig after frequency set", lambda: self.rig.status()[0], expected, 15)
        wait_for("the display after frequency set", lambda: text_of(self.freq).startswith("7025.47"), 15)
        sent = self.rig.frames()[before:]
        if f"SET FREQ {expected}" not in sent:
            raise Failure(f"frequency set: the rig received {sent}")
        wait_equal("the offset after frequency set", lambda: text_of(self.deff), "", 10)
        wait_for("frequency set to be disabled",
                 lambda: not states(set_button).contains(self.pyatspi.STATE_ENABLED), 10)
        log(f"frequency set from offset {DECODE_OFFSET}: rig received {sent}")

    # -- the picture: a click left of centre tunes down, right of centre tunes up

    def picture_clicks(self):
        picture = self.tree.require(self.main, "Picture1")
        x, y, width, height = extents(self.pyatspi, picture)
        if width <= 0 or height <= 0:
            raise Failure(f"the picture has no area on screen: {(x, y, width, height)}")
        for side, fraction in (("left", 0.25), ("right", 0.75)):
            start = self.rig.status()[0]
            before = len(self.rig.frames())
            click_at(x + int(width * fraction), y + height // 2, self.display)
            # The picture spans 2000 Hz around the dial, so a quarter of the way in is 500 Hz away
            # (give or take a few pixels of 3.3 Hz each).
            moved = wait_for(f"the rig to move after the {side} click",
                             lambda: (f := self.rig.status()[0]) != start and f, 15)
            # The FT-897 below 10 MHz takes the offset the other way round (its picture mirrors).
            sign = -1 if self.family == 3 and start < 10_000_000 else 1
            expected = start + sign * (-500 if side == "left" else 500)
            if abs(moved - expected) > 20:
                raise Failure(f"a click {side} of centre moved the rig from {start} to {moved}, expected about {expected}")
            wait_equal(f"the display after the {side} click", lambda: text_of(self.freq),
                       f"{moved // 1000}.{moved % 1000:03d}", 15)
            sent = self.rig.frames()[before:]
            if f"SET FREQ {moved}" not in sent:
                raise Failure(f"picture click {side}: the rig received {sent}")
            log(f"picture clicked {side} of centre: {start} -> {moved}")

    # -- the reference button puts the rig back on the band's frequency

    def reference(self):
        before = len(self.rig.frames())
        press(self.tree.require(self.main, "Command1"))
        wait_equal("the rig after the reference button", lambda: self.rig.status()[0], BANDS["7MHz"], 15)
        wait_equal("the display after the reference button", lambda: text_of(self.freq), "7026.000", 15)
        sent = self.rig.frames()[before:]
        if not any(s.startswith("SET") for s in sent):
            raise Failure(f"reference: the rig received {sent}")
        log(f"reference button: rig received {sent}")

    # -- the device pulled out and plugged back in

    def unplug_and_return(self):
        # Pulling the simulator ends its pseudo-terminal: the program's open port reads EOF.
        stop("rig simulator", self.rig_proc, False)
        # While it was away the operator tuned the rig to 21 MHz; it comes back on a new
        # pseudo-terminal behind the same link path.
        self.rig_proc, device = start_rigsim(self.procs, self.args.rigsim, self.family, self.work, self.env,
                                             freq=BANDS["21MHz"], mode="USB", log_name="rig-again.log")
        self.rig = Rig(self.work, "rig-again.log")
        log(f"rig simulator pulled out and plugged back in on {device}")
        wait_equal("the display after the device came back", lambda: text_of(self.freq), "21076.000", 30)
        wait_equal("the band list after the device came back", lambda: fresh(self.band).name, "21MHz", 10)
        self.dismiss_boxes()
        self.pick_band("7MHz")
        wait_equal("the rig after picking 7MHz again", self.rig.status, (BANDS["7MHz"], "USB"), 15)
        wait_equal("the display after picking 7MHz again", lambda: text_of(self.freq), "7026.000", 15)

    def message_boxes(self):
        """The message boxes open now: top-level ones, and those the tree shows inside the main window."""
        found = []
        for window in list(self.tree.frames()):
            try:
                name = fresh(window).name
            except Exception:
                continue
            if name.startswith(MAIN_TITLE_PREFIX):
                for acc in self.tree.walk(window):
                    try:
                        if acc.getRole() in (self.pyatspi.ROLE_DIALOG, self.pyatspi.ROLE_ALERT):
                            found.append((fresh(acc).name, acc))
                    except Exception:
                        continue
            elif name and name != SOUND_DIALOG_TITLE:
                found.append((name, window))
        return found

    def dismiss_boxes(self):
        """Any message box open now (the first-start note about the missing position file, or a
        line error while the device was away) is answered with OK, as the operator would."""
        for name, box in self.message_boxes():
            for acc in self.tree.walk(box):
                if acc.getRole() == self.pyatspi.ROLE_PUSH_BUTTON and fresh(acc).name == "OK":
                    log(f"message box {name!r} answered with OK")
                    press(acc)
                    break

    # -- clock and display mode

    def clock_and_display(self):
        t, p = self.tree, self.pyatspi
        jst, utc = t.require(self.main, "Option1_0"), t.require(self.main, "Option1_1")
        fft, wf = t.require(self.main, "Option2_0"), t.require(self.main, "Option2_1")
        if not states(fft).contains(p.STATE_CHECKED) or states(wf).contains(p.STATE_CHECKED):
            raise Failure("the display mode should start on FFT")
        # The clock label speaks its own text: local time marked J, then UTC as yyyy/MM/dd h:mm:ss U.
        clock = t.require(self.main, "lbTime")
        if not re.search(r"  \d{1,2}:\d{2}:\d{2}J$", fresh(clock).name or ""):
            raise Failure(f"the clock reads {clock.name!r}, expected the local time marked J")
        press(utc)
        wait_for("UTC to be checked", lambda: states(utc).contains(p.STATE_CHECKED), 10)
        wait_for("the clock to show UTC", lambda: re.fullmatch(r"\d{4}/\d{2}/\d{2}  \d{1,2}:\d{2}:\d{2}U",
                                                               fresh(clock).name or ""), 10)
        if states(jst).contains(p.STATE_CHECKED):
            raise Failure("JST still checked after choosing UTC")
        press(wf)
        wait_for("WF to be checked", lambda: states(wf).contains(p.STATE_CHECKED), 10)
        if states(fft).contains(p.STATE_CHECKED):
            raise Failure("FFT still checked after choosing WF")
        log("clock on UTC, display on the waterfall")

    # -- closing writes the position file

    def close_and_save_position(self):
        position = os.path.join(self.work, "MyVeltraneData.dat")
        if os.path.exists(position):
            raise Failure("the position file exists before the window was closed")
        # The operator drags the window elsewhere (there is no window manager: move it directly).
        moved_to = (200, 150)
        env = dict(os.environ, DISPLAY=self.display)
        for window in subprocess.run(["xdotool", "search", "--name", "^" + re.escape(MAIN_TITLE_PREFIX)], env=env,
                                     capture_output=True, timeout=10).stdout.decode().split():
            subprocess.run(["xdotool", "windowmove", window, str(moved_to[0]), str(moved_to[1])], env=env,
                           check=True, timeout=10)
        wait_equal("the main window's place", lambda: extents(self.pyatspi, self.main)[:2], moved_to, 10)
        close_windows_named(MAIN_TITLE_PREFIX, self.display)
        wait_for("the position file", lambda: os.path.exists(position), 20)
        wait_for("the main window to close",
                 lambda: self.tree.window(lambda n: n.startswith(MAIN_TITLE_PREFIX)) is None, 20)
        with open(position, "rb") as f:
            content = f.read()
        # The file keeps the window's place in twips: 15 to a pixel on the 96 dpi screen of Xvfb.
        saved = dict(re.findall(rb"^(TOP|LEFT)=\s*(-?\d+)\s*$", content, re.M))
        if set(saved) != {b"TOP", b"LEFT"}:
            raise Failure(f"MyVeltraneData.dat lacks TOP= or LEFT=: {content!r}")
        for key, pixels in ((b"LEFT", moved_to[0]), (b"TOP", moved_to[1])):
            if abs(int(saved[key]) - pixels * 15) > 15:
                raise Failure(f"MyVeltraneData.dat has {key.decode()}={int(saved[key])}, the window was at {pixels} px")
        log(f"position file written: {content!r}")

        # The last window closed ends the program, and with it the bus session.
        wait_for("the program to end", lambda: self.bus.poll() is not None, 20)
        if self.bus.returncode != 0:
            raise Failure(f"the program ended with status {self.bus.returncode}")

    def report_failure(self):
        if not self.scratch:
            return
        for name in ("program.out", "work/rig.log", "work/rigsim.err"):
            path = os.path.join(self.scratch, name)
            if os.path.exists(path):
                with open(path, encoding="utf-8", errors="replace") as f:
                    tail = f.read().splitlines()[-40:]
                log(f"--- last lines of {name}:")
                for line in tail:
                    print("    " + line)
        if getattr(self, "display", None) and shutil.which("import"):
            shot = os.path.join(self.scratch, "failure.png")
            subprocess.run(["import", "-window", "root", shot], env=dict(self.env, DISPLAY=self.display),
                           capture_output=True, timeout=20)
            log(f"screenshot: {shot}")


def missing_tools():
    missing = [tool for tool in ("Xvfb", "dbus-run-session", "xclip", "xdotool") if shutil.which(tool) is None]
    probe = subprocess.run([sys.executable, "-c", "import gi; gi.require_version('Atspi', '2.0'); import pyatspi"],
                           capture_output=True)
    if probe.returncode != 0:
        missing.append("pyatspi")
    try:
        ctypes.CDLL("libX11.so.6")
    except OSError:
        missing.append("libX11")
    return missing


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--program", required=True)
    parser.add_argument("--rigsim", required=True)
    parser.add_argument("--family", type=int, choices=range(4), required=True)
    parser.add_argument("--keep", action="store_true", help="keep the scratch folder")
    args = parser.parse_args()

    missing = missing_tools()
    if missing:
        print(f"SKIP: missing {', '.join(missing)}")
        return SKIP
    for path in (args.program, args.rigsim):
        if not os.access(path, os.X_OK):
            print(f"FAIL: {path} is not an executable")
            return 1

    # A run stopped from outside (ctest's timeout, Ctrl-C) still stops what it started.
    def interrupted(signum, _frame):
        raise Failure(f"interrupted by signal {signum}")

    signal.signal(signal.SIGTERM, interrupted)
    signal.signal(signal.SIGINT, interrupted)

    session = Session(args)
    status = 1
    try:
        session.run()
        status = 0
        log(f"family {args.family}: PASS")
    except Failure as failure:
        log(f"family {args.family}: FAIL: {failure}")
        session.report_failure()
    except Exception:
        traceback.print_exc()
        session.report_failure()
    finally:
        session.procs.stop_all()
        if session.scratch and status == 0 and not args.keep:
            shutil.rmtree(session.scratch, ignore_errors=True)
        elif session.scratch:
            log(f"scratch folder kept: {session.scratch}")
    return status


if __name__ == "__main__":
    sys.exit(main())
