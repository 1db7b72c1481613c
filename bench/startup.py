#!/usr/bin/env python3
# SPDX-FileCopyrightText: 2026 МОРВ developers
# SPDX-License-Identifier: GPL-3.0-or-later
"""Start-up of the program against a bare Qt window of the same size, under a private Xvfb.

Each launch is timed from just before the process is started until the X server reports its
top-level window mapped (a MapNotify on the root window whose _NET_WM_PID is the launched process),
read through a direct Xlib connection, so the time is accurate to well under a millisecond. The peak
resident memory (VmHWM) is read at that moment, and once more after the first paints have settled.
The two programs are launched alternately, after untimed warm-up launches, so that both see the
same caches and the same load on the machine.

    bench/startup.py [--build build/default] [-n 20] [--display :N] [--check]

Standard library only. --check exits 1 when a goal is missed: start-up at most 1.05 times the bare
window's, peak memory at most the bare window's plus 1.5 MB.

bench/shown_window, when built, is launched in turn with the two: the program's window with the first
question's texts and figure, made of Qt's own widgets with no test read. It tells what the window's
content costs by itself, so the program's own share is the rest.
"""
import argparse
import ctypes
import ctypes.util
import os
import platform
import select
import shutil
import statistics
import subprocess
import sys
import time

MAP_NOTIFY = 19
SUBSTRUCTURE_NOTIFY_MASK = 1 << 19
XA_CARDINAL = 6

TIME_GOAL = 1.05  # the program's median start-up against the bare window's
MEMORY_GOAL_KB = 1536  # peak memory the program may use above the bare window


class XMapEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("event", ctypes.c_ulong), ("window", ctypes.c_ulong),
                ("override_redirect", ctypes.c_int)]


class XEvent(ctypes.Union):
    _fields_ = [("type", ctypes.c_int), ("xmap", XMapEvent), ("pad", ctypes.c_long * 24)]


def load_xlib():
    name = ctypes.util.find_library("X11") or "libX11.so.6"
    x = ctypes.CDLL(name)
    x.XOpenDisplay.restype = ctypes.c_void_p
    x.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x.XCloseDisplay.argtypes = [ctypes.c_void_p]
    x.XDefaultRootWindow.restype = ctypes.c_ulong
    x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    x.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
    x.XFlush.argtypes = [ctypes.c_void_p]
    x.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
    x.XConnectionNumber.argtypes = [ctypes.c_void_p]
    x.XPending.argtypes = [ctypes.c_void_p]
    x.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.POINTER(XEvent)]
    x.XInternAtom.restype = ctypes.c_ulong
    x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x.XGetWindowProperty.argtypes = [
        ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_long, ctypes.c_long, ctypes.c_int,
        ctypes.c_ulong, ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.c_int),
        ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.c_ulong),
        ctypes.POINTER(ctypes.POINTER(ctypes.c_ubyte))]
    x.XFree.argtypes = [ctypes.c_void_p]
    return x


# A window that is gone before its property is read must not end the measurement.
ERROR_HANDLER_TYPE = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)
IGNORE_ERRORS = ERROR_HANDLER_TYPE(lambda display, error: 0)


class Watcher:
    """Sees every top-level window that is mapped on the display."""

    def __init__(self, xlib, display_name):
        self.x = xlib
        self.dpy = xlib.XOpenDisplay(display_name.encode())
        if not self.dpy:
            raise RuntimeError(f"cannot open display {display_name}")
        xlib.XSetErrorHandler(IGNORE_ERRORS)
        xlib.XSelectInput(self.dpy, xlib.XDefaultRootWindow(self.dpy), SUBSTRUCTURE_NOTIFY_MASK)
        xlib.XSync(self.dpy, 0)
        self.fd = xlib.XConnectionNumber(self.dpy)
        self.pid_atom = xlib.XInternAtom(self.dpy, b"_NET_WM_PID", 0)

    def drain(self):
        event = XEvent()
        while self.x.XPending(self.dpy):
            self.x.XNextEvent(self.dpy, ctypes.byref(event))

    def window_pid(self, window):
        kind, fmt = ctypes.c_ulong(), ctypes.c_int()
        count, after = ctypes.c_ulong(), ctypes.c_ulong()
        data = ctypes.POINTER(ctypes.c_ubyte)()
        status = self.x.XGetWindowProperty(self.dpy, window, self.pid_atom, 0, 1, 0, XA_CARDINAL,
                                           ctypes.byref(kind), ctypes.byref(fmt), ctypes.byref(count),
                                           ctypes.byref(after), ctypes.byref(data))
        pid = None
        if status == 0 and data:
            if fmt.value == 32 and count.value == 1:
                pid = ctypes.cast(data, ctypes.POINTER(ctypes.c_ulong))[0]
            self.x.XFree(data)
        return pid

    def wait_for_map(self, pid, deadline):
        """The monotonic time in ns at which a top-level window of pid was mapped."""
        event = XEvent()
        while True:
            while self.x.XPending(self.dpy):
                self.x.XNextEvent(self.dpy, ctypes.byref(event))
                if event.type == MAP_NOTIFY and not event.xmap.override_redirect:
                    seen = time.perf_counter_ns()
                    if self.window_pid(event.xmap.window) == pid:
                        return seen
            left = deadline - time.monotonic()
            if left <= 0:
                raise TimeoutError(f"process {pid} mapped no window")
            select.select([self.fd], [], [], left)

    def close(self):
        self.x.XCloseDisplay(self.dpy)


