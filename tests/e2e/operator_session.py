#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
# One operator session with the real program, driven through the accessibility tree.
#
# The session starts its own X server (Xvfb, on a display it picks itself), a private D-Bus
# session with the program inside it, and the rig simulator on a pseudo-terminal, all in a fresh
# working folder. Then, as an operator would, it accepts the sound-device dialog, waits for the
# main window, picks bands, imports a decode line from the clipboard, sets the frequency from its
# offset, takes a station the decoder names over its network link and sets the frequency from
# that, clicks the picture left and right of centre, presses the reference button, pulls the
# simulated device out and plugs it back in, switches the clock and the display mode, and moves
# and closes the window. The simulated rig answers the text and CI-V families in pieces, with
# noise before some answers. Every step is checked twice: on what the simulated rig received
# (its frame log and its status file) and on what the window shows (read back through AT-SPI).
# Controls are found by their accessible description, which is their control name.
#
# Exit status: 0 passed, 1 failed, 77 skipped (a needed tool is missing).
# Usage: operator_session.py --program PATH --rigsim PATH --family N [--locale NAME] [--keep]

import argparse
import ctypes
import os
import re
import select
import shutil
import signal
import socket
import struct
import subprocess
import sys
import tempfile
import time
import traceback

SKIP = 77
BANDS = {"7MHz": 7_026_000, "14MHz": 14_076_000, "18MHz": 18_102_000, "21MHz": 21_076_000,
         "24MHz": 24_920_000, "28MHz": 28_076_000, "50MHz": 50_330_000}
BAND_ORDER = list(BANDS)
# A line of the decoder's list: a fixed-width head the import skips, the offset from the dial in
# Hz, and the message with the other station's call.
DECODE_LINE = "0123456789ABCDEF     -523 CQ JA1XYZ PM95"
SOUND_DIALOG_TITLE = "サウンドーボードの選択"
FIRST_START_TITLE = "最初のセット、ファイルなし\u3000"
DECODER_MAGIC, DECODER_SCHEMA, DECODER_STATUS = 0xADBCCBDA, 2, 1
MAIN_TITLE_PREFIX = "Veltrane / "
MAIN_CONTROLS = ["Command3", "txtDeffF", "Command5", "Label2_1", "txtHis", "Command4", "lbTime", "Label1_0",
                 "Label1_1", "Label1_2", "Label1_3", "Label1_4", "Picture1", "Frame1", "Label2_0", "txtRigFreq",
                 "Combo1", "Command1", "Option2_0", "Option2_1", "Option1_0", "Option1_1"]
KEY_HOME, KEY_DOWN, KEY_RETURN = 0xFF50, 0xFF54, 0xFF0D


class Failure(Exception):
    pass


def log(message):
    print(f"[e2e] {message}", flush=True)


def wait_for(what, probe, timeout=15.0):
    # Polls probe() until it returns something truthy; fails with `what` and the last value.
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
        time.sleep(0.1)


def wait_equal(what, probe, expected, timeout=15.0):
    seen = [None]

    def check():
        seen[0] = probe()
        return seen[0] == expected

    try:
        wait_for(what, check, timeout)
    except Failure:
        raise Failure(f"{what}: expected {expected!r}, last seen {seen[0]!r}") from None


class Processes:
    # Everything the session starts, stopped by process id in reverse order.
    def __init__(self):
        self.started = []

    def start(self, label, argv, group=False, **kwargs):
        proc = subprocess.Popen(argv, start_new_session=group, **kwargs)
        self.started.append((proc, group))
        log(f"started {label} (pid {proc.pid})")
        return proc

    def stop_all(self):
        for proc, group in reversed(self.started):
            stop(proc, group)
        self.started.clear()


def stop(proc, group=False):
    if proc.poll() is None:
        proc.send_signal(signal.SIGTERM)
        try:
            proc.wait(timeout=5)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait(timeout=5)
    if group:  # services the bus started on demand live in the group this process leads
        try:
            os.killpg(proc.pid, signal.SIGTERM)
        except (ProcessLookupError, PermissionError):
            pass


