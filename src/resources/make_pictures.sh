#!/usr/bin/env bash
# Draws the two pictures shown in Vantrel's dialogs:
#   About.bmp (508 x 286) - emblem, program name, maker, version and a miniature tile grid;
#   Help.bmp  (611 x 454) - a page of usage instructions with a small tile illustration.
# Both are written as uncompressed 24-bit BMPs, because the dialogs load them as plain
# DIBs. The bottom band of each picture is left one flat colour: the dialog puts its own
# controls there (About: build date and OK, from y = 210; Help: OK, from y = 376). The bands
# hold those controls under Windows' dialog-unit metrics for the dialog font (6 x 13) and
# Wine's (6 x 12), which place them up to 25 pixels apart.
# Needs ImageMagick's convert and the Liberation fonts (Debian: fonts-liberation).
#   bash src/resources/make_pictures.sh [output-folder]     (default: this script's folder)
set -euo pipefail

out=${1:-$(dirname "$0")}
mkdir -p "$out"
fonts=/usr/share/fonts/truetype/liberation
regular=$fonts/LiberationSans-Regular.ttf
bold=$fonts/LiberationSans-Bold.ttf
for f in "$regular" "$bold"; do
    [[ -r $f ]] || { echo "missing font: $f" >&2; exit 1; }
done

# Colours. The band matches the usual dialog face, so the controls on it blend in.
band='#F0F0F0'
night='#1E2028'     # About banner
paper='#FFFFFF'     # Help page
ink='#1E2028'
accent='#0078D7'
empty='#323232'     # empty tile, as in the main window

draw=()             # drawing arguments collected for the picture being built

# text X Y FONT SIZE COLOUR STRING - X, Y is the top left corner of the text.
text() {
    draw+=(-font "$3" -pointsize "$4" -fill "$5" -annotate "+$1+$2" "$6")
}

# rect X Y W H COLOUR
rect() {
    draw+=(-fill "$5" -draw "rectangle $1,$2 $(($1 + $3 - 1)),$(($2 + $4 - 1))")
}

# tile X Y SIZE COLOUR [selected] - one tile as the main window paints it, scaled down:
# a program-icon blob and two name lines when filled, the white selection frame when asked.
tile() {
    local x=$1 y=$2 s=$3 colour=$4 selected=${5:-}
    rect "$x" "$y" "$s" "$s" "$colour"
    if [[ $colour != "$empty" ]]; then
        local icon=$((s * 2 / 5)) bar=$((s > 30 ? 2 : 1))
        local ix=$((x + (s - icon) / 2)) iy=$((y + s / 5))
        draw+=(-fill '#FFFFFF' -draw "roundrectangle $ix,$iy $((ix + icon - 1)),$((iy + icon - 1)) $((icon / 4)),$((icon / 4))")
        rect $((x + s / 4)) $((iy + icon + s / 10)) $((s / 2)) "$bar" '#FFFFFF'
        rect $((x + s / 3)) $((iy + icon + s / 10 + 2 * bar + 1)) $((s / 3)) "$bar" '#FFFFFF'
    fi
    if [[ -n $selected ]]; then
        local w=$((s / 8 > 2 ? s / 8 : 2))
        draw+=(-fill none -stroke '#FFFFFF' -strokewidth "$w"
               -draw "rectangle $((x + w / 2)),$((y + w / 2)) $((x + s - 1 - w / 2)),$((y + s - 1 - w / 2))"
               -stroke '#000000' -strokewidth 1
               -draw "rectangle $((x + w)),$((y + w)) $((x + s - 1 - w)),$((y + s - 1 - w))"
               -stroke none)
    fi
}

# grid_row X Y SIZE COLOURS... - a row of tiles on black with 1-pixel gaps; "sel:" in front
# of a colour marks the selected tile.
grid_row() {
    local x=$1 y=$2 s=$3
    shift 3
    for c in "$@"; do
        if [[ $c == sel:* ]]; then tile "$x" "$y" "$s" "${c#sel:}" selected
        else tile "$x" "$y" "$s" "$c"; fi
        x=$((x + s + 1))
    done
}

# save FILE WIDTH HEIGHT BACKGROUND - renders the collected drawing and clears it.
save() {
    convert -size "$2x$3" "xc:$4" -gravity NorthWest "${draw[@]}" \
        -alpha off -type TrueColor -compress None "BMP3:$out/$1"
    draw=()
}

