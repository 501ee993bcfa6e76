#!/usr/bin/env bash
# Screenshots of the main window and of one pair window per category, taken on a private X
# server, to check the layout by eye. Builds nothing: give the build folder to use
# (default: build/ at the top of the work tree) and optionally a desktop theme to run under:
# light (default), qt6ct-dark (qt6ct with its "darker" colours) or gtk-dark (the GTK platform
# theme with Adwaita:dark). The PNGs go to <build>/screenshots/, or <build>/screenshots/<theme>/.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$top/tools/packages.sh"

build=$(cd "${1:-$top/build}" && pwd)
program="$build/$(mensurio_fact MENSURIO_PROGRAM)"
if [ ! -x "$program" ]; then
  echo "No program at $program: build it first." >&2
  exit 1
fi
theme=${2:-light}
shots="$build/screenshots"
[ "$theme" = light ] || shots="$shots/$theme"
mkdir -p "$shots"

# A private home and runtime folder: a copy of Mensurio that the user has open must not
# make this one end as a second copy.
session=$(mktemp -d)
mkdir -m 700 "$session/home" "$session/runtime" "$session/config"
desktop=(QT_QPA_PLATFORMTHEME= XDG_CONFIG_HOME="$session/config")
case "$theme" in
light) ;;
qt6ct-dark)
  mkdir "$session/config/qt6ct"
  printf '[Appearance]\ncolor_scheme_path=/usr/share/qt6ct/colors/darker.conf\ncustom_palette=true\n' \
    >"$session/config/qt6ct/qt6ct.conf"
  desktop=(QT_QPA_PLATFORMTHEME=qt6ct XDG_CONFIG_HOME="$session/config") ;;
gtk-dark) desktop=(QT_QPA_PLATFORMTHEME=gtk3 GTK_THEME=Adwaita:dark XDG_CONFIG_HOME="$session/config") ;;
*)
  echo "Unknown theme $theme: light, qt6ct-dark or gtk-dark." >&2
  exit 1 ;;
esac
app=""
finish() {
  stop_app
  stop_xvfb
  rm -rf "$session"
}
trap finish EXIT
# A screen large enough for the main window at 200 % (QT_SCALE_FACTOR=2).
start_xvfb 2560x1600
xdotool mousemove 0 0 # no hover look on any control

env "${desktop[@]}" HOME="$session/home" XDG_RUNTIME_DIR="$session/runtime" QT_QPA_PLATFORM=xcb \
  "$program" &
app=$!

# Prints the id of the visible window with exactly this title, once it has mapped.
wait_window() {
  local pattern=${1//./\\.}
  local window
  window=$(timeout 20 xdotool search --sync --onlyvisible --name "^$pattern\$" | head -n1 || true)
  if [ -z "$window" ]; then
    echo "No window \"$1\" mapped." >&2
    exit 1
  fi
  echo "$window"
}

shoot() {
  sleep 0.5 # let the first paint finish
  /usr/bin/import -window "$1" "$2"
  echo "$2"
}

main=$(wait_window "Mensurio - Version $MENSURIO_VERSION")
shoot "$main" "$shots/MainForm.png"

# Each pair through the menu, by keyboard: Alt+C opens "Conversions Parts", a letter its
# submenu ("Temperature" has none: Up wraps to it, Right opens it), the first pair is
# selected, Up wraps to the last. Every pair window maps on top of the ones before it.
pairs=(
  "Weight1|Conversion part of Weight|alt+c w Return"
  "Length5|Conversion part of Length|alt+c l Up Return"
  "Area2|Conversion part of Area|alt+c a Down Return"
  "Temp1|Conversion part of Temperature|alt+c Up Right Return"
  "Volume4|Conversion part of Volume|alt+c v Up Return"
)
for entry in "${pairs[@]}"; do
  IFS='|' read -r name title keys <<<"$entry"
  # shellcheck disable=SC2086 # the keys are separate words on purpose
  xdotool windowfocus --sync "$main" key $keys
  shoot "$(wait_window "$title")" "$shots/$name.png"
done

# The Symbols, About and feedback windows. About takes the main window's input until
# its focused "Back To Main Window" button is pressed.
xdotool windowfocus --sync "$main" key F1
shoot "$(wait_window "Important Symbols - Not For Mensurio")" "$shots/Symbols.png"
xdotool windowfocus --sync "$main" key ctrl+a
about=$(wait_window "About Mensurio")
shoot "$about" "$shots/AboutApp.png"
xdotool windowfocus --sync "$about" key space
xdotool windowfocus --sync "$main" key ctrl+i
shoot "$(wait_window "I Like Mensurio")" "$shots/ForMensurio.png"
