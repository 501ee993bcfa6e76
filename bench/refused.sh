#!/usr/bin/env bash
# A second copy's start: the time from starting the executable until it has ended, refused
# by the lock that another copy holds (median and max of several runs). Needs no X server:
# a refused copy ends before the toolkit starts.
#
# Usage: bench/refused.sh [build-folder] [runs]     (defaults: build-bench, 50 runs)
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:-$top/build-bench}" && pwd)
runs=${2:-50}
program="$build/mensurio"
[ -x "$program" ] || { echo "No program at $program; build it first." >&2; exit 1; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export HOME="$scratch/home"
mkdir -p -m 700 "$HOME/.cache/mensurio"
# This shell holds the lock, as a running copy would: the file named for the machine.
machine=$(cat /etc/machine-id 2>/dev/null || hostname)
exec 9>"$HOME/.cache/mensurio/$machine.lock"
flock -n 9

now() { local t=$EPOCHREALTIME; echo "${t/[.,]/}"; }
times=()
for _ in $(seq "$runs"); do
  start=$(now)
  "$program" 9>&- || { echo "a refused copy ended with status $?" >&2; exit 1; }
  times+=($(($(now) - start)))
done
sorted=($(printf '%s\n' "${times[@]}" | sort -n))
median=${sorted[$((runs / 2))]}
max=${sorted[$((runs - 1))]}
printf 'refused start, exec to exit: median %d.%03d ms, max %d.%03d ms over %d runs\n' \
  $((median / 1000)) $((median % 1000)) $((max / 1000)) $((max % 1000)) "$runs"
