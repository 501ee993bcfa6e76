#!/usr/bin/python3
"""Instructions of a start of the bare window and of Mensurio, counted by callgrind.

The times that startup.py reports move by ten per cent from run to run on a shared
machine; instruction counts do not. Each program runs once under callgrind on a private
Xvfb, with private home, runtime, config, data and cache folders. The count is dumped when
the root window sees the window mapped and again once the screen has been quiet for two
seconds after the first frame: the instructions until the mapping, from the mapping to
idle, and in all, with Mensurio's ratios to the bare window. Then, in Mensurio: the
pair window Weight1's first showing from the click until painted, and two keystrokes in
its Var1 field until both fields are painted (the first of a run also loads the compose
table, as in every Qt program).

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


# A focused text field's cursor blinks every half second, and each blink costs some 130,000
# instructions under valgrind. Stretches inside the pair window therefore end after a
# tenth of a second without drawing (its paints come in one burst), so that the dump lands
# before the next blink, and the keystrokes begin right after a blink.
BLINK_SAFE_QUIET = 0.1


def count(screen, program, scratch, pair_window=False):
    """The instructions of each stretch of a start: until the mapping, from the mapping until
    idle and, with pair_window, a pair window's first showing until painted and a keystroke
    in it until both fields are painted. callgrind starts counting afresh at each dump."""
    out = os.path.join(scratch, os.path.basename(program) + ".callgrind")
    env = startup.private_environment(scratch, screen.display.get_display_name())
    process = subprocess.Popen(
        ["valgrind", "--tool=callgrind", "--callgrind-out-file=" + out, program],
        env=env, cwd=os.path.dirname(program), stderr=subprocess.DEVNULL)
    # Under valgrind the program runs some fifty times slower: two quiet seconds.
    startup.QUIET = 2.0
    try:
        mapped, window = screen.wait_map(120)
        dump(process, "mapped")
        screen.frame_end(mapped)
        dump(process, "idle")
        stretches = 2
        if pair_window:
            x, y = screen.origin(window)
            screen.click(x + startup.WEIGHT1_ENTRY[0], y + startup.WEIGHT1_ENTRY[1])
            _, pair = screen.wait_map(120)
            screen.drawing_end(BLINK_SAFE_QUIET)
            dump(process, "pair-window")
            px, py = screen.origin(pair)
            screen.click(px + startup.VAR1_FIELD[0], py + startup.VAR1_FIELD[1],
                         BLINK_SAFE_QUIET)
            screen.drawing_end(BLINK_SAFE_QUIET)
            # The first key press of a run also loads the input method's compose table, which
            # every Qt program pays once; the second one is what each keystroke costs.
            for key in "77":
                screen.drawing_end(BLINK_SAFE_QUIET)  # a blink: the next is half a second away
                dump(process, "before-key")
                screen.key(ord(key))
                screen.drawing_end(BLINK_SAFE_QUIET)
                dump(process, "keystroke")
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