def start_xvfb(procs, env):
    read_fd, write_fd = os.pipe()
    proc = procs.start("Xvfb", ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1024x768x24", "-nolisten",
                                "tcp", "-noreset"], pass_fds=(write_fd,), env=env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
    os.close(write_fd)
    data = b""
    deadline = time.monotonic() + 20
    while not data.endswith(b"\n"):
        if proc.poll() is not None or not select.select([read_fd], [], [], max(0, deadline - time.monotonic()))[0]:
            raise Failure("Xvfb did not report its display")
        data += os.read(read_fd, 64)
    os.close(read_fd)
    return ":" + data.decode().strip()


def start_rigsim(procs, rigsim, family, work, env, freq=7026000, mode="LSB", log_name="rig.log"):
    argv = [rigsim, "--family", str(family), "--freq", str(freq), "--mode", mode, "--link", os.path.join(work, "rig"),
            "--log", os.path.join(work, log_name), "--status", os.path.join(work, "rig.status")]
    if family == 2:
        argv.append("--echo")  # a one-wire CI-V interface returns every byte it is sent
    if family != 3:
        # Answers in pieces, with noise before some, as a USB adapter and a noisy line deliver them.
        argv += ["--fragment", "3", "--fragment-delay-ms", "15", "--garbage", "0.1", "--seed", "5"]
    else:
        # The FT-897 acknowledges every set with a byte; its answers come in two pieces.
        argv += ["--ft897-ack", "--fragment", "3", "--fragment-delay-ms", "5"]
    proc = procs.start("rig simulator", argv, env=env, stdout=subprocess.PIPE,
                       stderr=open(os.path.join(work, "rigsim.err"), "ab"))
    device = proc.stdout.readline().decode().strip() if select.select([proc.stdout], [], [], 20)[0] else ""
    if not device:
        raise Failure("the rig simulator printed no device")
    return proc, device


class Rig:
    # What the simulated rig received and where its dial is.
    def __init__(self, work, log_name="rig.log"):
        self.log_path = os.path.join(work, log_name)
        self.status_path = os.path.join(work, "rig.status")

    def status(self):
        try:
            with open(self.status_path, encoding="utf-8") as f:
                match = re.match(r"freq=(\d+) mode=(\S+)", f.read())
        except FileNotFoundError:
            return None
        return (int(match.group(1)), match.group(2)) if match else None

    def frames(self):
        # The meanings of the frames received so far, in order (READ polls left out).
        try:
            with open(self.log_path, encoding="utf-8", errors="replace") as f:
                lines = f.read().splitlines()
        except FileNotFoundError:
            return []
        meanings = [re.split(r"\s{2,}", line.strip())[-1] for line in lines if line.strip()]
        return [m for m in meanings if not m.startswith("READ")]


def decoder_status(dx_call, rx_df, dial_hz):
    # A Status datagram as the decoder sends it when its operator double-clicks a decode.
    def text(value):
        data = value.encode("utf-8")
        return struct.pack(">I", len(data)) + data
    return (struct.pack(">III", DECODER_MAGIC, DECODER_SCHEMA, DECODER_STATUS) + text("WSJT-X") +
            struct.pack(">Q", dial_hz) + text("JT65") + text(dx_call) + text("") + text("JT65") + bytes(3) +
            struct.pack(">II", rx_df, rx_df))


def set_clipboard(procs, text, env):
    # -quiet keeps xclip in the foreground serving the selection, so it can be stopped by its pid.
    proc = procs.start("xclip", ["xclip", "-quiet", "-selection", "clipboard", "-i"], env=env,
                       stdin=subprocess.PIPE, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    proc.stdin.write(text.encode("utf-8"))
    proc.stdin.close()
    wait_equal("the clipboard", lambda: subprocess.run(["xclip", "-o", "-selection", "clipboard"], env=env,
                                                       capture_output=True, timeout=10).stdout.decode(), text)


class XEvent(ctypes.Structure):
    # An XClientMessageEvent, padded to the size of an XEvent.
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5), ("pad", ctypes.c_long * 12)]


