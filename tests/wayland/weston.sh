#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Zundelfeld developers
# SPDX-License-Identifier: GPL-3.0-or-later
# The real program as a Wayland client of weston, which runs nested in a private Xvfb
# through its X11 backend: that gives it a seat with a keyboard, so the game window gets
# the focus, and keys typed with xdotool reach it. What the compositor shows is read from
# its scene graph (weston --debug), and its pictures from the X screen.
#   weston.sh PROGRAM VORSCHAU
# The window shows the level's starting frame exactly and is menu bar plus client area;
# a level chosen from the menu resizes it; a dialog opens over it; closing writes
# zundrec.dat, which the next start reads back; Escape minimises.
set -euo pipefail
programm=$(realpath "$1") vorschau=$2
for p in Xvfb weston weston-debug xdotool import compare; do
    command -v $p >/dev/null || { echo "FAIL: $p is missing; tools/ensure-deps.sh installs it" >&2; exit 1; }
done
tmp=$(mktemp -d)
pids=()
aufraeumen() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$tmp"
}
trap aufraeumen EXIT
fehlschlag() {
    echo "FAIL: $*" >&2
    if [[ -n ${anzeige:-} ]]; then
        import -display ":$anzeige" -window root "$tmp/letztes.png" 2>/dev/null &&
            cp "$tmp/letztes.png" "${TMPDIR:-/tmp}/zundel-wayland-fehler.png" &&
            echo "the screen: ${TMPDIR:-/tmp}/zundel-wayland-fehler.png" >&2
        echo "weston's scene graph:" >&2
        szene >&2 || true
        tail -n 20 "$tmp/weston.log" "$tmp/spiel.log" >&2 || true
    fi
    exit 1
}
# warte SECONDS COMMAND...: until the command succeeds, or fail
warte() {
    local bis=$((SECONDS + $1))
    shift
    until "$@"; do
        ((SECONDS < bis)) || return 1
        sleep 0.2
    done
}

"$vorschau" "$tmp/soll" >/dev/null
mkdir -m 700 "$tmp/laufzeit"
mkdir "$tmp/spiel" "$tmp/heim"

# Xvfb picks a free display and writes its number once it accepts clients.
exec {fd}>"$tmp/anzeige"
Xvfb -displayfd "$fd" -screen 0 800x600x24 -nolisten tcp >"$tmp/xvfb.log" 2>&1 &
pids+=($!)
exec {fd}>&-
warte 10 test -s "$tmp/anzeige" || fehlschlag "Xvfb did not start: $(cat "$tmp/xvfb.log")"
anzeige=$(<"$tmp/anzeige")

# No panel and no animations, so the screen holds only the background and the windows.
cat >"$tmp/weston.ini" <<EOF
[shell]
panel-position=none
background-color=0xff204060
locking=false
animation=none
close-animation=none
startup-animation=none
focus-animation=none
EOF
# weston 10 takes --use-pixman, later ones --renderer=pixman.
zeichner=--use-pixman
weston --help 2>&1 | grep -q -- '--renderer' && zeichner=--renderer=pixman
wayland=(env -u DISPLAY XDG_RUNTIME_DIR="$tmp/laufzeit" WAYLAND_DISPLAY=zundel)
DISPLAY=:$anzeige XDG_RUNTIME_DIR="$tmp/laufzeit" weston --backend=x11-backend.so "$zeichner" \
    --debug --config="$tmp/weston.ini" --socket=zundel --width=800 --height=600 \
    >"$tmp/weston.log" 2>&1 &
pids+=($!)
szene() { "${wayland[@]}" weston-debug scene-graph 2>/dev/null; }
# fenster TITLE: "x y width height" of the shown top-level window of that title
fenster() {
    szene | awk -v t="top-level window '$1'" '
        index($0, t) { f = 1; next }
        f && /position:/ { gsub(/[(),>-]/, " "); print $2, $3, $4 - $2, $5 - $3; exit }'
}
warte 10 test -S "$tmp/laufzeit/zundel" || fehlschlag "weston did not start"
warte 10 eval 'szene | grep -q "background for output"' || fehlschlag "weston shows no background"

