#!/usr/bin/env bash
# Installs what is missing, builds Mensurio and starts it on the Wayland or X display. With
# neither it runs on a private X server and saves a screenshot of the main window instead.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$top/tools/packages.sh"
display=
if [ -n "${WAYLAND_DISPLAY:-}" ] || [ -n "${DISPLAY:-}" ]; then
  display=yes
fi
# Only what the program needs here; the tests bring their own (tools/test.sh).
packages=("${MENSURIO_RUN_PACKAGES[@]}")
if [ -n "${WAYLAND_DISPLAY:-}" ]; then
  packages+=("${MENSURIO_WAYLAND_PACKAGES[@]}")
fi
if [ -z "$display" ]; then
  packages+=("${MENSURIO_SCREEN_PACKAGES[@]}")
fi
install_packages "${packages[@]}"

build="$top/build"
program="$build/$(mensurio_fact MENSURIO_PROGRAM)"
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" --target mensurio

if [ -n "$display" ]; then
  exec "$program"
fi

runtime=$(mktemp -d)
trap 'stop_xvfb; rm -rf "$runtime"' EXIT
start_xvfb
# A private home and runtime folder: a copy already running on the user's desktop holds the
# lock of the user's home, which must not make this one end as a second copy.
mkdir -m 700 "$runtime/home" "$runtime/run"
HOME="$runtime/home" XDG_RUNTIME_DIR="$runtime/run" "$program" &
app=$!
window=$(timeout 20 xdotool search --sync --onlyvisible --name "^Mensurio - Version ${MENSURIO_VERSION//./\\.}\$" | head -n1) || true
if [ -z "$window" ]; then
  echo "Mensurio did not show its main window on the private X server." >&2
  exit 1
fi
sleep 0.5 # let the first paint finish
shot="$build/mensurio-main-window.png"
/usr/bin/import -window "$window" "$shot"
kill "$app" 2>/dev/null || true
wait "$app" 2>/dev/null || true
echo "No display here: Mensurio ran on a private X server ($DISPLAY)."
echo "Screenshot of the main window: $shot"
