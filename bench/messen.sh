#!/usr/bin/env bash
# Measures the running game on a virtual X screen: CPU time and frame rate while it
# stands active and untouched on level 5 for 10 s, the time from process start to the
# first frame shown, and the time from a mouse release to the frame showing its effect.
# Also takes screenshots of a few levels. Run from the repository root:
#
#     bench/messen.sh [output folder]        (default build/messen/ergebnis)
#
# Needs xvfb, openbox, xdotool and imagemagick. The game is built in build/messen with
# ZUNDEL_FRAMEZAEHLER, which makes it write its measuring points to stderr.
set -euo pipefail
cd "$(dirname "$0")/.."

for werkzeug in Xvfb openbox xdotool import; do
    command -v "$werkzeug" >/dev/null || { echo "messen.sh: $werkzeug is missing" >&2; exit 1; }
done

ausgabe="${1:-build/messen/ergebnis}"
mkdir -p "$ausgabe"
ausgabe="$(cd "$ausgabe" && pwd)"

cmake --preset release -B build/messen -DZUNDEL_FRAMEZAEHLER=ON >/dev/null
cmake --build build/messen -j2 --target zundelfeld >/dev/null
programm="$PWD/build/messen/app/window/zundelfeld"

anzeige=":99"
export DISPLAY="$anzeige"
unset WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb

pids=()
aufraeumen() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    wait 2>/dev/null || true
}
trap aufraeumen EXIT

Xvfb "$anzeige" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
openbox >/dev/null 2>&1 &
pids+=($!)
sleep 1

arbeit="$(mktemp -d)"
protokoll="$ausgabe/zundelfeld.log"
cd "$arbeit"
start_ns=$(date +%s%N)
"$programm" 2>"$protokoll" &
spiel=$!
pids+=("$spiel")
cd - >/dev/null

fenster=$(timeout 10 xdotool search --sync --onlyvisible --name '^Zundelfeld$' | head -n1)
xdotool windowactivate --sync "$fenster" 2>/dev/null || xdotool windowfocus --sync "$fenster"
sleep 0.5
import -window root "$ausgabe/stufe1.png"

wert() { grep "^messung $1 " "$protokoll" | awk '{print $3}' || true; }

# Level 5 through the menu's accelerators: "&Spiel", "&Wahnsinn".
xdotool key alt+s
sleep 0.3
xdotool key w
sleep 1
import -window root "$ausgabe/stufe5.png"

takte=$(getconf CLK_TCK)
cpu() { awk '{print $14 + $15}' "/proc/$spiel/stat"; }
zeilen_vorher=$(grep -c '^messung bilder-pro-sekunde ' "$protokoll" || true)
cpu_vorher=$(cpu)
t_vorher=$(date +%s%N)
sleep 10
cpu_nachher=$(cpu)
t_nachher=$(date +%s%N)
sekunden=$(awk -v a="$t_vorher" -v b="$t_nachher" 'BEGIN { printf "%.2f", (b - a) / 1e9 }')
cpu_anteil=$(awk -v c="$((cpu_nachher - cpu_vorher))" -v hz="$takte" -v s="$sekunden" \
    'BEGIN { printf "%.1f", 100 * c / hz / s }')
bildrate=$(grep '^messung bilder-pro-sekunde ' "$protokoll" | tail -n +"$((zeilen_vorher + 1))" |
    awk '{ s += $3; n++ } END { if (n) printf "%.1f", s / n; else print "none" }')
hertz=$(wert bildwiederholrate | head -n1)

erstes=$(wert erstes-bild | head -n1)
bis_erstes=$(awk -v a="$start_ns" -v b="$erstes" 'BEGIN { printf "%.1f", (b - a) / 1e6 }')

# Releases over cells of the running board; each must be followed by a frame. The
# client area (664 x 547 on level 5) sits below the menu bar at the window's bottom.
read -r fx fy fh < <(xdotool getwindowgeometry --shell "$fenster" |
    awk -F= '/^X=/{x=$2} /^Y=/{y=$2} /^HEIGHT=/{h=$2} END{print x, y, h}')
oben=$((fy + fh - 547))
latenzen=()
intern=()
for i in 1 2 3 4 5; do
    xdotool key F2
    sleep 0.2
    xdotool mousemove "$((fx + 12 + 16 * (4 * i) + 8))" "$((oben + 55 + 16 * 10 + 8))"
    sleep 0.1
    xdotool mousedown 1
    sleep 0.1
    vorher=$(grep -c '^messung bild-nach-loslassen ' "$protokoll" || true)
    los_ns=$(date +%s%N)
    xdotool mouseup 1
    for _ in $(seq 100); do
        jetzt=$(grep -c '^messung bild-nach-loslassen ' "$protokoll" || true)
        [[ "$jetzt" -gt "$vorher" ]] && break
        sleep 0.01
    done
    if [[ "$jetzt" -le "$vorher" ]]; then
        latenzen+=("none")
        continue
    fi
    zeile=$(grep '^messung bild-nach-loslassen ' "$protokoll" | tail -n1)
    bild_ns=$(awk '{print $3}' <<<"$zeile")
    latenzen+=("$(awk -v a="$los_ns" -v b="$bild_ns" 'BEGIN { printf "%.1f", (b - a) / 1e6 }')")
    intern+=("$(awk '{ printf "%.2f", $4 / 1000 }' <<<"$zeile")")
done
import -window root "$ausgabe/stufe5-gespielt.png"

xdotool key alt+s
sleep 0.3
xdotool key p
sleep 1
import -window root "$ausgabe/stufe3.png"

echo "screen refresh reported to the game: ${hertz:-unknown} Hz"
echo "level 5, active and untouched for ${sekunden} s:"
echo "  CPU time:   ${cpu_anteil} % of one core (target <= 10 %)"
echo "  frame rate: ${bildrate} frames/s (target within 10 % of ${hertz:-the refresh rate} Hz)"
echo "process start to first frame shown: ${bis_erstes} ms (target <= 300 ms)"
echo "mouse release (xdotool) to the next frame shown, ms: ${latenzen[*]}"
echo "  of which release handler to frame shown, ms: ${intern[*]}"
echo "screenshots: $ausgabe/stufe1.png stufe5.png stufe5-gespielt.png stufe3.png"
rm -rf "$arbeit"
