#!/usr/bin/env bash
# Validates the desktop entry and the AppStream metainfo.
# Usage: validate.sh DESKTOP_FILE METAINFO_FILE
# Exits 77 (skipped) when a validator is not installed.
set -euo pipefail

desktop=$1
metainfo=$2

for tool in desktop-file-validate appstreamcli; do
    if ! command -v "$tool" >/dev/null; then
        echo "$tool not found; skipping"
        exit 77
    fi
done

# Hints leave the exit status at 0 but still mean a menu may file the entry badly, so any output fails.
report=$(desktop-file-validate "$desktop" 2>&1) || { echo "$report"; exit 1; }
if [ -n "$report" ]; then
    echo "$report"
    exit 1
fi

# Strict, so that infos and warnings fail too. The one exception: the validator does not know
# ".example" as a top-level domain and so doubts that the reverse-DNS id is one.
appstreamcli validate --no-net --strict --override=cid-maybe-not-rdns=pedantic "$metainfo"
