#!/usr/bin/env bash
# Runs a test suite as nobody (uid and gid 65534, and group 100 besides, which it may give
# its files), for a CTest run as root: root reads and writes whatever the permissions say, so
# the rows about them need an ordinary user. The build tree may lie below a folder nobody cannot enter, so the suite (and an
# LSan suppressions file) is copied to a scratch folder nobody can read, with a private home.
set -euo pipefail
suite=$1
shift
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
chmod 755 "$scratch"
install -m 755 "$suite" "$scratch/"
mkdir -m 700 "$scratch/home" "$scratch/runtime"
chown 65534:65534 "$scratch/home" "$scratch/runtime"
if [[ ${LSAN_OPTIONS:-} =~ (^|:)suppressions=([^:]+) ]]; then
  suppressions=${BASH_REMATCH[2]}
  install -m 644 "$suppressions" "$scratch/lsan.supp"
  export LSAN_OPTIONS=${LSAN_OPTIONS//$suppressions/$scratch/lsan.supp}
fi
cd "$scratch/home"
# The suite starts only once it runs as nobody: as root its permission rows would skip or
# pass whatever the program does, and the run would pass without proving anything.
HOME="$scratch/home" TMPDIR="$scratch/home" XDG_RUNTIME_DIR="$scratch/runtime" \
  setpriv --reuid=65534 --regid=65534 --groups=100 -- bash -c '
    if [ "$(id -u):$(id -g)" != 65534:65534 ]; then
      echo "unprivileged.sh: the suite would run as uid $(id -u), gid $(id -g), not as nobody" >&2
      exit 1
    fi
    exec "$@"' bash "$scratch/$(basename "$suite")" "$@"
