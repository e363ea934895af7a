#!/usr/bin/env bash
# Renders the scalable icon to the PNG sizes that are committed beside it, so the build itself
# needs no SVG converter. Run after editing the SVG; needs rsvg-convert (librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/icons"
name=example.dravenholt.Loan
for size in 16 32 48 64 128 256; do
    mkdir -p "${size}x${size}"
    rsvg-convert -w "$size" -h "$size" -o "${size}x${size}/$name.png" "$name.svg"
done
