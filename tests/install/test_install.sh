#!/usr/bin/env bash
# Installs the built program into a scratch prefix and checks it the way a desktop sees it:
# the menu entry and AppStream data validate, the icon theme has every size, and the
# installed program, started from its menu entry's Exec line, maps its main window, names
# itself as the entry says and finds its licence document.
# Usage: test_install.sh <build folder>, or test_install.sh --prefix <installed prefix> to
# check an installation made otherwise (an unpacked .deb).
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
source "$top/tools/packages.sh"
app_id=$(mensurio_fact MENSURIO_APP_ID)
licence_file=$(mensurio_fact MENSURIO_LICENCE_FILE)

scratch=$(mktemp -d)
app=""
finish() {
  stop_app
  stop_xvfb
  chmod -R u+w "$scratch" 2>/dev/null || true
  rm -rf "$scratch"
}
trap finish EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

if [ "$1" = --prefix ]; then
  prefix=$(cd "$2" && pwd)
  installed_prefix=/usr # where the unpacked package installs to
else
  prefix="$scratch/usr"
  installed_prefix=$prefix
  cmake --install "$1" --prefix "$prefix" >/dev/null
fi
share="$prefix/share"
desktop="$share/applications/$app_id.desktop"

echo "== Files in place"
for file in "$prefix/bin/mensurio" "$desktop" "$share/metainfo/$app_id.metainfo.xml" \
  "$share/icons/hicolor/scalable/apps/$app_id.svg" "$share/man/man1/mensurio.1.gz" \
  "$share/mensurio/$licence_file" "$share/doc/mensurio/copyright"; do
  [ -f "$file" ] || fail "not installed: ${file#"$scratch"}"
done
[ -x "$prefix/bin/mensurio" ] || fail "the program is not executable"
gzip -t "$share/man/man1/mensurio.1.gz" || fail "the manual page is no gzip file"

echo "== The release date and the install's folders, as each file names them"
names() { grep -qF -- "$2" <<<"$1" || fail "$3 does not name $2"; }
names "$(zcat "$share/doc/mensurio/changelog.gz")" "Mon, 07 Dec 2026 12:00:00 +0000" "the changelog"
names "$(zcat "$share/man/man1/mensurio.1.gz")" '.TH MENSURIO 1 "December 2026"' "the manual page"
names "$(cat "$share/metainfo/$app_id.metainfo.xml")" 'date="2026-12-07"' "the AppStream data"
names "$(cat "$share/doc/mensurio/copyright")" "Copyright: 2026 Tarnwick" "the copyright"
names "$(zcat "$share/man/man1/mensurio.1.gz")" "\"$installed_prefix/share/mensurio/$licence_file\"" \
  "the manual page"
for size in 16 24 32 48 64 128 256; do
  icon="$share/icons/hicolor/${size}x${size}/apps/$app_id.png"
  [ "$(identify -format '%m %wx%h' "$icon" 2>/dev/null)" = "PNG ${size}x${size}" ] ||
    fail "no ${size}x${size} PNG icon"
done

echo "== desktop-file-validate and appstreamcli"
desktop-file-validate "$desktop" || fail "desktop-file-validate rejects the menu entry"
appstreamcli validate --no-net "$share/metainfo/$app_id.metainfo.xml" ||
  fail "appstreamcli rejects the metainfo file"
entry() { sed -n "s/^$1=//p" "$desktop"; }
[ "$(entry Icon)" = "$app_id" ] || fail "the menu entry names another icon"

echo "== Started from the menu entry's Exec line"
# A private home and runtime folder, and a recording xdg-open first on the PATH: nothing
# of the desktop this runs on is used, and nothing real is opened.
mkdir -m 700 "$scratch/home" "$scratch/runtime" "$scratch/bin"
opened="$scratch/opened.txt"
printf '#!/bin/sh\nprintf "%%s\\n" "$@" >> "%s"\n' "$opened" >"$scratch/bin/xdg-open"
chmod 755 "$scratch/bin/xdg-open"
# The program folder of a system-wide install is not the user's to write. Root may write
# anywhere, so as root the program runs as an ordinary user instead.
user=()
if [ "$(id -u)" -eq 0 ]; then
  chmod 755 "$scratch" "$scratch/bin"
  touch "$opened"
  chmod 666 "$opened"
  chown nobody:nogroup "$scratch/home" "$scratch/runtime"
  user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
  "${user[@]}" test -x "$prefix/bin/mensurio" || fail "an ordinary user cannot run $prefix/bin/mensurio"
else
  chmod a-w "$prefix/bin"
fi
start_xvfb
read -r -a command <<<"$(entry Exec | sed 's/ *%[fFuUick]//g')"
(cd "$scratch/home" && exec "${user[@]}" env -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb \
  HOME="$scratch/home" XDG_DATA_HOME="$scratch/home/.local/share" \
  XDG_RUNTIME_DIR="$scratch/runtime" PATH="$scratch/bin:$prefix/bin:$PATH" "${command[@]}") &
app=$!
main=$(timeout 30 xdotool search --sync --onlyvisible --name '^Mensurio - Version 1\.2$' |
  head -n1) || true
[ -n "$main" ] || fail "the installed program showed no main window"

wm_class=$(xprop -id "$main" WM_CLASS)
[[ $wm_class == *"\"$(entry StartupWMClass)\"" ]] ||
  fail "window class $wm_class does not match StartupWMClass=$(entry StartupWMClass)"
# The window manager gets the sizes up to 64 px; larger ones come from the hicolor theme
# installed above, through the desktop file.
icons=$(xprop -id "$main" -notype _NET_WM_ICON | grep -o 'Icon ([0-9]* x [0-9]*)' | sort -u)
for size in 16 24 32 48 64; do
  grep -q "($size x $size)" <<<"$icons" || fail "the window icon has no ${size}x${size} image"
done
! grep -q "(128 x 128)" <<<"$icons" || fail "the window icon hands the window manager 128 px"

# Each case: what xdg-open must be handed, then the xdotool command that asks for it.
expect_opened() {
  local wanted=$1
  shift
  : >"$opened"
  xdotool "$@"
  for _ in $(seq 100); do
    [ -s "$opened" ] && break
    sleep 0.1
  done
  [ "$(cat "$opened")" = "$wanted" ] || fail "$* opened \"$(cat "$opened")\", not \"$wanted\""
}
expect_opened "$share/mensurio/$licence_file" windowfocus --sync "$main" key ctrl+l

# Pound <> Kilogram, then its notepad picture: the notepad goes to the user's data folder.
notepad="$scratch/home/.local/share/Mensurio/Notepad of Weight.txt"
xdotool mousemove --window "$main" --sync 110 157 click 1
pair=$(timeout 10 xdotool search --sync --onlyvisible --name '^Conversion part of Weight$' |
  head -n1) || true
[ -n "$pair" ] || fail "Pound <> Kilogram showed no pair window"
expect_opened "$notepad" mousemove --window "$pair" --sync 310 13 click 1
[ "$(od -An -c "$notepad" | tr -d ' ')" = '\r\n' ] || fail "the new notepad does not hold CR LF"
echo "PASS"