def free_display():
    for n in range(90, 400):
        if not os.path.exists(f"/tmp/.X11-unix/X{n}") and not os.path.exists(f"/tmp/.X{n}-lock"):
            return f":{n}"
    raise RuntimeError("no free X display number")


def start_xvfb(xlib):
    if not shutil.which("Xvfb"):
        sys.exit("startup.py: Xvfb is missing (Debian package xvfb)")
    display = free_display()
    # -noreset: the server must not start over each time its last client, a launched program, ends.
    server = subprocess.Popen(
        ["Xvfb", display, "-screen", "0", "1280x1024x24", "-nolisten", "tcp", "-noreset"],
        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    deadline = time.monotonic() + 15
    while time.monotonic() < deadline:
        if server.poll() is not None:
            sys.exit(f"startup.py: Xvfb {display} ended at once")
        dpy = xlib.XOpenDisplay(display.encode())
        if dpy:
            xlib.XCloseDisplay(dpy)
            # Another server that took the number first would have made this one end.
            time.sleep(0.1)
            if server.poll() is None:
                return display, server
            sys.exit(f"startup.py: display {display} was taken meanwhile; run again")
        time.sleep(0.01)
    server.kill()
    sys.exit(f"startup.py: Xvfb {display} did not come up")


def memory_kb(pid):
    """Peak (VmHWM) and current (VmRSS) resident memory of pid, in kB."""
    values = {}
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            key, _, rest = line.partition(":")
            if key in ("VmHWM", "VmRSS"):
                values[key] = int(rest.split()[0])
    return values["VmHWM"], values["VmRSS"]


def cpu_ms(pid):
    """CPU time all threads of pid have run so far, in ms (the scheduler's own count, in ns)."""
    total = 0
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{task}/schedstat") as stat:
                total += int(stat.read().split()[0])
        except OSError:
            pass
    return total / 1e6


def launch(program, env, watcher, settle_s):
    watcher.drain()
    start = time.perf_counter_ns()
    proc = subprocess.Popen([program], env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    try:
        mapped = watcher.wait_for_map(proc.pid, time.monotonic() + 20)
        peak_at_map, _ = memory_kb(proc.pid)
        cpu = cpu_ms(proc.pid)
        time.sleep(settle_s)
        peak_settled, _ = memory_kb(proc.pid)
    finally:
        proc.kill()
        proc.wait()
    return (mapped - start) / 1e6, peak_at_map, peak_settled, cpu


def describe(values, unit, digits):
    ordered = sorted(values)
    p90 = ordered[min(len(ordered) - 1, int(round(0.9 * (len(ordered) - 1))))]
    return (f"median {statistics.median(values):.{digits}f} {unit}  min {ordered[0]:.{digits}f}  "
            f"p90 {p90:.{digits}f}  max {ordered[-1]:.{digits}f}")


def machine():
    model = ""
    try:
        with open("/proc/cpuinfo") as info:
            model = next((l.split(":", 1)[1].strip() for l in info if l.startswith("model name")), "")
    except OSError:
        pass
    load = " ".join(f"{v:.2f}" for v in os.getloadavg())
    return f"{os.cpu_count()} CPUs, {model or platform.machine()}, load average {load}"


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default=os.path.join(root, "build", "default"),
                        help="build folder holding morv and bench/bare_window")
    parser.add_argument("-n", "--runs", type=int, default=20, help="timed launches of each program")
    parser.add_argument("--warmup", type=int, default=2, help="untimed launches of each program first")
    parser.add_argument("--settle", type=float, default=0.3,
                        help="seconds after the map at which the peak memory is read again")
    parser.add_argument("--display", help="use this X display instead of a private Xvfb")
    parser.add_argument("--check", action="store_true", help="exit 1 when a goal is missed")
    parser.add_argument("--program", help="measure this program instead of BUILD/morv (a packed test, say)")
    args = parser.parse_args()

    programs = {"bare window": os.path.join(args.build, "bench", "bare_window"),
                "morv": args.program or os.path.join(args.build, "morv")}
    for name, path in programs.items():
        if not os.access(path, os.X_OK):
            sys.exit(f"startup.py: {path} is missing: build the targets morv and bare_window first")
    shown = os.path.join(args.build, "bench", "shown_window")
    if os.access(shown, os.X_OK):
        programs["shown window"] = shown

    xlib = load_xlib()
    server = None
    display = args.display
    if not display:
        display, server = start_xvfb(xlib)
    env = {k: v for k, v in os.environ.items() if k not in ("WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
    env["DISPLAY"] = display
    env["QT_QPA_PLATFORM"] = "xcb"

    results = {name: [] for name in programs}
    watcher = None
    try:
        watcher = Watcher(xlib, display)
        for _ in range(args.warmup):
            for path in programs.values():
                launch(path, env, watcher, 0)
        names = list(programs)
        for i in range(args.runs):
            # Rotate which program goes first, so none always follows another.
            shift = i % len(names)
            for name in names[shift:] + names[:shift]:
                results[name].append(launch(programs[name], env, watcher, args.settle))
    finally:
        if watcher:
            watcher.close()
        if server:
            server.terminate()
            server.wait()

    print(f"machine: {machine()}")
    print(f"display: {display}{' (private Xvfb)' if server else ''}, {args.runs} launches each "
          f"after {args.warmup} warm-up launches")
    medians = {}
    for name, runs in results.items():
        times = [r[0] for r in runs]
        at_map = [r[1] / 1024 for r in runs]
        settled = [r[2] / 1024 for r in runs]
        cpu = [r[3] for r in runs]
        medians[name] = (statistics.median(times), statistics.median(at_map), statistics.median(settled),
                         statistics.median(cpu))
        print(f"{name}:")
        print(f"  launch -> window mapped:       {describe(times, 'ms', 1)}")
        print(f"  CPU time used by then:         {describe(cpu, 'ms', 1)}")
        print(f"  peak memory at the map:        {describe(at_map, 'MB', 1)}")
        print(f"  peak memory {args.settle:.1f} s later:     {describe(settled, 'MB', 1)}")
    bare, morv = medians["bare window"], medians["morv"]
    ratio = morv[0] / bare[0]
    extra_map = morv[1] - bare[1]
    extra_settled = morv[2] - bare[2]
    time_ok = ratio <= TIME_GOAL
    memory_ok = max(extra_map, extra_settled) * 1024 <= MEMORY_GOAL_KB
    print(f"start-up ratio morv / bare window: {ratio:.2f} (goal <= {TIME_GOAL}) "
          f"{'met' if time_ok else 'MISSED'}; CPU time ratio {morv[3] / bare[3]:.2f}")
    print(f"peak memory above the bare window: {extra_map:+.1f} MB at the map, {extra_settled:+.1f} MB "
          f"settled (goal <= +{MEMORY_GOAL_KB / 1024:.1f} MB) {'met' if memory_ok else 'MISSED'}")
    if "shown window" in medians:
        content = medians["shown window"]
        print(f"the same window in Qt's own widgets / bare window: {content[0] / bare[0]:.2f}, CPU time "
              f"{content[3] / bare[3]:.2f}, memory {content[1] - bare[1]:+.1f} MB at the map, "
              f"{content[2] - bare[2]:+.1f} MB settled")
        print(f"morv / the same window in Qt's own widgets: {morv[0] / content[0]:.2f}, CPU time "
              f"{morv[3] / content[3]:.2f}, memory {morv[1] - content[1]:+.1f} MB at the map, "
              f"{morv[2] - content[2]:+.1f} MB settled")
    if args.check and not (time_ok and memory_ok):
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
