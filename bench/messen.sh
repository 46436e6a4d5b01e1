#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Zundelfeld developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Measures the running game on a virtual X screen, for levels 1, 3 and 5 and a 72 x 56
# custom board (each chosen by a settings file in a folder of its own): CPU time of the
# game and of the X server (the scheduler's nanoseconds of all their threads) over
# ZUNDEL_DAUER seconds (default 20) while the game stands active and untouched on a fresh
# board, and again while its clock runs, with the frames shown per second; the time from
# process start to the first frame shown; and, on level 5, the time from a mouse release
# to the frame showing its effect. Takes a screenshot of each board, and one of level 3
# started without the focus, which must show the same pixels as the focused start.
# Run from the repository root:
#
#     bench/messen.sh [output folder]        (default build/messen/ergebnis)
#
# ZUNDEL_ANZEIGE names the X display to start the virtual screen on (default :99).
# Needs xvfb, openbox, xdotool, x11-utils and imagemagick. The game is built in build/messen with
# ZUNDEL_FRAMEZAEHLER, which makes it write its measuring points to stderr.
set -euo pipefail
cd "$(dirname "$0")/.."

for werkzeug in Xvfb openbox xdotool xwininfo import; do
    command -v "$werkzeug" >/dev/null || { echo "messen.sh: $werkzeug is missing" >&2; exit 1; }
done

ausgabe="${1:-build/messen/ergebnis}"
dauer="${ZUNDEL_DAUER:-20}"
mkdir -p "$ausgabe"
ausgabe="$(cd "$ausgabe" && pwd)"

cmake --preset release -B build/messen -DZUNDEL_FRAMEZAEHLER=ON >/dev/null
cmake --build build/messen -j2 --target zundelfeld >/dev/null
programm="$PWD/build/messen/app/window/zundelfeld"

anzeige="${ZUNDEL_ANZEIGE:-:99}"
export DISPLAY="$anzeige"
unset WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb

pids=()
arbeit="$(mktemp -d)"
aufraeumen() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$arbeit"
}
trap aufraeumen EXIT

Xvfb "$anzeige" -screen 0 1600x1200x24 -nolisten tcp >/dev/null 2>&1 &
xserver=$!
pids+=("$xserver")
for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
openbox >/dev/null 2>&1 &
fenstermanager=$!
pids+=("$fenstermanager")
sleep 1

# Nanoseconds on a core of all threads of process $1 so far.
cpu() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ s += $1 } END { printf "%d", s }'; }

# The 136-byte settings file for level $1 with $2 rows, $3 columns and $4 mines.
einstellungen() {
    local datei="$1/zundrec.dat" bytes="" v
    shift
    for v in "$@"; do
        bytes+=$(printf '\\x%02x\\x%02x\\x%02x\\x%02x' $((v & 255)) $(((v >> 8) & 255)) \
            $(((v >> 16) & 255)) $(((v >> 24) & 255)))
    done
    { printf '%b' "$bytes"; head -c 120 /dev/zero; } >"$datei"
}

# Starts the game in folder $1 with its log in $2; sets spiel, fenster, bis_erstes.
starten() {
    local ordner="$1" start_ns erstes
    protokoll="$2"
    start_ns=$(date +%s%N)
    (cd "$ordner" && exec "$programm" 2>"$protokoll") &
    spiel=$!
    pids+=("$spiel")
    fenster=$(timeout 10 xdotool search --sync --onlyvisible --name '^Zundelfeld$' | head -n1)
    xdotool windowactivate --sync "$fenster" 2>/dev/null || xdotool windowfocus --sync "$fenster"
    sleep 1
    erstes=$(wert erstes-bild | head -n1)
    bis_erstes=$(awk -v a="$start_ns" -v b="$erstes" 'BEGIN { printf "%.1f", (b - a) / 1e6 }')
}

beenden() {
    kill "$spiel" 2>/dev/null || true
    wait "$spiel" 2>/dev/null || true
}

wert() { grep "^messung $1 " "$protokoll" | awk '{print $3}' || true; }

