#!/usr/bin/env bash
# tests/unprivileged.sh fails, rather than passes, where setpriv leaves the suite running as
# root: a stand-in setpriv that drops nothing runs it.
set -u
standIn=$(mktemp -d)
trap 'rm -rf "$standIn"' EXIT
printf '#!/bin/sh\nwhile [ "${1#-}" != "$1" ]; do shift; done\nexec "$@"\n' >"$standIn/setpriv"
chmod 755 "$standIn/setpriv"
if PATH="$standIn:$PATH" bash "$(dirname "$0")/unprivileged.sh" /bin/true 2>"$standIn/said"; then
  echo "unprivileged.sh passed with the suite running as root"
  exit 1
fi
grep -q "would run as uid 0" "$standIn/said" || {
  echo "unprivileged.sh failed, but not for running as root:"
  cat "$standIn/said"
  exit 1
}
echo "unprivileged.sh refuses to run a suite as root"
