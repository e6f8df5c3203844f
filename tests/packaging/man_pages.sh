#!/usr/bin/env bash
# Each manual page renders without a warning, with groff's checks and with man.
set -euo pipefail
folder=$1
command -v groff >/dev/null || { echo "groff is missing (package groff-base)"; exit 77; }
status=0
for page in "$folder"/*.1; do
    warnings=$(groff -man -ww -z "$page" 2>&1)
    if command -v man >/dev/null; then
        warnings+=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
    fi
    if [ -n "$warnings" ]; then
        echo "FAIL: $page: $warnings" >&2
        status=1
    fi
    grep -q '^\.SH EXIT STATUS' "$page" || { echo "FAIL: $page has no EXIT STATUS" >&2; status=1; }
done
exit $status