# ---------------------------------------------------------------- About.bmp
# Emblem: a launch tile - a rocket climbing out of a framed blue tile.
emblem() {
    local x=$1 y=$2 s=$3 cx=$(($1 + $3 / 2)) cy=$(($2 + $3 / 2))
    draw+=(-fill "$accent" -draw "roundrectangle $x,$y $((x + s - 1)),$((y + s - 1)) 22,22"
           -fill none -stroke '#FFFFFF' -strokewidth 6
           -draw "roundrectangle $((x + 9)),$((y + 9)) $((x + s - 10)),$((y + s - 10)) 14,14"
           -stroke none)
    # speed streaks and a few stars behind the rocket
    draw+=(-draw "stroke '#9CCBF2' stroke-width 3 stroke-linecap round
               line $((cx - 46)),$((cy + 14)) $((cx - 26)),$((cy - 6))
               line $((cx - 14)),$((cy + 46)) $((cx + 6)),$((cy + 26))"
           -fill '#FFFFFF'
           -draw "circle $((cx + 36)),$((cy + 30)) $((cx + 38)),$((cy + 30))"
           -draw "circle $((cx - 38)),$((cy - 34)) $((cx - 36)),$((cy - 34))"
           -draw "circle $((cx + 30)),$((cy + 46)) $((cx + 31)),$((cy + 46))")
    # the rocket, drawn pointing up and turned 45 degrees towards the top right
    draw+=(-draw "translate $((cx + 6)),$((cy - 6)) rotate 45 scale 1.15,1.15
        fill '#FFB900' polygon -9,20 0,54 9,20
        fill '#FFF1B8' polygon -5,20 0,40 5,20
        fill '#D83B01' polygon -13,-4 -27,18 -27,28 -13,17
        fill '#D83B01' polygon 13,-4 27,18 27,28 13,17
        fill '#F4F6F8' path 'M 0,-46 C 14,-34 16,-12 14,20 L -14,20 C -16,-12 -14,-34 0,-46 Z'
        fill '#D83B01' polygon -2,0 2,0 2,24 -2,24
        fill '$night' stroke '#5FA8E8' stroke-width 3 circle 0,-14 0,-6")
}

about() {
    rect 0 0 508 208 "$night"
    emblem 26 29 150
    text 206 12 "$bold" 54 '#FFFFFF' 'Vantrel'
    text 208 77 "$regular" 17 '#C9CED8' 'by Morrowtide'
    text 208 99 "$regular" 15 '#6DB6F2' 'Version 1.00'
    # miniature of the main window: black with 1-pixel gaps between the tiles
    local gx=206 gy=125 s=22
    rect "$gx" "$gy" $((12 * (s + 1) + 7)) $((3 * (s + 1) + 7)) '#000000'
    gx=$((gx + 4)) gy=$((gy + 4))
    grid_row "$gx" "$gy" "$s" "$accent" "$empty" '#107C10' "$empty" "$empty" '#D83B01' "$empty" "$empty" "$empty" '#8E44AD' "$empty" "$empty"
    grid_row "$gx" $((gy + s + 1)) "$s" "$empty" "$empty" "$empty" "sel:$empty" "$empty" "$empty" "$empty" '#00838F' "$empty" "$empty" "$empty" "$empty"
    grid_row "$gx" $((gy + 2 * (s + 1))) "$s" '#B8860B' "$empty" "$empty" "$empty" "$empty" "$empty" "$empty" "$empty" "$empty" "$empty" "$empty" "$empty"
    rect 0 208 508 2 "$accent"
    # rows 210 and below stay plain: build date and OK button
    save About.bmp 508 286 "$band"
}

# ---------------------------------------------------------------- Help.bmp
y=0
key_x=24 desc_x=170
body=13 step=14

# heading TITLE - a section heading with a rule under it
heading() {
    y=$((y + 2))
    text "$key_x" "$y" "$bold" 13 "$accent" "$1"
    rect "$key_x" $((y + 16)) $((611 - 2 * key_x)) 1 '#D5DAE2'
    y=$((y + 18))
}

# entry KEY LINE... - a key in bold, then its description, already wrapped to fit
entry() {
    text "$key_x" "$y" "$bold" "$body" "$ink" "$1"
    shift
    for line in "$@"; do
        text "$desc_x" "$y" "$regular" "$body" "$ink" "$line"
        y=$((y + step))
    done
}

help() {
    # title bar with an empty, a filled and a selected tile at its right
    rect 0 0 611 44 "$night"
    text 24 9 "$bold" 24 '#FFFFFF' 'Vantrel Help'
    rect 484 5 103 35 '#000000'
    grid_row 485 6 33 "$empty" "$accent" "sel:#107C10"
    y=50

    heading 'MOUSE'
    entry 'Left click' 'Empty tile: choose a program or file for it. Filled tile: run it.'
    entry 'Right click' \
        'Opens the tile menu (Space does the same):' \
        '•  empty tile: Select a Folder, or Enter a Path, URL, or Shortcut' \
        '•  filled tile: delete, rename, color, info, Run as Administrator (programs)' \
        '•  always: grid size, Select Hotkey, Refresh, About, Help, Exit' \
        '•  always: Restore Earlier Tiles - backups compared with now, restored'
    entry 'Drag and drop' 'Drop files or folders from the file manager onto empty tiles.'
    entry 'Shift or Ctrl + click' 'Left click only selects a tile; drag on to carry it, and let go over' \
        'another tile to swap the two. Right click shows the row and column.'
    entry 'Mouse wheel' 'Scrolls up and down; with Shift in fine steps, with Ctrl sideways.'
    entry 'Resting the pointer' 'On a filled tile: a tip with its whole name and its whole target.'

    heading 'KEYBOARD'
    entry 'Arrow keys' 'Move the selection; it wraps around at the edges of the grid.'
    entry 'Shift / Ctrl + arrows' 'Scroll by one pixel / by one tile.'
    entry 'Home / End' 'Select the first / last tile. Page Up / Page Down scroll by one tile.'
    entry 'Return / Space' 'Run the selected tile / open its menu, like a left / right click.'
    entry 'Alt + arrows' 'Move the selected tile one place, swapping it with its neighbour.'
    entry 'A letter' 'Selects the next tile whose name starts with that letter.'
    entry 'Ctrl+F' 'Find a tile by any part of its name or target: Down / Up, then Return.'
    entry 'Ctrl+Z / Ctrl+Y' 'Take back the last change to the tiles / do it again.'
    entry 'Ctrl+Alt+Z' 'Hotkey: brings Vantrel forward, or minimises it (see Select Hotkey).'

    # rows 376 and below stay plain: OK button
    (( y <= 372 )) || { echo "Help.bmp: text runs into the bottom band (y = $y)" >&2; exit 1; }
    rect 0 376 611 78 "$band"
    save Help.bmp 611 454 "$paper"
}

about
help
