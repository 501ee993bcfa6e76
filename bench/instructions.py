#!/usr/bin/python3
"""Instructions of a start of the bare window and of Mensurio, counted by callgrind.

The times that startup.py reports move by ten per cent from run to run on a shared
machine; instruction counts do not. Each program runs once under callgrind on a private
Xvfb, with private home, runtime, config, data and cache folders. The count is dumped when
the root window sees the window mapped and again once the first frame has covered the
whole window and the screen has been quiet for two seconds after it: the instructions until
the mapping, from the mapping to idle, and in all, with Mensurio's ratios to the bare
window. Then, in Mensurio: the pair window Weight1's first showing from the click until it
is painted whole, and two keystrokes in its Var1 field until both fields are repainted.

Each stretch ends when the X server has seen the drawing it waits for (DAMAGE events), not
after a fixed time, so a busy machine only makes the run slower. A stretch that sees no such
drawing in time, or a keystroke whose count may hold a blink of the text cursor, ends the
run with a message instead of a figure.

Usage: bench/instructions.py [build-folder]      (default: build-bench)
"""

import os
import shutil
import subprocess
import sys
import tempfile

import startup


def totals(path):
    with open(path) as f:
        for line in f:
            if line.startswith("totals:"):
                return int(line.split()[1])
    sys.exit(f"no totals in {path}")


def dump(process, name):
    # vgdb itself rather than callgrind_control, a script around it: the dump is written a
    # tenth of a second after the request instead of a fifth.
    subprocess.run(["vgdb", f"--pid={process.pid}", "--max-invoke-ms=1", "dump", name],
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)


# Where Weight1's fields lie in its window, in pixels (the program's twips / 15).
VAR1_RECT = (60, 112, 271, 19)
VAR2_RECT = (60, 138, 271, 19)
# Timeouts under valgrind, which runs a program some fifty times slower, in seconds.
MAP_TIMEOUT = 120
DRAWING_TIMEOUT = 60
# A focused text field's cursor blinks every half second, each blink some 130,000
# instructions. The field restarts the blinking as it takes a key, so the next blink draws
# half a second after the key's repaint. A keystroke's count is taken as soon as the repaint
# is seen; a blink drawn before the count was taken, told by the X server's time stamps,
# rejects it.
REPAINT_BURST = 100  # ms: the damage of one repaint comes within this
# The quiet after the awaited drawing that lets its burst end; shorter than a blink.
BURST_END = 0.1


def window_area(screen, window):
    x, y = screen.origin(window)
    geometry = window.get_geometry()
    return x, y, geometry.width, geometry.height


def count(screen, program, scratch, pair_window=False):
    """The instructions of each stretch of a start: until the mapping, from the mapping until
    idle and, with pair_window, a pair window's first showing until painted and a keystroke
    in it until both fields are painted. Each stretch ends when the drawing it waits for has
    been seen, a stretch that saw none ends the run with a message. callgrind starts counting
    afresh at each dump."""
    out = os.path.join(scratch, os.path.basename(program) + ".callgrind")
    env = startup.private_environment(scratch, screen.display.get_display_name())
    process = subprocess.Popen(
        ["valgrind", "--tool=callgrind", "--callgrind-out-file=" + out, program],
        env=env, cwd=os.path.dirname(program), stderr=subprocess.DEVNULL)
    # Under valgrind: two quiet seconds after the first frame make idle.
    startup.QUIET = 2.0
    try:
        _, window = screen.wait_map(MAP_TIMEOUT)
        dump(process, "mapped")
        frame = screen.wait_drawn("the first frame", DRAWING_TIMEOUT,
                                  covered=[window_area(screen, window)])
        screen.frame_end(frame)
        dump(process, "idle")
        stretches = 2
        if pair_window:
            x, y = screen.origin(window)
            screen.click(x + startup.WEIGHT1_ENTRY[0], y + startup.WEIGHT1_ENTRY[1])
            _, pair = screen.wait_map(MAP_TIMEOUT)
            shown = screen.wait_drawn("Weight1's first showing", DRAWING_TIMEOUT,
                                      covered=[window_area(screen, pair)])
            screen.frame_end(shown, BURST_END)
            dump(process, "pair-window")
            px, py = screen.origin(pair)
            var1 = (px + VAR1_RECT[0], py + VAR1_RECT[1]) + VAR1_RECT[2:]
            var2 = (px + VAR2_RECT[0], py + VAR2_RECT[1]) + VAR2_RECT[2:]
            screen.click(px + startup.VAR1_FIELD[0], py + startup.VAR1_FIELD[1], BURST_END)
            # The first key press of a run used to load the input method's compose table as
            # well; the second one is what each later keystroke costs.
            for n, key in enumerate("77"):
                # Right after a blink, so that the stretch before the key ends before the next.
                screen.wait_drawn("the text cursor's blink", DRAWING_TIMEOUT, touched=[var1])
                dump(process, "before-key")
                screen.key(ord(key))
                screen.wait_drawn(f"keystroke {n + 1}", DRAWING_TIMEOUT, touched=[var1, var2])
                repainted = screen.server_time
                dump(process, "keystroke")
                if screen.drawn_in(var1, repainted + REPAINT_BURST, BURST_END):
                    sys.exit(f"keystroke {n + 1}: the text cursor blinked before the count "
                             "was taken; the stretch is rejected, no figure (is the machine "
                             "too busy?)")
            stretches = 7
    finally:
        process.terminate()
        process.wait()
    return [totals(f"{out}.{n}") for n in range(1, stretches + 1)]


def main():
    build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build-bench")
    programs = {"bare window": os.path.join(build, "bench", "bare_window"),
                "Mensurio": os.path.join(build, "mensurio")}
    for path in programs.values():
        if not os.access(path, os.X_OK):
            sys.exit(f"No program at {path}; build it first.")
    for tool in ("Xvfb", "valgrind", "vgdb"):
        if not shutil.which(tool):
            sys.exit(f"{tool} is missing (see tools/packages.sh).")

    server, name = startup.start_xvfb()
    scratch = tempfile.mkdtemp()
    try:
        screen = startup.Screen(name)
        counts = {program: count(screen, path, scratch, program == "Mensurio")
                  for program, path in programs.items()}
    finally:
        server.terminate()
        server.wait()
        shutil.rmtree(scratch, ignore_errors=True)

    bare, ours = counts["bare window"], counts["Mensurio"]
    print(f"  {'instructions':<28} {'bare window':>14} {'Mensurio':>14} {'ratio':>7}")
    for text, b, m in (("start to window mapped", bare[0], ours[0]),
                       ("mapped to idle", bare[1], ours[1]),
                       ("start to idle", bare[0] + bare[1], ours[0] + ours[1])):
        print(f"  {text:<28} {b:14,} {m:14,} {m / b:7.3f}")
    print(f"  {'Weight1: first showing':<28} {'':>14} {ours[2]:14,}")
    print(f"  {'first keystroke, painted':<28} {'':>14} {ours[4]:14,}")
    print(f"  {'a keystroke, painted':<28} {'':>14} {ours[6]:14,}")


if __name__ == "__main__":
    main()
