#!/usr/bin/env bash
# A QtTest program on a virtual X display rather than offscreen: X11 has the selection that the
# middle button pastes, which the offscreen platform lacks. Usage: xvfb_qtest.sh PROBE TEST [ARG...]
set -Eeuo pipefail
probe=${1:?probe}
shift
command -v Xvfb >/dev/null || { echo "SKIP: Xvfb missing"; exit 77; }
work=$(mktemp -d)
xvfb=""
trap 'kill $xvfb 2>/dev/null; wait; rm -rf "$work"' EXIT
source "$(dirname "$0")/e2e_common.sh"

start_display "$probe"
"$@"
