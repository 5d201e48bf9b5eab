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
import contextlib
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

try:  # python3-xlib: the session moves, clicks and closes windows as the X server's own client
    from Xlib import X, display as xdisplay, protocol
    from Xlib.ext import xtest
except ImportError:
    X = None

BANDS = {"7MHz": 7_026_000, "14MHz": 14_076_000, "18MHz": 18_102_000, "21MHz": 21_076_000,
         "24MHz": 24_920_000, "28MHz": 28_076_000, "50MHz": 50_330_000}
# A line of the decoder's list: a fixed-width head the import skips, the offset from the dial in
# Hz, and the message with the other station's call.
DECODE_LINE = "0123456789ABCDEF     -523 CQ JA1XYZ PM95"
SOUND_DIALOG_TITLE, FIRST_START_TITLE, MAIN_TITLE_PREFIX = "サウンドーボードの選択", "最初のセット、ファイルなし\u3000", "Veltrane / "
MAIN_CONTROLS = ["Command3", "txtDeffF", "Command5", "Label2_1", "txtHis", "Command4", "lbTime", "Label1_0",
                 "Label1_1", "Label1_2", "Label1_3", "Label1_4", "Picture1", "Frame1", "Label2_0", "txtRigFreq",
                 "Combo1", "Command1", "Option2_0", "Option2_1", "Option1_0", "Option1_1"]
KEY_HOME, KEY_DOWN, KEY_RETURN = 0xFF50, 0xFF54, 0xFF0D
LIBC = ctypes.CDLL(None)


class Failure(Exception):
    pass


def log(message):
    print(f"[e2e] {message}", flush=True)


def wait_for(what, probe, timeout=15.0, expected=None):
    # Polls probe() until it returns something truthy (or, given `expected`, equal to it); fails
    # with `what` and the last value seen.
    deadline, last = time.monotonic() + timeout, None
    while True:
        try:
            last = probe()
        except Exception as error:  # an object can vanish between two calls
            last = f"<{type(error).__name__}: {error}>"
        else:
            if (last == expected) if expected is not None else last:
                return last
        if time.monotonic() > deadline:
            raise Failure(f"{what}: expected {expected!r}, last seen {last!r}" if expected is not None
                          else f"timed out waiting for {what}; last seen: {last!r}")
        time.sleep(0.1)


class Processes:
    # Everything the session starts, stopped by process id in reverse order.
    def __init__(self):
        self.started = []

    def start(self, label, argv, group=False, **kwargs):
        # Each one is sent SIGTERM should this driver die without stopping it (PR_SET_PDEATHSIG).
        proc = subprocess.Popen(argv, start_new_session=group, preexec_fn=lambda: LIBC.prctl(1, signal.SIGTERM),
                                **kwargs)
        self.started.append((proc, group))
        log(f"started {label} (pid {proc.pid})")
        return proc

    def stop_all(self):
        while self.started:
            stop(*self.started.pop())


def stop(proc, group=False):
    if proc.poll() is None:
        proc.terminate()
        try:
            proc.wait(timeout=5)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait(timeout=5)
    if group:  # services the bus started on demand live in the group this process leads
        with contextlib.suppress(ProcessLookupError, PermissionError):
            os.killpg(proc.pid, signal.SIGTERM)


def first_line(proc, what):
    # The first line a process prints: its display or its device.
    line = proc.stdout.readline().decode().strip() if select.select([proc.stdout], [], [], 20)[0] else ""
    if not line:
        raise Failure(f"{what} printed nothing")
    return line