# The client area's top-left corner on the screen; it sits below the menu bar at the
# window's bottom and is $1 pixels high. (xwininfo, since xdotool counts the window
# manager's frame twice.)
read_client() {
    read -r cx fy fh < <(xwininfo -id "$fenster" |
        awk -F: '/Absolute upper-left X/{x=$2} /Absolute upper-left Y/{y=$2} /Height/{h=$2}
                 END{print x + 0, y + 0, h + 0}')
    cy=$((fy + fh - $1))
}

# $dauer s of standing still: sets spiel_prozent, x_prozent, summe_prozent, bildrate, last.
stillstand() {
    local zeilen_vorher c_spiel c_x t_vorher t_nachher sekunden
    last=$(awk '{print $1}' /proc/loadavg)
    zeilen_vorher=$(grep -c '^messung bilder-pro-sekunde ' "$protokoll" || true)
    c_spiel=$(cpu "$spiel")
    c_x=$(cpu "$xserver")
    t_vorher=$(date +%s%N)
    sleep "$dauer"
    c_spiel=$(($(cpu "$spiel") - c_spiel))
    c_x=$(($(cpu "$xserver") - c_x))
    t_nachher=$(date +%s%N)
    sekunden=$(awk -v a="$t_vorher" -v b="$t_nachher" 'BEGIN { printf "%.3f", (b - a) / 1e9 }')
    anteil() { awk -v c="$1" -v s="$sekunden" 'BEGIN { printf "%.2f", 100 * c / 1e9 / s }'; }
    spiel_prozent=$(anteil "$c_spiel")
    x_prozent=$(anteil "$c_x")
    summe_prozent=$(anteil "$((c_spiel + c_x))")
    bildrate=$(grep '^messung bilder-pro-sekunde ' "$protokoll" | tail -n +"$((zeilen_vorher + 1))" |
        awk '{ s += $3; n++ } END { if (n) printf "%.1f", s / n; else print "none" }')
}

zeilen=()
zeile() {
    zeilen+=("$(printf '| %-15s | %-13s | %5s %% | %5s %% | %5s %% | %6s | %4s |' \
        "$1" "$2" "$spiel_prozent" "$x_prozent" "$summe_prozent" "$bildrate" "$last")")
}

latenzen=()
intern=()
erste_bilder=()

# One board: name, level, rows, columns, mines, the client area's size.
brett() {
    local name="$1" stufe="$2" hoehe="$3" breite="$4" minen="$5" cb="$6" ch="$7"
    local ordner="$arbeit/$name"
    mkdir -p "$ordner"
    einstellungen "$ordner" "$stufe" "$hoehe" "$breite" "$minen"
    starten "$ordner" "$ausgabe/$name.log"
    erste_bilder+=("$name $bis_erstes")
    read_client "$ch"
    import -window root -crop "${cb}x${ch}+${cx}+${cy}" "png:$ausgabe/$name.png"

    # Untouched on a fresh board: the clock stands at 0.
    xdotool mousemove 1599 1199
    sleep 1
    stillstand
    zeile "$name" "untouched"

    # The clock running: one release in the middle of the field, the pointer moved away.
    xdotool mousemove "$((cx + 12 + 16 * (breite / 2) + 8))" "$((cy + 55 + 16 * (hoehe / 2) + 8))"
    sleep 0.1
    xdotool click 1
    xdotool mousemove 1599 1199
    sleep 1
    stillstand
    zeile "$name" "clock running"
    import -window root -crop "${cb}x${ch}+${cx}+${cy}" "png:$ausgabe/$name-laufend.png"

    if [[ "$stufe" == 5 ]]; then release_zu_bild "$cb" "$ch"; fi
    beenden
}

# Releases over cells of a fresh board; each must be followed by a frame.
release_zu_bild() {
    local i vorher jetzt los_ns messzeile bild_ns
    for i in 1 2 3 4 5; do
        xdotool key F2
        sleep 0.2
        xdotool mousemove "$((cx + 12 + 16 * (4 * i) + 8))" "$((cy + 55 + 16 * 10 + 8))"
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
        messzeile=$(grep '^messung bild-nach-loslassen ' "$protokoll" | tail -n1)
        bild_ns=$(awk '{print $3}' <<<"$messzeile")
        latenzen+=("$(awk -v a="$los_ns" -v b="$bild_ns" 'BEGIN { printf "%.1f", (b - a) / 1e6 }')")
        intern+=("$(awk '{ printf "%.2f", $4 / 1000 }' <<<"$messzeile")")
    done
    read_client "$2"
    import -window root -crop "${1}x$2+${cx}+${cy}" "png:$ausgabe/stufe5-gespielt.png"
}

# Level 3 once more, started while the window manager gives new windows no focus: the
# board must be on the screen all the same, pixel for pixel as in the focused start.
ohne_fokus() {
    local ordner="$arbeit/stufe3" start_ns aktiv
    kill "$fenstermanager" 2>/dev/null || true
    wait "$fenstermanager" 2>/dev/null || true
    cat >"$arbeit/rc.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <focus><focusNew>no</focusNew></focus>
</openbox_config>
XML
    openbox --config-file "$arbeit/rc.xml" >/dev/null 2>&1 &
    fenstermanager=$!
    pids+=("$fenstermanager")
    sleep 1
    protokoll="$ausgabe/stufe3-ohne-fokus.log"
    (cd "$ordner" && exec "$programm" 2>"$protokoll") &
    spiel=$!
    pids+=("$spiel")
    fenster=$(timeout 10 xdotool search --sync --onlyvisible --name '^Zundelfeld$' | head -n1)
    sleep 1
    aktiv=$(xdotool getactivewindow 2>/dev/null || echo none)
    fokus_hatte="no"
    [[ "$aktiv" == "$fenster" ]] && fokus_hatte="yes"
    read_client 323
    import -window root -crop "504x323+${cx}+${cy}" "png:$ausgabe/stufe3-ohne-fokus.png"
    fokus_abweichung=$(compare -metric AE "$ausgabe/stufe3.png" "$ausgabe/stufe3-ohne-fokus.png" \
        null: 2>&1 || true)
    beenden
}

brett stufe1 1 8 8 10 152 195
hertz=$(wert bildwiederholrate | head -n1)
brett stufe3 3 16 30 99 504 323
brett stufe5 5 30 40 250 664 547
brett 72x56 6 56 72 999 1176 963
ohne_fokus

echo "display $anzeige, screen refresh reported to the game: ${hertz:-unknown} Hz"
echo "CPU share of one core over $dauer s (game, X server, together), frames shown per second,"
echo "load average at the start of the $dauer s:"
echo "| board           | state         | game    | X       | both    | fr/s   | load |"
echo "|-----------------|---------------|---------|---------|---------|--------|------|"
printf '%s\n' "${zeilen[@]}"
echo "targets: the game <= 0.15 % in every row; game and X server together: level 5 <= 1.5 %, 72x56 <= 3 %"
echo "process start to first frame shown, ms: ${erste_bilder[*]} (target <= 300 ms)"
echo "level 5, mouse release (xdotool) to the next frame shown, ms: ${latenzen[*]}"
echo "  of which release handler to frame shown, ms: ${intern[*]}"
echo "level 3 started without the focus: window active $fokus_hatte, pixels differing from the focused start: $fokus_abweichung (target 0)"
echo "screenshots and logs: $ausgabe"
