#!/usr/bin/python3
"""Instructions of a start of the bare window and of Mensurio, counted by callgrind.

The times that startup.py reports move by ten per cent from run to run on a shared
machine; instruction counts do not. Each program runs once under callgrind on a private
Xvfb, with private home, runtime, config, data and cache folders: the profile is dumped when the root window sees its window mapped, and again when
the program is ended after its first frame, once the screen has been quiet for two
seconds. Prints the instructions until the mapping, from the mapping to idle, and in all,
with Mensurio's ratios to the bare window.

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


def count(screen, program, scratch):
    """(instructions until the mapping, instructions from the mapping until idle)"""
    out = os.path.join(scratch, os.path.basename(program) + ".callgrind")
    env = startup.private_environment(scratch, screen.display.get_display_name())
    process = subprocess.Popen(
        ["valgrind", "--tool=callgrind", "--callgrind-out-file=" + out, program],
        env=env, cwd=os.path.dirname(program), stderr=subprocess.DEVNULL)
    try:
        mapped, _ = screen.wait_map(120)
        subprocess.run(["callgrind_control", "--dump=mapped", str(process.pid)],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
        # Under valgrind the program runs some fifty times slower: two quiet seconds.
        startup.QUIET = 2.0
        screen.frame_end(mapped)
    finally:
        process.terminate()
        process.wait()
    return totals(out + ".1"), totals(out)


def main():
    build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build-bench")
    programs = {"bare window": os.path.join(build, "bench", "bare_window"),
                "Mensurio": os.path.join(build, "mensurio")}
    for path in programs.values():
        if not os.access(path, os.X_OK):
            sys.exit(f"No program at {path}; build it first.")
    for tool in ("Xvfb", "valgrind", "callgrind_control"):
        if not shutil.which(tool):
            sys.exit(f"{tool} is missing (see tools/packages.sh).")

    server, name = startup.start_xvfb()
    scratch = tempfile.mkdtemp()
    try:
        screen = startup.Screen(name)
        counts = {program: count(screen, path, scratch) for program, path in programs.items()}
    finally:
        server.terminate()
        server.wait()
        shutil.rmtree(scratch, ignore_errors=True)

    bare, ours = counts["bare window"], counts["Mensurio"]
    print(f"  {'instructions':<28} {'bare window':>14} {'Mensurio':>14} {'ratio':>7}")
    for text, b, m in (("start to window mapped", bare[0], ours[0]),
                       ("mapped to idle", bare[1], ours[1]),
                       ("start to idle", sum(bare), sum(ours))):
        print(f"  {text:<28} {b:14,} {m:14,} {m / b:7.3f}")


if __name__ == "__main__":
    main()
