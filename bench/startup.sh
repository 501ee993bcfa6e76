#!/usr/bin/env bash
# Start-up of the real program on a private X server: the time from starting the
# executable until its main window is mapped, over several runs (median and max), the
# resident memory once the window shows, and, with valgrind present, the instructions
# spent from start until the program idles with its window shown.
#
# Usage: bench/startup.sh [build-folder] [runs]     (defaults: build-bench, 10 runs)
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:-$top/build-bench}" && pwd)
runs=${2:-10}
program="$build/mensurio"
title='Mensurio - Version 1.2'

[ -x "$program" ] || { echo "No program at $program; build it first." >&2; exit 1; }
for tool in Xvfb xev xdotool stdbuf; do
  command -v "$tool" >/dev/null || { echo "$tool is missing (see tools/packages.sh)." >&2; exit 1; }
done
source "$top/tools/packages.sh"

scratch=$(mktemp -d)
# A private runtime folder holds the single-instance lock, so a copy of the program that
# this user runs elsewhere cannot turn these runs away, nor they it.
export XDG_RUNTIME_DIR="$scratch/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
app=
finish() {
  [ -n "$app" ] && kill "$app" 2>/dev/null && wait "$app" 2>/dev/null
  [ -n "${XEV_PID:-}" ] && kill "$XEV_PID" 2>/dev/null
  stop_xvfb
  rm -rf "$scratch"
}
trap finish EXIT
start_xvfb

# xev reports each top-level window's mapping the moment the server does it. (xdotool's
# --sync search looks only twice a second, far too coarse for start-up times.)
coproc XEV { exec stdbuf -oL xev -root -event substructure; }
sleep 1 # let xev select its events before the first run

# Microseconds of bash's own clock: reading it starts no process.
now() { local t=$EPOCHREALTIME; echo "${t/[.,]/}"; }

# Waits for the next window mapping and prints its id; fails after 30 s.
next_mapped_window() {
  local line
  while read -r -t 30 -u "${XEV[0]}" line; do
    if [[ $line == MapNotify* ]]; then
      read -r -t 30 -u "${XEV[0]}" line
      [[ $line =~ window\ (0x[0-9a-f]+) ]] && { echo "${BASH_REMATCH[1]}"; return 0; }
    fi
  done
  return 1
}

field() { awk -v key="$1:" '$1 == key { print $2 }' "/proc/$2/status"; }

times=() hwm=() rss=()
for run in $(seq "$runs"); do
  start=$(now)
  "$program" &
  app=$!
  window=$(next_mapped_window) || { echo "run $run: no window mapped" >&2; exit 1; }
  mapped=$(now)
  name=$(xdotool getwindowname "$window")
  [ "$name" = "$title" ] || { echo "run $run: mapped \"$name\", not the main window" >&2; exit 1; }
  # Memory once the first paint is over and the program waits for input.
  sleep 1
  hwm+=("$(field VmHWM "$app")")
  rss+=("$(field VmRSS "$app")")
  kill "$app"
  wait "$app" 2>/dev/null || true
  app=
  times+=($(((mapped - start) / 1000)))
  printf 'run %2d: window mapped after %4d ms, peak resident %6d kB\n' \
    "$run" "${times[-1]}" "${hwm[-1]}"
done

median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
maximum() { printf '%s\n' "$@" | sort -n | tail -n1; }

echo
echo "Start to main window mapped, $runs runs: median $(median "${times[@]}") ms, max $(maximum "${times[@]}") ms"
echo "Peak resident memory (VmHWM): median $(median "${hwm[@]}") kB, max $(maximum "${hwm[@]}") kB"
echo "Resident memory when idle (VmRSS): median $(median "${rss[@]}") kB"

if ! command -v valgrind >/dev/null; then
  echo "valgrind is missing: no instruction count."
  exit 0
fi
# Instructions do not depend on the machine's load, so they show a change in start-up
# work that the timings would hide in their noise.
out="$scratch/callgrind.out"
valgrind --tool=callgrind --callgrind-out-file="$out" "$program" 2>"$scratch/valgrind.log" &
app=$!
next_mapped_window >/dev/null || { echo "under valgrind: no window mapped" >&2; exit 1; }
sleep 3 # the first paint, slowed by valgrind, then the program idles
kill "$app"
wait "$app" 2>/dev/null || true
app=
instructions=$(awk '/^summary:/ { print $2 }' "$out")
echo "Instructions from start until idle with the main window shown: $instructions"
