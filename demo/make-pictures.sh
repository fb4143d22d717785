#!/bin/sh
# Draws the pictures of the demo feed (demo/feeds/demo.xml) into demo/obrazky/.
# Each picture is a small flat illustration with a word in a band at the bottom; its size
# must stay the one that the feed item gives in ZELTON_OBRAZEK_SIZE_X/Y.
# Needs ImageMagick 6 (`convert`) and the DejaVu fonts.
set -eu

out="$(dirname "$0")/obrazky"
mkdir -p "$out"

font=DejaVu-Sans-Bold

# picture NAME WIDTH HEIGHT BACKGROUND BAND_COLOUR WORD DRAW...
# The band takes the lowest 20 pixels of the picture; the drawing commands use the rest.
picture() {
    name=$1 w=$2 h=$3 bg=$4 band=$5 word=$6
    shift 6
    bandTop=$((h - 20))
    convert -size "${w}x${h}" "xc:$bg" "$@" \
        -fill "$band" -stroke none -draw "rectangle 0,$bandTop $w,$h" \
        -font "$font" -pointsize 13 -fill white \
        -gravity south -annotate +0+2 "$word" \
        -depth 8 -strip -define png:compression-level=9 "$out/$name.png"
}

# Exhibition: a framed landscape with a sun.
picture vystava 120 90 '#FFF1D6' '#A0522D' 'Výstava' \
    -fill '#8B5A2B' -draw 'rectangle 30,8 90,62' \
    -fill '#BFE3F5' -draw 'rectangle 35,13 85,57' \
    -fill '#F6C343' -draw 'circle 73,24 73,30' \
    -fill '#5E9E5A' -draw 'polygon 35,57 52,30 66,57' \
    -fill '#3F7F45' -draw 'polygon 50,57 68,36 85,57'

# St Nicholas: a bishop's mitre with a cross and a few stars.
picture mikulas 100 100 '#FCE4EC' '#B0243A' 'Mikuláš' \
    -fill '#C62828' -draw 'polygon 32,68 32,34 50,12 68,34 68,68' \
    -fill '#F6C343' -draw 'rectangle 32,62 68,68' \
    -draw 'rectangle 47,28 53,54' -draw 'rectangle 40,36 60,42' \
    -draw 'polygon 14,18 16,23 21,23 17,26 19,31 14,28 9,31 11,26 7,23 12,23' \
    -draw 'polygon 84,40 86,45 91,45 87,48 89,53 84,50 79,53 81,48 77,45 82,45'

# Christmas market: a stall with a striped awning and gingerbread hearts.
picture jarmark 120 90 '#FFF4E0' '#9C2F2F' 'Jarmark' \
    -fill '#C8A27A' -draw 'rectangle 24,32 96,64' \
    -fill '#D84343' -draw 'polygon 18,32 24,14 96,14 102,32' \
    -fill white -draw 'polygon 36,32 38,14 50,14 50,32' -draw 'polygon 64,32 64,14 76,14 78,32' \
    -fill '#8D5524' -draw 'circle 42,50 42,56' -draw 'circle 60,50 60,56' -draw 'circle 78,50 78,56' \
    -fill '#F6C343' -draw 'circle 42,50 42,52' -draw 'circle 60,50 60,52' -draw 'circle 78,50 78,52'

# Concert: two beamed notes.
picture koncert 120 90 '#F3E9FF' '#5B3C88' 'Koncert' \
    -fill '#4A2C6E' -draw 'ellipse 44,56 9,7 0,360' -draw 'ellipse 80,50 9,7 0,360' \
    -draw 'rectangle 50,16 54,56' -draw 'rectangle 86,10 90,50' \
    -draw 'polygon 50,16 90,10 90,20 50,26' \
    -fill '#F6C343' -draw 'circle 22,22 22,26' -draw 'circle 104,64 104,67'

# Craft workshop: a decorated tree bauble and a paper star.
picture dilna 90 120 '#FDE8EF' '#A63D6B' 'Dílna' \
    -fill '#C62828' -draw 'circle 45,62 45,84' \
    -fill '#F6C343' -draw 'rectangle 39,34 51,41' \
    -fill none -stroke '#7A5C3A' -strokewidth 2 -draw 'line 45,34 45,22' -stroke none \
    -fill '#F6C343' -draw 'circle 33,60 33,63' -draw 'circle 45,60 45,63' -draw 'circle 57,60 57,63' \
    -fill white -draw 'circle 38,50 38,51' -draw 'circle 52,50 52,51' -draw 'circle 38,71 38,72' -draw 'circle 52,71 52,72' \
    -fill '#F6C343' -draw 'polygon 70,8 73,16 82,16 75,21 78,29 70,24 62,29 65,21 58,16 67,16'

