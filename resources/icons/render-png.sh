#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Renders the committed PNG icons from korvel.svg (rsvg-convert: Debian package
# librsvg2-bin). Run after changing the drawing; the build itself needs only the PNGs.
set -eu
cd "$(dirname "$0")"
for size in 16 32 48 64 128; do
    rsvg-convert -w "$size" -h "$size" korvel.svg -o "korvel-$size.png"
done
