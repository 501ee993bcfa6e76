#!/usr/bin/python3
"""Start-up of Mensurio beside a bare Qt window, on a private X server.

Starts the bare window (bench/bare_window) and the real program turn about, each with
private home, runtime, config, data and cache folders, and reports for each the medians of: the time from start until
its window is mapped, until its first frame is complete (the last drawing of the burst
that follows the mapping), the processor time spent until the mapping, and the resident
and anonymous memory half a second after it; then Mensurio's figures as ratios of the
bare window's. Then, in Mensurio only: a pair window's first showing and a hidden one's
showing again, from the click to the painted window, and a keystroke in it, from the key
press until both fields are painted; and the memory with all 22 pair windows open.

The X server itself tells the times: the root window's MapNotify (SubstructureNotify)
marks the mapping, and its DAMAGE events mark every drawing on the screen.

Usage: bench/startup.py [build-folder] [rounds]      (defaults: build-bench, 15)
"""

import os
import select
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

from Xlib import X, display as xdisplay
from Xlib.ext import damage, xtest

QUIET = 0.3  # seconds without drawing that end a frame
WARM_UP = 2  # rounds not counted: the first starts fill the file cache


def start_xvfb():
    read_end, write_end = os.pipe()
    server = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x800x24", "-nolisten", "tcp"],
        pass_fds=(write_end,), stderr=subprocess.DEVNULL)
    os.close(write_end)
    number = b""
    while not number.endswith(b"\n"):
        chunk = os.read(read_end, 16)
        if not chunk:
            sys.exit("Xvfb did not start")
        number += chunk
    os.close(read_end)
    return server, ":" + number.decode().strip()


class Coverage:
    """Which pixels of a rectangle the drawings have reached."""

    def __init__(self, x, y, width, height):
        self.x, self.y, self.width = x, y, width
        self.rows = [bytearray(width) for _ in range(height)]

    def add(self, x, y, width, height):
        left, right = max(x, self.x) - self.x, min(x + width, self.x + self.width) - self.x
        top, bottom = max(y, self.y) - self.y, min(y + height, self.y + len(self.rows)) - self.y
        if left < right and top < bottom:
            for row in self.rows[top:bottom]:
                row[left:right] = b"\1" * (right - left)

    def complete(self):
        return all(0 not in row for row in self.rows)


class Screen:
    """The root window's mappings and drawings, each stamped on arrival."""

    def __init__(self, name):
        self.display = xdisplay.Display(name)
        self.root = self.display.screen().root
        self.root.change_attributes(event_mask=X.SubstructureNotifyMask)
        self.display.damage_query_version()
        self.root.damage_create(damage.DamageReportRawRectangles)
        self.damage_event = (self.display.query_extension(damage.extname).first_event +
                             damage.DamageNotifyCode)
        self.display.sync()

    def events(self, timeout):
        """Yields (arrival time, event) until timeout seconds pass without any."""
        fd = self.display.fileno()
        while True:
            if not self.display.pending_events():
                ready, _, _ = select.select([fd], [], [], timeout)
                if not ready:
                    return
            event = self.display.next_event()
            yield time.monotonic(), event

    def wait_map(self, timeout=30):
        for stamp, event in self.events(timeout):
            if event.type == X.MapNotify and not event.override:
                return stamp, event.window
        sys.exit("no window was mapped")

    def frame_end(self, after, quiet=None):
        """The arrival of the last drawing before the screen falls quiet for quiet seconds
        (QUIET unless given)."""
        last = after
        for stamp, event in self.events(QUIET if quiet is None else quiet):
            if event.type == self.damage_event:
                last = stamp
        return last

    def drawing_end(self, quiet, timeout=60):
        """The arrival of the last drawing of the next burst: waits for its first drawing,
        then until the screen has been quiet for quiet seconds."""
        for stamp, event in self.events(timeout):
            if event.type == self.damage_event:
                return self.frame_end(stamp, quiet)
        sys.exit("nothing was drawn")

    def events_until(self, deadline):
        """Yields (arrival time, event) until the deadline (time.monotonic()) passes."""
        fd = self.display.fileno()
        while True:
            if not self.display.pending_events():
                ready, _, _ = select.select([fd], [], [], max(0.0, deadline - time.monotonic()))
                if not ready:
                    return
            event = self.display.next_event()
            yield time.monotonic(), event

    def wait_drawn(self, what, timeout, covered=(), touched=()):
        """Waits until the drawings on the screen have covered each area of covered whole and
        reached into each area of touched (areas as x, y, width, height on the root window),
        and returns the arrival of the drawing that completed them. Exits with a message when
        timeout seconds pass first: a stretch that did not see what it waits for has no figure."""
        wholes = [Coverage(*area) for area in covered]
        reached = [False] * len(touched)
        for stamp, event in self.events_until(time.monotonic() + timeout):
            if event.type != self.damage_event:
                continue
            a = event.area
            for whole in wholes:
                whole.add(a.x, a.y, a.width, a.height)
            for i, (x, y, width, height) in enumerate(touched):
                reached[i] |= (a.x < x + width and x < a.x + a.width and a.y < y + height and
                               y < a.y + a.height)
            if all(reached) and all(whole.complete() for whole in wholes):
                self.server_time = event.timestamp  # the X server's milliseconds
                return stamp
        sys.exit(f"{what}: not drawn within {timeout} s; the stretch is rejected, no figure")

    def drawn_in(self, area, after, within):
        """Whether a drawing that the X server stamped later than after (its milliseconds)
        reaches into area, among the events that come within `within` seconds."""
        x, y, width, height = area
        for _, event in self.events_until(time.monotonic() + within):
            if event.type != self.damage_event or event.timestamp <= after:
                continue
            a = event.area
            if a.x < x + width and x < a.x + a.width and a.y < y + height and y < a.y + a.height:
                return True
        return False

    def drain(self, quiet=None):
        for _ in self.events(QUIET if quiet is None else quiet):
            pass

    def click(self, x, y, quiet=None):
        xtest.fake_input(self.display, X.MotionNotify, x=x, y=y)
        self.display.sync()
        time.sleep(0.05)
        self.drain(quiet)
        xtest.fake_input(self.display, X.ButtonPress, 1)
        stamp = time.monotonic()
        xtest.fake_input(self.display, X.ButtonRelease, 1)
        self.display.sync()
        return stamp

    def key(self, keysym):
        code = self.display.keysym_to_keycode(keysym)
        xtest.fake_input(self.display, X.KeyPress, code)
        stamp = time.monotonic()
        xtest.fake_input(self.display, X.KeyRelease, code)
        self.display.sync()
        return stamp

    def origin(self, window):
        where = window.translate_coords(self.root, 0, 0)
        return -where.x, -where.y


