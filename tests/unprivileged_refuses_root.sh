#!/usr/bin/env bash
# tests/unprivileged.sh fails where setpriv leaves the suite running as root: a stand-in
# setpriv that drops nothing runs it.
standIn=$(mktemp -d)
trap 'rm -rf "$standIn"' EXIT
printf '#!/bin/sh\nwhile [ "${1#-}" != "$1" ]; do shift; done\nexec "$@"\n' >"$standIn/setpriv"
chmod 755 "$standIn/setpriv"
said=$(PATH="$standIn:$PATH" bash "$(dirname "$0")/unprivileged.sh" /bin/true 2>&1) &&
  echo "unprivileged.sh passed with the suite running as root" && exit 1
grep "would run as uid 0" <<<"$said" || { echo "$said" && exit 1; }
