# Debian packages Mensurio needs, sourced by the other scripts.

# The program's version and the facts the scripts need, from the one place that sets them.
MENSURIO_CMAKELISTS="$(dirname "${BASH_SOURCE[0]}")/../CMakeLists.txt"
MENSURIO_VERSION=$(sed -n 's/^project(Mensurio VERSION \([0-9.]*\) .*/\1/p' "$MENSURIO_CMAKELISTS")
# The value of one set(NAME "value") in the top CMakeLists.txt.
mensurio_fact() { sed -n "s/^set($1 \"\\(.*\\)\")\$/\\1/p" "$MENSURIO_CMAKELISTS"; }

# Building the program.
MENSURIO_BUILD_PACKAGES=(
  cmake ninja-build g++ qt6-base-dev      # the build
  libxcb1-dev                             # libxcb's header: a refused copy's startup notification
  libfontconfig-dev                       # fontconfig's header: Tahoma described at build time
  fonts-wine                              # Tahoma, where the desktop has none
)
# Building and running the program.
MENSURIO_RUN_PACKAGES=(
  "${MENSURIO_BUILD_PACKAGES[@]}"
  xdg-utils                               # opening files and addresses
)
# Qt's Wayland plugin, where a Wayland display is set: without it the program runs through
# Xwayland, blurred at fractional scales.
MENSURIO_WAYLAND_PACKAGES=(qt6-wayland)
# A private X server and a screenshot, for a machine without a display.
MENSURIO_SCREEN_PACKAGES=(xvfb xauth xdotool x11-utils imagemagick)
# Building the Debian package, checking it with lintian and testing what it installs on a
# private X server (tools/package.sh).
MENSURIO_PACKAGE_PACKAGES=(
  "${MENSURIO_BUILD_PACKAGES[@]}"
  dpkg-dev file lintian                   # building and checking the Debian package
  desktop-file-utils appstream            # checking the menu entry and AppStream data
  xvfb xauth xdotool x11-utils man-db     # starting the installed program, reading its manual
)
# The tests, the benchmarks and the fuzzer.
MENSURIO_TEST_PACKAGES=(
  libx11-dev libxtst-dev                  # Xlib and XTest: the end-to-end and monkey suites
  python3-xlib valgrind                   # start-up benchmarks: the X server, instruction counts
  clang libclang-rt-dev                   # the value-text fuzzer: the release's clang, libFuzzer
  clang-format git                        # the source format check
  openbox qt6ct qt6-gtk-platformtheme gnome-themes-extra  # a window manager, dark desktop themes
  weston pkgconf                          # the Wayland suite: a headless compositor (its module's
                                          # headers: weston_dev_package)
)

# The development package of the libweston that the installed weston runs on: the library's
# major version is in its package's name (libweston-10-0, libweston-14-0), and our compositor
# module must build against that very library.
weston_dev_package() {
  { dpkg-query -W -f='${Depends}' weston 2>/dev/null || true; } |
    sed -n 's/.*\(libweston-[0-9]*\)-0\b.*/\1-dev/p'
}

# Installs only what is missing of the packages named (all of the above when none is
# named), so a ready machine starts at once.
install_packages() {
  local wanted=("$@")
  if [ ${#wanted[@]} -eq 0 ]; then
    install_packages "${MENSURIO_RUN_PACKAGES[@]}" "${MENSURIO_WAYLAND_PACKAGES[@]}" \
      "${MENSURIO_SCREEN_PACKAGES[@]}" "${MENSURIO_PACKAGE_PACKAGES[@]}" "${MENSURIO_TEST_PACKAGES[@]}"
    read -r -a wanted <<<"$(weston_dev_package)"
  fi
  local missing=()
  for package in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
      missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  # Another apt, or the desktop's updater, may be at work: wait for it rather than fail.
  local apt=(env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900)
  local install=(install -y -q --no-install-recommends "${missing[@]}")
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null; then
      echo "These Debian packages are missing: ${missing[*]}" >&2
      echo "Install them as root (su -), then run this again:" >&2
      echo "  apt-get update && apt-get ${install[*]}" >&2
      exit 1
    fi
    sudo=(sudo)
  fi
  echo "Installing: ${missing[*]}"
  if package_lock_held; then
    echo "Another package manager holds the package lock; waiting for it (up to 15 minutes)..."
  fi
  # apt repeats its own line for every second it waits; once is enough.
  "${sudo[@]}" "${apt[@]}" update -q | uniq
  "${sudo[@]}" "${apt[@]}" "${install[@]}" | uniq
}

# Whether a process holds the lock of dpkg or of apt's package lists: the kernel lists the
# locks held by device and inode in /proc/locks.
package_lock_held() {
  local file inode
  for file in /var/lib/dpkg/lock-frontend /var/lib/apt/lists/lock; do
    inode=$(stat -c %i "$file" 2>/dev/null) || continue
    grep -q ":$inode " /proc/locks && return 0
  done
  return 1
}

# Starts a private X server (its screen 1280x800, or the size given) and exports DISPLAY;
# stop_xvfb ends it.
start_xvfb() {
  local fd_file
  fd_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 "${1:-1280x800}x24" -nolisten tcp 3>"$fd_file" 2>/dev/null &
  XVFB_PID=$!
  for _ in $(seq 100); do
    [ -s "$fd_file" ] && break
    sleep 0.05
  done
  DISPLAY=":$(head -n1 "$fd_file")"
  export DISPLAY
  rm -f "$fd_file"
}

# Ends the program whose process id is in $app, if one was started.
stop_app() {
  if [ -n "${app:-}" ]; then
    kill "$app" 2>/dev/null || true
    wait "$app" 2>/dev/null || true
  fi
  return 0
}

stop_xvfb() {
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
  return 0
}