def cpu_seconds(pid):
    """Processor time of every thread of the process so far."""
    total = 0
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{task}/schedstat") as f:
                total += int(f.read().split()[0])
        except OSError:
            pass  # the thread ended meanwhile
    return total / 1e9


def memory_kb(pid):
    values = {}
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            key, _, rest = line.partition(":")
            if key in ("VmRSS", "RssAnon"):
                values[key] = int(rest.split()[0])
    return values["VmRSS"], values["RssAnon"]


def private_environment(scratch, display):
    """The environment of one start: a home, runtime, config, data and cache folder of its
    own, so that neither what else runs on the machine nor an earlier start (a notepad, a
    settings or cache file) changes what the start does."""
    top = tempfile.mkdtemp(dir=scratch)
    folders = {}
    for variable, name in (("HOME", "home"), ("XDG_RUNTIME_DIR", "runtime"),
                           ("XDG_CONFIG_HOME", "config"), ("XDG_DATA_HOME", "data"),
                           ("XDG_CACHE_HOME", "cache")):
        folders[variable] = os.path.join(top, name)
        os.mkdir(folders[variable], 0o700)
    return dict(os.environ, DISPLAY=display, **folders)


class Run:
    """One started program; ends it when left."""

    def __init__(self, screen, program, scratch):
        self.screen = screen
        env = private_environment(scratch, screen.display.get_display_name())
        self.start = time.monotonic()
        self.process = subprocess.Popen([program], env=env, cwd=os.path.dirname(program))

    def __enter__(self):
        return self

    def __exit__(self, *_):
        self.process.terminate()
        self.process.wait()
        self.screen.drain()

    def measure(self):
        mapped, self.window = self.screen.wait_map()
        cpu = cpu_seconds(self.process.pid)
        painted = self.screen.frame_end(mapped)
        time.sleep(max(0.0, mapped + 0.5 - time.monotonic()))
        rss, anon = memory_kb(self.process.pid)
        return {"map": (mapped - self.start) * 1e3, "frame": (painted - self.start) * 1e3,
                "cpu": cpu * 1e3, "rss": rss, "anon": anon}


# Where the parts clicked are, in pixels of their windows (twips / 15, plus the main
# window's menu bar): the Weight1 entry of the main window, the pair window's close
# picture and its Var1 field.
WEIGHT1_ENTRY = (110, 157)
CLOSE_PICTURE = (329, 15)
VAR1_FIELD = (200, 121)
# Every pair's entry, by the frames' label columns and rows: weight, area, temperature in
# the upper frames, length and volume in the lower ones.
PAIR_ENTRIES = ([(110, 157 + 14 * row) for row in range(5)] +
                [(340, 157 + 14 * row) for row in range(5)] +
                [(590, 157 + 14 * row) for row in range(3)] +
                [(110, 298 + 14 * row) for row in range(5)] +
                [(340, 298 + 14 * row) for row in range(4)])