# New Year's Eve run: a stopwatch and the distance.
picture beh 120 90 '#E4F4E4' '#2E7D32' 'Běh' \
    -fill '#2E7D32' -draw 'rectangle 36,8 48,14' \
    -fill white -stroke '#2E7D32' -strokewidth 4 -draw 'circle 42,40 42,62' \
    -stroke '#2E7D32' -strokewidth 3 -draw 'line 42,40 42,26' -draw 'line 42,40 53,46' -stroke none \
    -fill '#1E4620' -font "$font" -pointsize 16 -draw "text 68,46 '5 km'"

# Skating: a skate boot on its blade, with snowflakes.
picture brusle 100 100 '#E3F2FD' '#1565C0' 'Brusle' \
    -fill '#37474F' -draw 'polygon 28,20 50,20 52,46 76,54 76,66 28,66' \
    -fill white -draw 'rectangle 34,28 46,31' -draw 'rectangle 34,36 48,39' \
    -fill '#90A4AE' -draw 'rectangle 26,70 82,73' -draw 'rectangle 36,66 40,70' -draw 'rectangle 66,66 70,70' \
    -fill none -stroke white -strokewidth 2 \
    -draw 'line 78,14 78,30' -draw 'line 70,22 86,22' -draw 'line 72,16 84,28' -draw 'line 84,16 72,28'

# English course: two speech bubbles.
picture anglictina 120 90 '#E6EEFB' '#1C4E8C' 'Angličtina' \
    -fill '#1C4E8C' -draw 'roundrectangle 8,8 68,34 8,8' -draw 'polygon 20,34 30,34 18,44' \
    -fill '#F6C343' -draw 'roundrectangle 52,32 112,60 8,8' -draw 'polygon 96,60 104,60 106,68' \
    -fill white -font "$font" -pointsize 13 -draw "text 17,26 'Hello!'" \
    -fill '#1C3559' -draw "text 62,51 'Ahoj!'"

# Computer course: a monitor with a keyboard.
picture pocitace 120 90 '#E6EEFB' '#37474F' 'Kurz PC' \
    -fill '#37474F' -draw 'roundrectangle 28,6 92,50 4,4' \
    -fill '#8EC5FF' -draw 'rectangle 33,11 87,45' \
    -fill white -draw 'rectangle 38,16 70,20' -draw 'rectangle 38,25 80,28' -draw 'rectangle 38,33 62,36' \
    -fill '#37474F' -draw 'rectangle 54,50 66,56' -draw 'roundrectangle 26,58 94,66 3,3'

# Film club: a film strip.
picture kino 140 80 '#FFF4E0' '#3E2723' 'Kino' \
    -fill '#3E2723' -draw 'rectangle 0,8 140,54' \
    -fill '#FFF4E0' -draw 'rectangle 6,12 12,17' -draw 'rectangle 26,12 32,17' -draw 'rectangle 46,12 52,17' \
    -draw 'rectangle 66,12 72,17' -draw 'rectangle 86,12 92,17' -draw 'rectangle 106,12 112,17' -draw 'rectangle 126,12 132,17' \
    -draw 'rectangle 6,45 12,50' -draw 'rectangle 26,45 32,50' -draw 'rectangle 46,45 52,50' \
    -draw 'rectangle 66,45 72,50' -draw 'rectangle 86,45 92,50' -draw 'rectangle 106,45 112,50' -draw 'rectangle 126,45 132,50' \
    -fill '#F6C343' -draw 'rectangle 12,21 44,41' -draw 'rectangle 54,21 86,41' -draw 'rectangle 96,21 128,41'

# Carnival: a mask and confetti.
picture karneval 120 90 '#FFF0F6' '#8E24AA' 'Karneval' \
    -fill '#8E24AA' -draw 'path "M 30,26 Q 60,18 90,26 Q 92,48 72,50 Q 60,44 48,50 Q 28,48 30,26 Z"' \
    -fill '#FFF0F6' -draw 'ellipse 46,34 7,5 0,360' -draw 'ellipse 74,34 7,5 0,360' \
    -fill '#F6C343' -draw 'circle 14,12 14,15' -draw 'circle 104,16 104,19' \
    -fill '#26A69A' -draw 'circle 18,56 18,59' -draw 'circle 100,58 100,61' \
    -fill '#EF5350' -draw 'circle 58,8 58,11' -draw 'circle 110,40 110,42'