# Keys go to the X window under the pointer, weston's; the pointer sits in one of its
# corners away from the game's window, so weston draws its arrow where no test looks.
zeigerWeg() {
    local x y w h
    read -r x y w h <<<"$(fenster Zundelfeld)"
    if ((x > 40 || y > 40)); then
        xdotool mousemove 0 0
    else
        xdotool mousemove 799 599
    fi
}
export DISPLAY=:$anzeige
xdotool mousemove 799 599

starte() {
    (cd "$tmp/spiel" && exec "${wayland[@]}" HOME="$tmp/heim" QT_QPA_PLATFORM=wayland \
        QT_WAYLAND_DISABLE_WINDOWDECORATION=1 "$programm") >>"$tmp/spiel.log" 2>&1 &
    spiel=$!
    pids+=("$spiel")
}

# zeigt LEVEL: the window is as wide as the level's starting frame, which fills it below
# the menu bar, pixel for pixel. Without the toolkit's title bar (which weston would not
# draw for it either) the surface is exactly menu bar and client area.
zeigt() {
    local soll=$tmp/soll/neu_stufe$1.png x y w h fw fh
    read -r x y w h <<<"$(fenster Zundelfeld)"
    [[ -n ${h:-} ]] || return 1
    read -r fw fh <<<"$(identify -format '%w %h' "$soll")"
    ((w == fw && h > fh + 10 && h < fh + 60)) || return 1
    zeigerWeg
    import -window root -crop "${fw}x$fh+$x+$((y + h - fh))" +repage "$tmp/ist.png"
    [[ $(compare -metric AE "$tmp/ist.png" "$soll" null: 2>&1) == 0 ]]
}
taste() { xdotool key --delay 100 "$@"; }

# First start, no settings file: level 1.
starte
warte 20 zeigt 1 || fehlschlag "no window with level 1's starting frame"
# The level menu: Spiel, Fortgeschrittene.
taste alt+s f
warte 10 zeigt 2 || fehlschlag "choosing Fortgeschrittene did not resize the window to level 2"
# The best times open over the window and close with Enter on their focused OK.
taste alt+s z
warte 10 eval '[[ -n $(fenster Bestzeiten) ]]' || fehlschlag "no best-times dialog"
read -r dx dy dw dh <<<"$(fenster Bestzeiten)"
read -r x y w h <<<"$(fenster Zundelfeld)"
((dx < x + w && x < dx + dw && dy < y + h && y < dy + dh)) || fehlschlag "the dialog is not over the window"
# weston lists views top first
szene | grep -o "top-level window '[^']*'" | head -1 | grep -q Bestzeiten ||
    fehlschlag "the dialog is not on top"
taste Return
warte 10 eval '[[ -z $(fenster Bestzeiten) ]]' || fehlschlag "Enter did not close the dialog"
# Spiel, Beenden: the program ends and leaves its settings.
taste alt+s b
warte 10 eval '! kill -0 $spiel 2>/dev/null' || fehlschlag "Beenden did not end the program"
wait "$spiel" || fehlschlag "the program ended with status $?"
[[ -s $tmp/spiel/zundrec.dat ]] || fehlschlag "closing wrote no zundrec.dat"

# Second start: the level read back from zundrec.dat. Escape asks the compositor to
# minimise; Wayland tells no client whether it did, so only weston's scene shows it: the
# window leaves the screen while the program runs on.
starte
warte 20 zeigt 2 || fehlschlag "the second start is not on level 2"
taste Escape
warte 10 eval '[[ -z $(fenster Zundelfeld) ]]' || fehlschlag "Escape did not minimise the window"
kill -0 "$spiel" || fehlschlag "the program ended on Escape"
echo "weston $(weston --version 2>&1 | grep -o '[0-9.]*' | head -1): all checks passed"