def close_windows_named(prefix, display):
    # Sends WM_DELETE_WINDOW to every top-level window whose title starts with prefix, which is
    # what a window manager's close button does.
    x11 = ctypes.CDLL("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.POINTER(XEvent)]
    x11.XFlush.argtypes = x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    found = subprocess.run(["xdotool", "search", "--name", "^" + re.escape(prefix)], env=dict(os.environ, DISPLAY=display),
                           capture_output=True, timeout=10).stdout.decode().split()
    if not found:
        raise Failure(f"no X window titled {prefix!r}...")
    dpy = x11.XOpenDisplay(display.encode())
    try:
        for window in found:
            event = XEvent(type=33, window=int(window), message_type=x11.XInternAtom(dpy, b"WM_PROTOCOLS", 0), format=32)
            event.data[0] = x11.XInternAtom(dpy, b"WM_DELETE_WINDOW", 0)
            x11.XSendEvent(dpy, int(window), 0, 0, ctypes.byref(event))
        x11.XFlush(dpy)
    finally:
        x11.XCloseDisplay(dpy)


def xdotool(display, *args):
    subprocess.run(["xdotool", *map(str, args)], env=dict(os.environ, DISPLAY=display), check=True, timeout=10)


# The accessibility side


def fresh(acc):
    # Drops what the client library cached about acc, so the next read asks the program.
    try:
        acc.clear_cache()
    except Exception:
        pass
    return acc


def walk(root, depth=0):
    if depth > 40:
        return
    try:
        children = [root.getChildAtIndex(i) for i in range(root.childCount)]
    except Exception:
        return
    for child in filter(None, children):
        yield child
        yield from walk(child, depth + 1)


def text_of(acc):
    return fresh(acc).queryText().getText(0, -1)


def states(acc):
    return fresh(acc).getState()


def press(acc):
    action = acc.queryAction()
    available = [action.getName(i) for i in range(action.nActions)]
    for name in ("Press", "press", "click", "Toggle"):
        if name in available:
            return action.doAction(available.index(name))
    raise Failure(f"{acc.description or acc.name}: no press action (has {available})")


class Session:
    def __init__(self, args):
        self.args, self.family = args, args.family
        self.procs = Processes()
        self.scratch = None

    def prepare_folders(self):
        self.scratch = tempfile.mkdtemp(prefix=f"veltrane-e2e-f{self.family}-", dir=os.environ.get("TMPDIR") or None)
        paths = {name: os.path.join(self.scratch, name) for name in ("home", "runtime", "config", "cache", "tmp", "work")}
        for path in paths.values():
            os.makedirs(path, mode=0o700)
        self.work = paths["work"]
        self.env = {k: v for k, v in os.environ.items() if not k.startswith(("DBUS_", "AT_SPI", "QT_QPA", "DISPLAY"))}
        self.env.update(HOME=paths["home"], XDG_RUNTIME_DIR=paths["runtime"], XDG_CONFIG_HOME=paths["config"],
                        XDG_CACHE_HOME=paths["cache"], TMPDIR=paths["tmp"], LC_ALL=self.args.locale, TZ="UTC")

    def start_program(self, device):
        # The checks read the Japanese captions: another locale keeps them with --language ja.
        self.language = [] if self.args.locale == "C.UTF-8" else ["--language", "ja"]
        with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as probe:  # a port nobody listens on
            probe.bind(("127.0.0.1", 0))
            self.decoder_port = probe.getsockname()[1]
        with open(os.path.join(self.work, "Init.cfg"), "wb") as f:
            f.write(f"MYCALL=TEST\r\nCAT={device}\r\nRIG= {self.family} \r\nRS232C=9600,N,8,1\r\nICOM=74\r\n"
                    f"CONTROL=E0\r\nDECODER=ON\r\nDECODERPORT={self.decoder_port}\r\n".encode("ascii"))
        address_file = os.path.join(self.scratch, "bus-address")
        env = dict(self.env, DISPLAY=self.display, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb")
        # The shell writes the bus address for this driver, then runs the program in the session.
        script = 'printf "%s\\n" "$DBUS_SESSION_BUS_ADDRESS" > "$1.tmp" && mv "$1.tmp" "$1" && shift && exec "$@"'
        self.bus = self.procs.start("dbus-run-session with the program",
                                    ["dbus-run-session", "--", "/bin/sh", "-c", script, "sh", address_file,
                                     self.args.program] + self.language, group=True, env=env, cwd=self.work,
                                    stdout=open(os.path.join(self.scratch, "program.out"), "wb"),
                                    stderr=subprocess.STDOUT)
        address = wait_for("the session bus address", lambda: os.path.exists(address_file) and
                           open(address_file, encoding="utf-8").read().strip(), timeout=20)
        os.environ.update(DBUS_SESSION_BUS_ADDRESS=address, DISPLAY=self.display)
        for key in ("XDG_RUNTIME_DIR", "HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "TMPDIR"):
            os.environ[key] = self.env[key]

    def run(self):
        self.prepare_folders()
        self.display = start_xvfb(self.procs, self.env)
        self.rig_proc, device = start_rigsim(self.procs, self.args.rigsim, self.family, self.work, self.env)
        log(f"display {self.display}, rig simulator (family {self.family}) on {device}, folder {self.work}")
        self.rig = Rig(self.work)
        self.start_program(device)
        import pyatspi  # after the bus address is known: the library connects on import
        self.pyatspi = pyatspi
        for step in (self.sound_dialog, self.main_window, self.bands, self.import_and_set, self.decoder_link,
                     self.picture_clicks,
                     self.reference, self.unplug_and_return, self.clock_and_display, self.close_and_save_position):
            step()

    def windows(self):
        desktop = self.pyatspi.Registry.getDesktop(0)
        for app in filter(None, (desktop.getChildAtIndex(i) for i in range(desktop.childCount))):
            try:
                yield from filter(None, [app.getChildAtIndex(j) for j in range(app.childCount)])
            except Exception:
                continue

    def window(self, predicate):
        return next((w for w in self.windows() if predicate(fresh(w).name)), None)

    def require(self, window, description, role=None):
        def find():
            for acc in walk(window):
                try:
                    if fresh(acc).description == description and (role is None or acc.getRole() == role):
                        return acc
                except Exception:
                    continue
        return wait_for(f"control {description}", find)

    def extents(self, acc):
        box = acc.queryComponent().getExtents(self.pyatspi.DESKTOP_COORDS)
        return box.x, box.y, box.width, box.height

    def sound_dialog(self):
        dialog = wait_for("the sound-device dialog", lambda: self.window(lambda n: n == SOUND_DIALOG_TITLE), 30)
        if not fresh(self.require(dialog, "Combo1")).name.startswith("-1"):
            raise Failure("the sound-device list does not show the default device first")
        names = {c: fresh(self.require(dialog, c)).name for c in ("lblDevice", "Command1_0", "Command1_1")}
        if names["Command1_0"] != "設定完了" or names["Command1_1"] != "中止" or not names["lblDevice"]:
            raise Failure(f"sound-device dialog controls read {names}")
        press(self.require(dialog, "Command1_0"))

    def main_window(self):
        self.main = wait_for("the main window", lambda: self.window(lambda n: n.startswith(MAIN_TITLE_PREFIX)), 30)
        title = fresh(self.main).name
        log(f"main window: {title}")
        if "TEST" not in title or "/CAT=" not in title:
            raise Failure(f"window title {title!r}")
        wait_for("the sound-device dialog to close", lambda: self.window(lambda n: n == SOUND_DIALOG_TITLE) is None)
        self.freq = self.require(self.main, "txtRigFreq", self.pyatspi.ROLE_TEXT)
        self.band = self.require(self.main, "Combo1")
        # Every control is in the tree under its control name and has a name a screen reader speaks.
        found = {}
        for acc in walk(self.main):
            try:
                found.setdefault(fresh(acc).description, acc.name)
            except Exception:
                continue
        unnamed = [c for c in MAIN_CONTROLS if not found.get(c)]
        if unnamed or fresh(self.freq).name != "周波数":
            raise Failure(f"controls missing or without a spoken name: {unnamed}; display named {self.freq.name!r}")
        # No position file yet: once the main window is up, the first-start note says so; OK closes it.
        note = wait_for("the first-start note", lambda: self.window(lambda n: n == FIRST_START_TITLE), 10)
        if "Error=53" not in [fresh(a).name for a in walk(note) if a.getRole() == self.pyatspi.ROLE_LABEL]:
            raise Failure("the first-start note does not say Error=53")
        press(next(b for b in walk(note) if b.getRole() == self.pyatspi.ROLE_PUSH_BUTTON and fresh(b).name == "OK"))
        # The rig started on 7026 kHz in LSB: the display and the band list follow it.
        wait_equal("the frequency display", lambda: text_of(self.freq), "7026.000", 20)
        wait_equal("the band list", lambda: fresh(self.band).name, "7MHz", 10)

    def band_list_open(self):
        return any(acc.getRole() == self.pyatspi.ROLE_LIST and states(acc).contains(self.pyatspi.STATE_SHOWING)
                   for acc in walk(self.band))

    def pick_band(self, band):
        # Opens the band list and chooses band with the keyboard, as an operator would.
        press(self.band)
        wait_for("the band list to open", self.band_list_open, 10)
        gen = self.pyatspi.Registry.generateKeyboardEvent
        for key in [KEY_HOME] + [KEY_DOWN] * BAND_ORDER.index(band) + [KEY_RETURN]:
            gen(key, None, self.pyatspi.KEY_SYM)
        wait_for("the band list to close", lambda: not self.band_list_open(), 10)

    def expect_rig(self, what, before, hz, mode=None):
        # The rig moves to hz (in mode), says so in its frame log, and the display follows.
        wait_equal(f"the rig after {what}", lambda: self.rig.status()[0 if mode is None else slice(0, 2)],
                   hz if mode is None else (hz, mode), 15)
        wait_equal(f"the display after {what}", lambda: text_of(self.freq), f"{hz // 1000}.{hz % 1000:03d}", 15)
        sent = self.rig.frames()[before:]
        if f"SET FREQ {hz}" not in sent or (mode and f"SET MODE {mode}" not in sent):
            raise Failure(f"{what}: the rig received {sent}")
        log(f"{what}: rig received {sent}")

    def bands(self):
        for band in ("14MHz", "21MHz", "50MHz", "7MHz"):
            before = len(self.rig.frames())
            self.pick_band(band)
            self.expect_rig(f"picking {band}", before, BANDS[band], "USB")
            wait_equal(f"the band list after picking {band}", lambda: fresh(self.band).name, band, 10)

    def import_and_set(self):
        set_clipboard(self.procs, DECODE_LINE, dict(self.env, DISPLAY=self.display))
        press(self.require(self.main, "Command3"))
        his, deff = (self.require(self.main, c, self.pyatspi.ROLE_TEXT) for c in ("txtHis", "txtDeffF"))
        wait_equal("the other station's call and offset", lambda: (text_of(his), text_of(deff)), ("JA1XYZ", "-523"))
        set_button = self.require(self.main, "Command5")
        wait_for("frequency set to be enabled", lambda: states(set_button).contains(self.pyatspi.STATE_ENABLED))
        before = len(self.rig.frames())
        press(set_button)
        self.expect_rig("frequency set", before, 7_025_470 if self.family == 3 else 7_025_477)  # FT-897: 10 Hz steps
        wait_equal("the offset after frequency set", lambda: text_of(deff), "", 10)
        wait_for("frequency set to be disabled", lambda: not states(set_button).contains(self.pyatspi.STATE_ENABLED))

    def decoder_link(self):
        # The decoder's operator double-clicks K1ABC at 1500 Hz: its Status brings the call and
        # the offset from the centre (1500 - 1270) as an import would; nothing moves the rig
        # until frequency set is pressed.
        start, before = self.rig.status()[0], len(self.rig.frames())
        status = decoder_status("K1ABC", 1500, start)
        with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as decoder:
            decoder.sendto(status, ("127.0.0.1", self.decoder_port))
        log(f"Status datagram to port {self.decoder_port}: {status.hex()}")
        his, deff = (self.require(self.main, c, self.pyatspi.ROLE_TEXT) for c in ("txtHis", "txtDeffF"))
        wait_equal("the decoder's call and offset", lambda: (text_of(his), text_of(deff)), ("K1ABC", "230"))
        log(f"txtHis {text_of(his)!r}, txtDeffF {text_of(deff)!r}; the rig received {self.rig.frames()[before:]}")
        set_button = self.require(self.main, "Command5")
        wait_for("frequency set to be enabled", lambda: states(set_button).contains(self.pyatspi.STATE_ENABLED))
        if any(f.startswith("SET") for f in self.rig.frames()[before:]):
            raise Failure(f"the decoder's Status alone moved the rig: {self.rig.frames()[before:]}")
        press(set_button)
        self.expect_rig("frequency set from the decoder", before, (start + 230) // 10 * 10 if self.family == 3
                        else start + 230)

    def picture_clicks(self):
        # The picture spans 2000 Hz around the dial: a quarter of the way in is 500 Hz away (give or
        # take a few pixels of 3.3 Hz each); the FT-897 in LSB takes the offset the other way.
        x, y, width, height = self.extents(self.require(self.main, "Picture1"))
        for side, fraction in (("left", 0.25), ("right", 0.75)):
            start, before = self.rig.status()[0], len(self.rig.frames())
            xdotool(self.display, "mousemove", "--sync", x + int(width * fraction), y + height // 2, "click", 1)
            moved = wait_for(f"the rig to move after the {side} click", lambda: (f := self.rig.status()[0]) != start and f)
            sign = -1 if self.family == 3 and self.rig.status()[1] == "LSB" else 1
            if abs(moved - start - sign * (-500 if side == "left" else 500)) > 20:
                raise Failure(f"a click {side} of centre moved the rig from {start} to {moved}")
            self.expect_rig(f"the {side} click", before, moved)

    def reference(self):
        before = len(self.rig.frames())
        press(self.require(self.main, "Command1"))
        self.expect_rig("the reference button", before, BANDS["7MHz"])

    def unplug_and_return(self):
        # Pulling the simulator ends its pseudo-terminal; while it was away the operator tuned the
        # rig to 21 MHz, and it comes back on a new pseudo-terminal behind the same link path.
        stop(self.rig_proc)
        self.rig_proc, device = start_rigsim(self.procs, self.args.rigsim, self.family, self.work, self.env,
                                             freq=BANDS["21MHz"], mode="USB", log_name="rig-again.log")
        self.rig = Rig(self.work, "rig-again.log")
        log(f"rig simulator pulled out and plugged back in on {device}")
        wait_equal("the display after the device came back", lambda: text_of(self.freq), "21076.000", 30)
        wait_equal("the band list after the device came back", lambda: fresh(self.band).name, "21MHz", 10)
        self.dismiss_boxes()
        self.pick_band("7MHz")
        self.expect_rig("picking 7MHz again", 0, BANDS["7MHz"], "USB")

    def dismiss_boxes(self):
        # Any message box open now (a line error while the device was away) is answered with OK, as
        # the operator would.
        boxes = [a for a in walk(self.main) if a.getRole() in (self.pyatspi.ROLE_DIALOG, self.pyatspi.ROLE_ALERT)]
        boxes += [w for w in self.windows() if not fresh(w).name.startswith(MAIN_TITLE_PREFIX)]
        for box in boxes:
            for button in walk(box):
                if button.getRole() == self.pyatspi.ROLE_PUSH_BUTTON and fresh(button).name == "OK":
                    log(f"message box {fresh(box).name!r} answered with OK")
                    press(button)

    def clock_and_display(self):
        p = self.pyatspi
        jst, utc, fft, wf = (self.require(self.main, c) for c in ("Option1_0", "Option1_1", "Option2_0", "Option2_1"))
        if not states(fft).contains(p.STATE_CHECKED) or states(wf).contains(p.STATE_CHECKED):
            raise Failure("the display mode should start on FFT")
        # The clock label speaks its own text: local time marked J, then UTC as yyyy/MM/dd h:mm:ss U.
        clock = self.require(self.main, "lbTime")
        if not re.search(r"  \d{1,2}:\d{2}:\d{2}J$", fresh(clock).name or ""):
            raise Failure(f"the clock reads {clock.name!r}, expected the local time marked J")
        press(utc)
        wait_for("the clock to show UTC",
                 lambda: re.fullmatch(r"\d{4}/\d{2}/\d{2}  \d{1,2}:\d{2}:\d{2}U", fresh(clock).name or ""), 10)
        press(wf)
        wait_for("WF to be checked", lambda: states(wf).contains(p.STATE_CHECKED), 10)
        if states(jst).contains(p.STATE_CHECKED) or states(fft).contains(p.STATE_CHECKED):
            raise Failure("JST or FFT still checked after choosing UTC and WF")

    def close_and_save_position(self):
        position = os.path.join(self.work, "MyVeltraneData.dat")
        if os.path.exists(position):
            raise Failure("the position file exists before the window was closed")
        # The operator drags the window elsewhere (there is no window manager: move it directly).
        moved_to = (200, 150)
        for window in subprocess.run(["xdotool", "search", "--name", "^" + re.escape(MAIN_TITLE_PREFIX)],
                                     env=dict(os.environ, DISPLAY=self.display), capture_output=True,
                                     timeout=10).stdout.decode().split():
            xdotool(self.display, "windowmove", window, *moved_to)
        wait_equal("the main window's place", lambda: self.extents(self.main)[:2], moved_to, 10)
        close_windows_named(MAIN_TITLE_PREFIX, self.display)
        # The last window closed ends the program, and with it the bus session.
        wait_for("the program to end", lambda: self.bus.poll() is not None, 20)
        if self.bus.returncode != 0:
            raise Failure(f"the program ended with status {self.bus.returncode}")
        with open(position, "rb") as f:
            content = f.read()
        # The file keeps the window's place in twips: 15 to a pixel on the 96 dpi screen of Xvfb.
        saved = dict(re.findall(rb"^(TOP|LEFT)=\s*(-?\d+)\s*$", content, re.M))
        for key, pixels in ((b"LEFT", moved_to[0]), (b"TOP", moved_to[1])):
            if abs(int(saved.get(key, -99)) - pixels * 15) > 15:
                raise Failure(f"MyVeltraneData.dat holds {content!r}, the window was at {moved_to} px")
        log(f"position file written: {content!r}")

    def report_failure(self):
        for name in ("program.out", "work/rig.log", "work/rigsim.err"):
            path = os.path.join(self.scratch or "", name)
            if self.scratch and os.path.exists(path):
                log(f"--- last lines of {name}:")
                with open(path, encoding="utf-8", errors="replace") as f:
                    print("\n".join("    " + line for line in f.read().splitlines()[-40:]))
        if getattr(self, "display", None) and shutil.which("import"):
            shot = os.path.join(self.scratch, "failure.png")
            subprocess.run(["import", "-window", "root", shot], env=dict(self.env, DISPLAY=self.display),
                           capture_output=True, timeout=20)
            log(f"screenshot: {shot}")


def missing_tools():
    missing = [tool for tool in ("Xvfb", "dbus-run-session", "xclip", "xdotool") if shutil.which(tool) is None]
    if subprocess.run([sys.executable, "-c", "import gi; gi.require_version('Atspi', '2.0'); import pyatspi"],
                      capture_output=True).returncode != 0:
        missing.append("pyatspi")
    try:
        ctypes.CDLL("libX11.so.6")
    except OSError:
        missing.append("libX11")
    return missing


def main():
    parser = argparse.ArgumentParser(description="One operator session with the real program.")
    parser.add_argument("--program", required=True)
    parser.add_argument("--rigsim", required=True)
    parser.add_argument("--family", type=int, choices=range(4), required=True)
    parser.add_argument("--keep", action="store_true", help="keep the scratch folder")
    parser.add_argument("--locale", default="C.UTF-8", help="the program's locale (LC_ALL)")
    args = parser.parse_args()
    missing = missing_tools()
    if missing:
        print(f"SKIP: missing {', '.join(missing)}")
        return SKIP

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
