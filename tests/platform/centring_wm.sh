#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Both windows under a real window manager (openbox on its own Xvfb display):
# starts korvel, checks that the input window's outer rectangle, frame and
# title bar included, is centred on the screen within a pixel, picks the first
# brand from the keyboard (Tab, Alt+Down, Enter), clicks the button and checks
# the report window the same way, and that it shows the first brand's report.
# Exits 77 (skipped) when a tool is missing.
#
#   tests/platform/centring_wm.sh build/app/korvel
set -euo pipefail

program=$(realpath "$1")
for tool in Xvfb openbox xdotool xwininfo xprop iconv; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit 77; }
done

work=$(mktemp -d)
pids=()
cleanup() {  # the program first, the display last
    local i
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null || true
        wait "${pids[i]}" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT
# Everything started here keeps its files in the work folder: openbox its
# cache, korvel its report file.
export HOME="$work" XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache" XDG_DATA_HOME="$work/data"

# wait_for SECONDS COMMAND...: until COMMAND succeeds, or fail.
wait_for() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@" >/dev/null 2>&1; do
        if [ $SECONDS -ge $deadline ]; then echo "timed out: $*" >&2; return 1; fi
        sleep 0.05
    done
}

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
pids+=($!)
wait_for 10 test -s "$work/display"
export DISPLAY=":$(cat "$work/display")"
openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
# On a loaded machine openbox may take a while; if it does not come, say why.
wait_for 30 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' ||
    { echo "openbox said:" >&2; cat "$work/openbox.log" >&2; exit 1; }

"$program" &
korvel=$!
pids+=($korvel)

# window_of_size W H: the id of korvel's mapped window whose client area is W x H.
window_of_size() {
    local id info
    for id in $(xdotool search --onlyvisible --pid "$korvel" 2>/dev/null); do
        info=$(xwininfo -id "$id" 2>/dev/null) || continue
        if grep -q "Width: $1\$" <<<"$info" && grep -q "Height: $2\$" <<<"$info"; then
            echo "$id"
            return 0
        fi
    done
    return 1
}

# popup_shown: korvel shows a window besides the input window (the brand list's popup).
popup_shown() {
    [ "$(xdotool search --onlyvisible --pid "$korvel" 2>/dev/null | wc -l)" -gt 1 ]
}

# check_centred NAME ID: the outer rectangle, from the client area and the
# frame the window manager reports, stands in the middle of the screen.
check_centred() {
    local info x y w h left right top bottom
    wait_for 10 sh -c "xprop -id $2 _NET_FRAME_EXTENTS | grep -q ="
    info=$(xwininfo -id "$2")
    x=$(awk '/Absolute upper-left X/ {print $4}' <<<"$info")
    y=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$info")
    w=$(awk '/Width:/ {print $2}' <<<"$info")
    h=$(awk '/Height:/ {print $2}' <<<"$info")
    IFS=', ' read -r left right top bottom < <(xprop -id "$2" _NET_FRAME_EXTENTS | sed 's/.*= //')
    local outer_x=$((x - left)) outer_y=$((y - top)) outer_w=$((w + left + right)) outer_h=$((h + top + bottom))
    local dx=$((2 * outer_x + outer_w - 1280)) dy=$((2 * outer_y + outer_h - 1024))
    echo "$1: outer ${outer_w}x${outer_h} at $outer_x,$outer_y (frame $left $right $top $bottom)"
    if [ "${dx#-}" -gt 2 ] || [ "${dy#-}" -gt 2 ]; then
        echo "$1 is not centred: its centre is off by $((dx / 2)),$((dy / 2)) px" >&2
        return 1
    fi
}

wait_for 15 window_of_size 549 293
form1=$(window_of_size 549 293)
check_centred Form1 "$form1"

xdotool windowactivate --sync "$form1"
# The list's popup is awaited before Return and its closing before the
# click: on a loaded machine the click raced the popup and was lost.
xdotool key --clearmodifiers Tab alt+Down
wait_for 15 popup_shown
xdotool key --clearmodifiers Return
wait_for 15 eval '! popup_shown'
xdotool mousemove --window "$form1" 280 248 click 1  # Command1
wait_for 15 window_of_size 632 453
check_centred Form2 "$(window_of_size 632 453)"

report=$(iconv -f WINDOWS-1251 -t UTF-8 "$work/korvel.htm")
grep -q "Расход электродов марки УОНИ 13/45 составляет" <<<"$report" ||
    { echo "the report is not that of the first brand" >&2; exit 1; }
echo "both windows centred"
