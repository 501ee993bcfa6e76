#!/usr/bin/env bash
# Fails where a row was skipped in every run of one CTest run that took part in it: as root
# and as nobody, on one screen and on two. A row that skips wherever it is run tests nothing,
# yet its suite passes. Reads CTest's log of the run (Testing/Temporary/LastTest.log).
set -euo pipefail
log=$1
# QtTest names each row that passed ("PASS   : Suite::function(row)") and each row skipped,
# followed by the reason ("SKIP   : Suite::function(row) reason").
never=$(awk '
  /^PASS   : / { passed[substr($0, 10)] = 1 }
  /^SKIP   : / { skipped[NR] = substr($0, 10) }
  END {
    for (line in skipped) {
      ran = 0
      for (row in passed)
        if (index(skipped[line], row " ") == 1) { ran = 1; break }
      if (!ran) print skipped[line]
    }
  }' "$log" | sort -u)
if [ -n "$never" ]; then
  echo "Rows skipped in every run that had them:" >&2
  echo "$never" >&2
  exit 1
fi
echo "No row was skipped in every run ($(grep -c '^SKIP   : ' "$log" || true) skips, each run elsewhere)."
