#!/usr/bin/env bash
# Installs the build into a throw-away staging folder and checks that every file the desktop
# needs is there: the program, its menu entry, its metainfo and its icons.
# Usage: install.sh CMAKE BUILD_DIR
set -euo pipefail

cmake=$1
build=$2
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT

"$cmake" --install "$build" --prefix "$stage/usr" >/dev/null

id=example.dravenholt.Loan
expected=(
    "usr/bin/dravenholt-loan"
    "usr/share/applications/$id.desktop"
    "usr/share/metainfo/$id.metainfo.xml"
    "usr/share/icons/hicolor/scalable/apps/$id.svg"
)
for size in 16 32 48 64 128 256; do
    expected+=("usr/share/icons/hicolor/${size}x${size}/apps/$id.png")
done

status=0
for file in "${expected[@]}"; do
    if [ ! -s "$stage/$file" ]; then
        echo "missing or empty: $file"
        status=1
    fi
done
if [ ! -x "$stage/usr/bin/dravenholt-loan" ]; then
    echo "not executable: usr/bin/dravenholt-loan"
    status=1
fi

# The tree check ties the metainfo to the desktop entry and the icon as they are installed.
if [ $status -eq 0 ] && command -v appstreamcli >/dev/null; then
    appstreamcli validate-tree --no-net --strict --override=cid-maybe-not-rdns=pedantic "$stage/usr" ||
        status=1
fi

[ $status -eq 0 ] && echo "installed: ${#expected[@]} files checked"
exit $status
