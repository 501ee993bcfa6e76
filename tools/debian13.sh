#!/usr/bin/env bash
# Runs the test command on Debian 13 ("trixie") from a machine of another release, in a
# chroot made with debootstrap from Debian's registry. As root, from the repository folder:
#   bash tools/debian13.sh                        # CI=true bash tools/test.sh there
#   bash tools/debian13.sh bash tools/start.sh    # or any other command
# The command runs in a fresh copy of the files git tracks, as they are in this working tree
# (no build folder of this machine goes along), at /build/mensurio in the chroot. The chroot
# itself is kept in /var/cache/mensurio/debian13 (or MENSURIO_CHROOT) between runs and made
# anew when it is missing, was left half-made, or is more than a week old.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
script="$top/tools/debian13.sh"
suite=trixie
root=${MENSURIO_CHROOT:-/var/cache/mensurio/debian13}
mirror=${MENSURIO_MIRROR:-http://deb.debian.org/debian}
stamp="$root/.mensurio-made" # written last, once the chroot is whole
copy=/build/mensurio
[ $# -gt 0 ] || set -- bash tools/test.sh

if [ "$(id -u)" -ne 0 ]; then
  echo "tools/debian13.sh: the chroot and its mounts need root." >&2
  exit 1
fi

if [ -z "${MENSURIO_CHROOT_NAMESPACE:-}" ]; then
  source "$top/tools/packages.sh"
  install_packages debootstrap
  mkdir -p "$(dirname "$root")"
  # One run at a time per chroot. The run goes on in namespaces of its own: the mounts
  # made for the chroot are seen by it alone and go with it, and every process it starts
  # there (an X server, a compositor) ends with it, however it ends.
  exec env MENSURIO_CHROOT_NAMESPACE=1 flock --nonblock "$root.lock" \
    unshare --mount --propagation private --pid --fork --kill-child -- bash "$script" "$@"
fi

mounted=()
unmount_all() {
  local i
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
    umount "${mounted[i]}" 2>/dev/null || umount -l "${mounted[i]}" || true
  done
  mounted=()
}
trap unmount_all EXIT
mount_in() { # type-or-bind source target [options]
  local kind=$1 source=$2 target="$root$3"
  mkdir -p "$target"
  if [ "$kind" = bind ]; then
    mount --bind "$source" "$target"
  else
    mount -t "$kind" -o "${4:-defaults}" "$source" "$target"
  fi
  mounted+=("$target")
}
mount_chroot() {
  mount_in proc proc /proc
  mount_in sysfs sysfs /sys ro
  mount_in bind /dev /dev
  mount_in bind /dev/pts /dev/pts
  mount_in tmpfs tmpfs /dev/shm mode=1777
  mount_in tmpfs tmpfs /run mode=755
  mount_in tmpfs tmpfs /tmp mode=1777
  cp --remove-destination /etc/resolv.conf "$root/etc/resolv.conf"
}
in_chroot() {
  chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 CI="${CI:-true}" TERM=dumb \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin "$@"
}

# The chroot is kept while it is whole, of this release and mirror, and younger than a week.
made_for="$suite $mirror"
made=
if [ ! -f "$stamp" ] || [ "$(cat "$stamp")" != "$made_for" ] ||
  [ -n "$(find "$stamp" -mtime +6)" ]; then
  echo "== Making a Debian 13 chroot in $root (debootstrap from $mirror) =="
  # --one-file-system: never into anything mounted there.
  rm -rf --one-file-system "$root"
  debootstrap --variant=minbase --include=ca-certificates,git "$suite" "$root" "$mirror" \
    >"$root.debootstrap.log" 2>&1 || {
    tail -n 20 "$root.debootstrap.log" >&2
    exit 1
  }
  echo "deb $mirror $suite-updates main" >>"$root/etc/apt/sources.list"
  echo "deb http://deb.debian.org/debian-security $suite-security main" >>"$root/etc/apt/sources.list"
  made=yes
else
  echo "== Debian 13 chroot in $root, made $(date -u -r "$stamp" '+%Y-%m-%d %H:%M UTC') =="
fi

mount_chroot
rm -rf --one-file-system "$root$copy"
mkdir -p "$root$copy"
chmod 755 "$root$(dirname "$copy")" "$root$copy"
# The tracked files as they are here, a file deleted here left out; git then tracks the
# copy's files too, as the format check asks git for them.
(
  cd "$top"
  git ls-files -z | while IFS= read -r -d '' file; do
    if [ -e "$file" ] || [ -L "$file" ]; then
      printf '%s\0' "$file"
    fi
  done
) | tar -C "$top" --null -T - -cf - | tar -C "$root$copy" -xf -
in_chroot bash -c 'cd "$0" && git init -q && git add -A' "$copy"
if [ -n "$made" ]; then
  # Everything the scripts install, so that a kept chroot starts its runs at once; only
  # then is the chroot whole.
  in_chroot bash -c 'cd "$0" && source tools/packages.sh && install_packages' "$copy"
  echo "$made_for" >"$stamp"
fi

echo "== Debian 13: $(in_chroot sh -c '. /etc/os-release && echo "$PRETTY_NAME, Debian $(cat /etc/debian_version)"') =="
echo "== Running in $copy: $* =="
in_chroot bash -c 'cd "$0" && exec "$@"' "$copy" "$@"