def start_xvfb(procs, env):
    proc = procs.start("Xvfb", ["Xvfb", "-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp",
                                "-noreset"], env=env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    return ":" + first_line(proc, "Xvfb")


def start_rigsim(procs, rigsim, family, work, env, freq=7026000, mode="LSB", log_name="rig.log"):
    argv = [rigsim, "--family", str(family), "--freq", str(freq), "--mode", mode, "--link", os.path.join(work, "rig"),
            "--log", os.path.join(work, log_name), "--status", os.path.join(work, "rig.status")]
    if family == 2:
        argv.append("--echo")  # a one-wire CI-V interface returns every byte it is sent
    # Answers in pieces, with noise before some, as a USB adapter and a noisy line deliver them; the
    # FT-897 acknowledges every set with a byte, and its answers come in two pieces.
    argv += ["--fragment", "3"] + (["--fragment-delay-ms", "15", "--garbage", "0.1", "--seed", "5"] if family != 3
                                   else ["--ft897-ack", "--fragment-delay-ms", "5"])
    proc = procs.start("rig simulator", argv, env=env, stdout=subprocess.PIPE,
                       stderr=open(os.path.join(work, "rigsim.err"), "ab"))
    return proc, first_line(proc, "the rig simulator")


def read_text(path):
    try:
        with open(path, encoding="utf-8", errors="replace") as f:
            return f.read()
    except FileNotFoundError:
        return ""


class Rig:
    # What the simulated rig received and where its dial is.
    def __init__(self, work, log_name="rig.log"):
        self.log_path, self.status_path = os.path.join(work, log_name), os.path.join(work, "rig.status")

    def status(self):
        match = re.match(r"freq=(\d+) mode=(\S+)", read_text(self.status_path))
        return (int(match.group(1)), match.group(2)) if match else None

    def frames(self):
        # The meanings of the frames received so far, in order (READ polls left out).
        meanings = [re.split(r"\s{2,}", line.strip())[-1] for line in read_text(self.log_path).splitlines()]
        return [m for m in meanings if m and not m.startswith("READ")]


def decoder_status(dx_call, rx_df, dial_hz):
    # A Status datagram as the decoder sends it when its operator double-clicks a decode.
    def text(value):
        return struct.pack(">I", len(value)) + value.encode("utf-8")
    return (struct.pack(">III", 0xADBCCBDA, 2, 1) + text("WSJT-X") + struct.pack(">Q", dial_hz) + text("JT65") +
            text(dx_call) + text("") + text("JT65") + bytes(3) + struct.pack(">II", rx_df, rx_df))


# The accessibility side


def fresh(acc):
    # Drops what the client library cached about acc, so the next read asks the program.
    with contextlib.suppress(Exception):
        acc.clear_cache()
    return acc


def walk(root, depth=0):
    try:
        children = [root.getChildAtIndex(i) for i in range(root.childCount)] if depth <= 40 else []
    except Exception:
        return
    for child in filter(None, children):
        yield child
        yield from walk(child, depth + 1)


def text_of(acc):
    return fresh(acc).queryText().getText(0, -1)


def press(acc):
    action = acc.queryAction()
    available = [action.getName(i) for i in range(action.nActions)]
    name = next((n for n in ("Press", "press", "click", "Toggle") if n in available), None)
    if name is None:
        raise Failure(f"{acc.description or acc.name}: no press action (has {available})")
    action.doAction(available.index(name))


class Session:
    def __init__(self, args):
        self.args, self.family, self.procs, self.scratch = args, args.family, Processes(), None

    def run(self):
        self.scratch = tempfile.mkdtemp(prefix=f"veltrane-e2e-f{self.family}-", dir=os.environ.get("TMPDIR") or None)
        names = {"HOME": "home", "XDG_RUNTIME_DIR": "runtime", "XDG_CONFIG_HOME": "config", "XDG_CACHE_HOME": "cache",
                 "TMPDIR": "tmp"}
        self.folders = {key: os.path.join(self.scratch, name) for key, name in names.items()}
        self.work = os.path.join(self.scratch, "work")
        for path in [self.work, *self.folders.values()]:
            os.makedirs(path, mode=0o700)
        self.env = {k: v for k, v in os.environ.items() if not k.startswith(("DBUS_", "AT_SPI", "QT_QPA", "DISPLAY"))}
        self.env.update(self.folders, LC_ALL=self.args.locale, TZ="UTC")
        self.display = start_xvfb(self.procs, self.env)
        self.xenv, self.x = dict(self.env, DISPLAY=self.display), xdisplay.Display(self.display)
        self.rig_proc, device = start_rigsim(self.procs, self.args.rigsim, self.family, self.work, self.env)
        log(f"display {self.display}, rig simulator (family {self.family}) on {device}, folder {self.work}")
        self.rig = Rig(self.work)
        self.start_program(device)
        # The accessibility library aborts the process when it cannot reach its bus (the program gone,
        # and its bus with it): try it in a child first, so that failure is reported and cleaned up.
        probe = "import pyatspi; pyatspi.Registry.getDesktop(0).childCount"
        if subprocess.run([sys.executable, "-c", probe], capture_output=True, timeout=30).returncode:
            raise Failure(f"the accessibility bus cannot be reached (program status {self.bus.poll()})")
        import pyatspi
        self.p = pyatspi
        for step in (self.sound_dialog, self.main_window, self.bands, self.import_and_set, self.decoder_link,
                     self.picture_clicks, self.reference, self.unplug_and_return, self.clock_and_display,
                     self.close_and_save_position):
            step()

    def start_program(self, device):
        # The checks read the Japanese captions: another locale keeps them with --language ja.
        language = [] if self.args.locale == "C.UTF-8" else ["--language", "ja"]
        with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as probe:  # a port nobody listens on
            probe.bind(("127.0.0.1", 0))
            self.decoder_port = probe.getsockname()[1]
        with open(os.path.join(self.work, "Init.cfg"), "wb") as f:
            f.write(f"MYCALL=TEST\r\nCAT={device}\r\nRIG= {self.family} \r\nRS232C=9600,N,8,1\r\nICOM=74\r\n"
                    f"CONTROL=E0\r\nDECODER=ON\r\nDECODERPORT={self.decoder_port}\r\n".encode("ascii"))
        address_file = os.path.join(self.scratch, "bus-address")
        # The shell writes the bus address for this driver, then runs the program in the session.
        script = 'printf "%s\\n" "$DBUS_SESSION_BUS_ADDRESS" > "$1.tmp" && mv "$1.tmp" "$1" && shift && exec "$@"'
        self.bus = self.procs.start("dbus-run-session with the program",
                                    ["dbus-run-session", "--", "/bin/sh", "-c", script, "sh", address_file,
                                     self.args.program] + language, group=True, cwd=self.work,
                                    env=dict(self.xenv, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb"),
                                    stdout=open(os.path.join(self.scratch, "program.out"), "wb"),
                                    stderr=subprocess.STDOUT)
        address = wait_for("the session bus address", lambda: read_text(address_file).strip(), 20)
        os.environ.update(self.folders, DBUS_SESSION_BUS_ADDRESS=address, DISPLAY=self.display)

    def main_x_windows(self):
        # The X server's top-level windows titled as the main window (there is no window manager).
        title = self.x.intern_atom("_NET_WM_NAME")
        return [w for w in self.x.screen().root.query_tree().children
                if str(w.get_full_text_property(title) or "").startswith(MAIN_TITLE_PREFIX)]

    def windows(self):
        desktop = self.p.Registry.getDesktop(0)
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

    def has_state(self, acc, state):
        return fresh(acc).getState().contains(state)

    def button_named(self, box, name):
        return next((b for b in walk(box) if b.getRole() == self.p.ROLE_PUSH_BUTTON and fresh(b).name == name), None)

    def extents(self, acc):
        box = acc.queryComponent().getExtents(self.p.DESKTOP_COORDS)
        return box.x, box.y, box.width, box.height

    def sound_dialog(self):
        dialog = wait_for("the sound-device dialog", lambda: self.window(lambda n: n == SOUND_DIALOG_TITLE), 30)
        names = [fresh(self.require(dialog, c)).name for c in ("Combo1", "Command1_0", "Command1_1", "lblDevice")]
        if not names[0].startswith("-1") or names[1:3] != ["設定完了", "中止"] or not names[3]:
            raise Failure(f"the sound-device dialog's list, buttons and device label read {names}")
        press(self.require(dialog, "Command1_0"))

    def main_window(self):
        self.main = wait_for("the main window", lambda: self.window(lambda n: n.startswith(MAIN_TITLE_PREFIX)), 30)
        title = fresh(self.main).name
        log(f"main window: {title}")
        if "TEST" not in title or "/CAT=" not in title:
            raise Failure(f"window title {title!r}")
        wait_for("the sound-device dialog to close", lambda: self.window(lambda n: n == SOUND_DIALOG_TITLE) is None)
        self.freq = self.require(self.main, "txtRigFreq", self.p.ROLE_TEXT)
        self.band = self.require(self.main, "Combo1")
        self.his, self.deff = (self.require(self.main, c, self.p.ROLE_TEXT) for c in ("txtHis", "txtDeffF"))
        self.set_button = self.require(self.main, "Command5")
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
        if "Error=53" not in [fresh(a).name for a in walk(note) if a.getRole() == self.p.ROLE_LABEL]:
            raise Failure("the first-start note does not say Error=53")
        press(self.button_named(note, "OK"))
        # The rig started on 7026 kHz in LSB: the display and the band list follow it.
        wait_for("the frequency display", lambda: text_of(self.freq), 20, "7026.000")
        wait_for("the band list", lambda: fresh(self.band).name, 10, "7MHz")

    def band_list_open(self):
        return any(acc.getRole() == self.p.ROLE_LIST and self.has_state(acc, self.p.STATE_SHOWING)
                   for acc in walk(self.band))

    def pick_band(self, band):
        # Opens the band list and chooses band with the keyboard, as an operator would.
        press(self.band)
        wait_for("the band list to open", self.band_list_open, 10)
        for key in [KEY_HOME] + [KEY_DOWN] * list(BANDS).index(band) + [KEY_RETURN]:
            self.p.Registry.generateKeyboardEvent(key, None, self.p.KEY_SYM)
        wait_for("the band list to close", lambda: not self.band_list_open(), 10)

    def expect_rig(self, what, before, hz, mode=None):
        # The rig moves to hz (in mode), says so in its frame log, and the display follows.
        wait_for(f"the rig after {what}", lambda: self.rig.status()[0 if mode is None else slice(0, 2)], 15,
                 hz if mode is None else (hz, mode))
        wait_for(f"the display after {what}", lambda: text_of(self.freq), 15, f"{hz // 1000}.{hz % 1000:03d}")
        sent = self.rig.frames()[before:]
        if f"SET FREQ {hz}" not in sent or (mode and f"SET MODE {mode}" not in sent):
            raise Failure(f"{what}: the rig received {sent}")
        log(f"{what}: rig received {sent}")

    def bands(self):
        for band in ("14MHz", "21MHz", "50MHz", "7MHz"):
            before = len(self.rig.frames())
            self.pick_band(band)
            self.expect_rig(f"picking {band}", before, BANDS[band], "USB")
            wait_for(f"the band list after picking {band}", lambda: fresh(self.band).name, 10, band)

    def set_frequency(self, what, before, hz):
        # Frequency set is enabled by the offset; pressing it moves the rig, then the offset is used up.
        wait_for("frequency set to be enabled", lambda: self.has_state(self.set_button, self.p.STATE_ENABLED))
        press(self.set_button)
        self.expect_rig(what, before, hz)
        wait_for("the offset after frequency set", lambda: text_of(self.deff), 10, "")
        wait_for("frequency set to be disabled", lambda: not self.has_state(self.set_button, self.p.STATE_ENABLED))

    def import_and_set(self):
        # -quiet keeps xclip in the foreground serving the selection, so it can be stopped by its pid.
        xclip = self.procs.start("xclip", ["xclip", "-quiet", "-selection", "clipboard", "-i"], env=self.xenv,
                                 stdin=subprocess.PIPE, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        xclip.stdin.write(DECODE_LINE.encode("utf-8"))
        xclip.stdin.close()
        wait_for("the clipboard", lambda: subprocess.run(["xclip", "-o", "-selection", "clipboard"], env=self.xenv,
                                                         capture_output=True, timeout=10).stdout.decode(), 15,
                 DECODE_LINE)
        press(self.require(self.main, "Command3"))
        wait_for("the other station's call and offset", lambda: (text_of(self.his), text_of(self.deff)), 15,
                 ("JA1XYZ", "-523"))
        self.set_frequency("frequency set", len(self.rig.frames()), 7_025_470 if self.family == 3 else 7_025_477)

    def decoder_link(self):
        # The decoder's operator double-clicks K1ABC at 1500 Hz: its Status brings the call and
        # the offset from the centre (1500 - 1270) as an import would; nothing moves the rig
        # until frequency set is pressed.
        start, before = self.rig.status()[0], len(self.rig.frames())
        status = decoder_status("K1ABC", 1500, start)
        with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as decoder:
            decoder.sendto(status, ("127.0.0.1", self.decoder_port))
        log(f"Status datagram to port {self.decoder_port}: {status.hex()}")
        wait_for("the decoder's call and offset", lambda: (text_of(self.his), text_of(self.deff)), 15, ("K1ABC", "230"))
        wait_for("frequency set to be enabled", lambda: self.has_state(self.set_button, self.p.STATE_ENABLED))
        log(f"txtHis {text_of(self.his)!r}, txtDeffF {text_of(self.deff)!r}; the rig received {self.rig.frames()[before:]}")
        if any(f.startswith("SET") for f in self.rig.frames()[before:]):
            raise Failure(f"the decoder's Status alone moved the rig: {self.rig.frames()[before:]}")
        self.set_frequency("frequency set from the decoder", before,
                           (start + 230) // 10 * 10 if self.family == 3 else start + 230)

    def picture_clicks(self):
        # The picture spans 2000 Hz around the dial: a quarter of the way in is 500 Hz away (give or
        # take a few pixels of 3.3 Hz each); the FT-897 in LSB takes the offset the other way.
        x, y, width, height = self.extents(self.require(self.main, "Picture1"))
        for side, fraction in (("left", 0.25), ("right", 0.75)):
            start, before = self.rig.status()[0], len(self.rig.frames())
            for event, detail in ((X.MotionNotify, 0), (X.ButtonPress, 1), (X.ButtonRelease, 1)):
                xtest.fake_input(self.x, event, detail, x=x + int(width * fraction), y=y + height // 2)
            self.x.sync()
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
        wait_for("the display after the device came back", lambda: text_of(self.freq), 30, "21076.000")
        wait_for("the band list after the device came back", lambda: fresh(self.band).name, 10, "21MHz")
        # Any message box open now (a line error while the device was away) is answered with OK, as
        # the operator would.
        boxes = [a for a in walk(self.main) if a.getRole() in (self.p.ROLE_DIALOG, self.p.ROLE_ALERT)]
        for box in boxes + [w for w in self.windows() if not fresh(w).name.startswith(MAIN_TITLE_PREFIX)]:
            if button := self.button_named(box, "OK"):
                log(f"message box {fresh(box).name!r} answered with OK")
                press(button)
        self.pick_band("7MHz")
        self.expect_rig("picking 7MHz again", 0, BANDS["7MHz"], "USB")

    def clock_and_display(self):
        jst, utc, fft, wf = (self.require(self.main, c) for c in ("Option1_0", "Option1_1", "Option2_0", "Option2_1"))
        checked = lambda acc: self.has_state(acc, self.p.STATE_CHECKED)
        if not checked(fft) or checked(wf):
            raise Failure("the display mode should start on FFT")
        # The clock label speaks its own text: local time marked J, then UTC as yyyy/MM/dd h:mm:ss U.
        clock = self.require(self.main, "lbTime")
        if not re.search(r"  \d{1,2}:\d{2}:\d{2}J$", fresh(clock).name or ""):
            raise Failure(f"the clock reads {clock.name!r}, expected the local time marked J")
        press(utc)
        wait_for("the clock to show UTC",
                 lambda: re.fullmatch(r"\d{4}/\d{2}/\d{2}  \d{1,2}:\d{2}:\d{2}U", fresh(clock).name or ""), 10)
        press(wf)
        wait_for("WF to be checked", lambda: checked(wf), 10)
        if checked(jst) or checked(fft):
            raise Failure("JST or FFT still checked after choosing UTC and WF")

    def close_and_save_position(self):
        position = os.path.join(self.work, "MyVeltraneData.dat")
        if os.path.exists(position):
            raise Failure("the position file exists before the window was closed")
        # The operator drags the window elsewhere (there is no window manager: move it directly).
        moved_to = (200, 150)
        for window in self.main_x_windows():
            window.configure(x=moved_to[0], y=moved_to[1])
        self.x.sync()
        wait_for("the main window's place", lambda: self.extents(self.main)[:2], 10, moved_to)
        # WM_DELETE_WINDOW, which is what a window manager's close button sends.
        protocols, delete = (self.x.intern_atom(name) for name in ("WM_PROTOCOLS", "WM_DELETE_WINDOW"))
        for window in self.main_x_windows():
            window.send_event(protocol.event.ClientMessage(window=window, client_type=protocols,
                                                           data=(32, [delete, X.CurrentTime, 0, 0, 0])))
        self.x.flush()
        # The last window closed ends the program, and with it the bus session.
        wait_for("the program to end", lambda: self.bus.poll() is not None, 20)
        if self.bus.returncode != 0:
            raise Failure(f"the program ended with status {self.bus.returncode}")
        with open(position, "rb") as f:
            content = f.read()
        # The file keeps the window's place in twips: 15 to a pixel on the 96 dpi screen of Xvfb.
        saved = dict(re.findall(rb"^(TOP|LEFT)=\s*(-?\d+)\s*$", content, re.M))
        if any(abs(int(saved.get(key, -99)) - px * 15) > 15 for key, px in zip((b"LEFT", b"TOP"), moved_to)):
            raise Failure(f"MyVeltraneData.dat holds {content!r}, the window was at {moved_to} px")
        log(f"position file written: {content!r}")

    def report_failure(self):
        for name in ("program.out", "work/rig.log", "work/rigsim.err"):
            if self.scratch and (lines := read_text(os.path.join(self.scratch, name)).splitlines()):
                log(f"--- last lines of {name}:")
                print("\n".join("    " + line for line in lines[-40:]))
        if getattr(self, "display", None) and shutil.which("import"):
            shot = os.path.join(self.scratch, "failure.png")
            subprocess.run(["import", "-window", "root", shot], env=self.xenv, capture_output=True, timeout=20)
            log(f"screenshot: {shot}")


def missing_tools():
    missing = [tool for tool in ("Xvfb", "dbus-run-session", "xclip") if shutil.which(tool) is None]
    if subprocess.run([sys.executable, "-c", "import pyatspi"], capture_output=True).returncode != 0:
        missing.append("pyatspi")
    return missing + ([] if X else ["python3-xlib"])


def main():
    parser = argparse.ArgumentParser(description="One operator session with the real program.")
    parser.add_argument("--program", required=True)
    parser.add_argument("--rigsim", required=True)
    parser.add_argument("--family", type=int, choices=range(4), required=True)
    parser.add_argument("--keep", action="store_true", help="keep the scratch folder")
    parser.add_argument("--locale", default="C.UTF-8", help="the program's locale (LC_ALL)")
    args = parser.parse_args()
    if missing := missing_tools():
        print(f"SKIP: missing {', '.join(missing)}")
        return 77

    # A run stopped from outside (ctest's timeout, Ctrl-C) still stops what it started.
    def interrupted(signum, _frame):
        raise Failure(f"interrupted by signal {signum}")

    signal.signal(signal.SIGTERM, interrupted)
    signal.signal(signal.SIGINT, interrupted)
    session, status = Session(args), 1
    try:
        session.run()
        status = 0
        log(f"family {args.family}: PASS")
    except Exception as failure:
        log(f"family {args.family}: FAIL: {failure}")
        if not isinstance(failure, Failure):
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