def pair_window(screen, program, scratch):
    """Click to painted for a first and a repeated showing, and a keystroke's drawing."""
    with Run(screen, program, scratch) as run:
        run.measure()
        x, y = screen.origin(run.window)
        clicked = screen.click(x + WEIGHT1_ENTRY[0], y + WEIGHT1_ENTRY[1])
        mapped, window = screen.wait_map(5)
        first = (screen.frame_end(mapped) - clicked) * 1e3
        px, py = screen.origin(window)
        screen.click(px + CLOSE_PICTURE[0], py + CLOSE_PICTURE[1])
        screen.drain()
        clicked = screen.click(x + WEIGHT1_ENTRY[0], y + WEIGHT1_ENTRY[1])
        mapped, _ = screen.wait_map(5)
        again = (screen.frame_end(mapped) - clicked) * 1e3
        screen.click(px + VAR1_FIELD[0], py + VAR1_FIELD[1])
        screen.drain()
        pressed = screen.key(ord("7"))
        keystroke = (screen.frame_end(pressed) - pressed) * 1e3
        return {"first showing": first, "showing again": again, "keystroke": keystroke}


def all_pair_windows(screen, program, scratch):
    """Resident and anonymous memory with the main window alone, then with all 22 pair
    windows shown. Each pair window is moved off the main window as it appears (there is no
    window manager to place it), so the next entry can be clicked."""
    with Run(screen, program, scratch) as run:
        alone = run.measure()
        x, y = screen.origin(run.window)
        shown = set()
        for entry_x, entry_y in PAIR_ENTRIES:
            screen.click(x + entry_x, y + entry_y)
            _, window = screen.wait_map(5)
            shown.add(window.id)
            window.configure(x=1230, y=0)
            screen.display.sync()
            screen.drain()
        if len(shown) != len(PAIR_ENTRIES):
            sys.exit(f"{len(shown)} pair windows shown, not {len(PAIR_ENTRIES)}")
        time.sleep(0.5)
        rss, anon = memory_kb(run.process.pid)
        return {"main window alone": (alone["rss"], alone["anon"]),
                "with all 22 pair windows": (rss, anon)}


def main():
    build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build-bench")
    rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 15
    programs = {"bare window": os.path.join(build, "bench", "bare_window"),
                "Mensurio": os.path.join(build, "mensurio")}
    for path in programs.values():
        if not os.access(path, os.X_OK):
            sys.exit(f"No program at {path}; build it first.")
    if not shutil.which("Xvfb"):
        sys.exit("Xvfb is missing (see tools/packages.sh).")

    server, name = start_xvfb()
    scratch = tempfile.mkdtemp()
    try:
        screen = Screen(name)
        figures = {program: [] for program in programs}
        for round_ in range(WARM_UP + rounds):
            # Turn about, and each in first place every other round, so that neither gains
            # from the other's traces in the caches.
            order = list(programs) if round_ % 2 == 0 else list(reversed(programs))
            for program in order:
                with Run(screen, programs[program], scratch) as run:
                    result = run.measure()
                if round_ >= WARM_UP:
                    figures[program].append(result)
        report(figures, rounds)

        pair = [pair_window(screen, programs["Mensurio"], scratch) for _ in range(5)]
        print(f"\nMensurio's pair window Weight1, median of {len(pair)} runs:")
        for key in pair[0]:
            print(f"  {key:<40} {statistics.median(r[key] for r in pair):8.1f} ms")

        memory = [all_pair_windows(screen, programs["Mensurio"], scratch) for _ in range(3)]
        print(f"\nMensurio's memory, median of {len(memory)} runs (resident, anonymous):")
        for key in memory[0]:
            rss = statistics.median(r[key][0] for r in memory)
            anon = statistics.median(r[key][1] for r in memory)
            print(f"  {key:<40} {rss:8,} kB {anon:8,} kB")
    finally:
        server.terminate()
        server.wait()
        shutil.rmtree(scratch, ignore_errors=True)


def report(figures, rounds):
    rows = [("map", "start to window mapped", "ms"),
            ("frame", "start to first complete frame", "ms"),
            ("cpu", "processor time to map", "ms"),
            ("rss", "resident memory 0.5 s after map", "kB"),
            ("anon", "anonymous memory 0.5 s after map", "kB")]
    print(f"Medians of {rounds} rounds each (load average {os.getloadavg()[0]:.2f}):")
    print(f"  {'':<36} {'bare window':>12} {'Mensurio':>12} {'ratio':>7}")
    for key, text, unit in rows:
        bare = statistics.median(r[key] for r in figures["bare window"])
        ours = statistics.median(r[key] for r in figures["Mensurio"])
        print(f"  {text + ', ' + unit:<36} {bare:12.1f} {ours:12.1f} {ours / bare:7.3f}")


if __name__ == "__main__":
    main()
