#!/bin/bash
# Starts Arkivoda under Xvfb (with a tray and a session bus) on a throw-away data folder, drives it as a
# user would with xdotool, and saves a PNG of each of its windows in build/screenshots/: the main window
# idle, during a run, paused and after a stop, the run summary, a message dialog, the missing-files
# window and the settings window over that list, the About box and the countdown before an end-of-run
# action, the restore window; then the main window after a switch to English, the About box, the
# countdown and the restore window in English;
# last the settings window on a first start. Needs the packages of scripts/install-deps.sh and a built
# build/bin/arkivoda with its language modules.
#
# With --scale N (a whole number) the program runs with QT_SCALE_FACTOR=N on a screen N times as large,
# and the pictures go to build/screenshots/Nx/, so that text clipped at a high scale shows.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
SCALE=1
if [ "${1:-}" = --scale ]; then
    SCALE=${2:-}
    shift 2 || true
fi
case "$SCALE" in
    [1-9]) ;;
    *) echo "usage: $0 [--scale N], N a whole number from 1 to 9" >&2; exit 2 ;;
esac
OUT="$ROOT/build/screenshots"
[ "$SCALE" = 1 ] || OUT="$OUT/${SCALE}x"
PROGRAM="$ROOT/build/bin/arkivoda"
[ -x "$PROGRAM" ] || { echo "build/bin/arkivoda is missing: run scripts/build.sh first" >&2; exit 1; }
mkdir -p "$OUT"

if [ -z "${ARKIVODA_SCREENSHOTS_INNER:-}" ]; then
    export ARKIVODA_SCREENSHOTS_INNER=1
    # Large enough for the settings window (671 x 750) below the tray at the chosen scale.
    height=768
    [ "$SCALE" = 1 ] || height=$((800 * SCALE))
    exec xvfb-run -a -s "-screen 0 $((1024 * SCALE))x${height}x24" dbus-run-session -- \
        "$0" --scale "$SCALE"
fi
export QT_SCALE_FACTOR=$SCALE
# The program runs in a Croatian user's locale, so that dates, sizes and numbers read as the Croatian
# interface shows them to its users (the tools that drive it keep theirs).
LOCALE=hr_HR.UTF-8
# Coordinates of the program's windows are given in its own (logical) pixels; xdotool wants the screen's.
px() {
    echo $(($1 * SCALE))
}

WORK=$(mktemp -d)
PIDS=()
cleanup() {
    for pid in "${PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$WORK"
}
trap cleanup EXIT

# A throw-away data folder: a list with one large file (so that a run lasts), a few small ones and an
# entry that does not exist.
export XDG_CONFIG_HOME="$WORK/config"
mkdir -p "$XDG_CONFIG_HOME/Arkivoda" "$WORK/Arhiva" "$WORK/Dokumenti/Računi 2024"
head -c 1536M /dev/urandom > "$WORK/Dokumenti/Snimka sastanka.bin"
for name in "Ponuda Đakovo.txt" "Računi 2024/Račun 001.txt" "Računi 2024/Račun 002.txt"; do
    echo "Sadržaj: $name" > "$WORK/Dokumenti/$name"
done
printf '%s\r\n%s\r\n' "$WORK/Dokumenti" "$WORK/Nedostupno/Ugovor.docx" > "$XDG_CONFIG_HOME/Arkivoda/Arkivoda_bcklst.txt"
settings() {
    printf '[Program]\r\nJezik=%s\r\n[LokacijaAuto]\r\nPutanja=%s/\r\n' "$1" "$WORK/Arhiva" \
        > "$XDG_CONFIG_HOME/Arkivoda/Arkivoda.ini"
}
settings HR
# An archive of the small documents for the restore window, named and laid out as a run makes them.
(cd / && zip -q -r "$WORK/Arhiva/Arhiva_2024.03.15__14.05.09.zip" "${WORK#/}/Dokumenti" -x '*.bin')

trayer --edge top --align right --widthtype request --height $((24 * SCALE)) --transparent false &
PIDS+=($!)
sleep 1
LANG=$LOCALE LC_ALL='' "$PROGRAM" &
APP=$!
PIDS+=($APP)

# Waits for a visible window other than the main window whose title matches the pattern; prints its id.
window() {
    local id
    for _ in $(seq 1 600); do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | grep -vx "${MAIN:-none}" | head -n 1 || true)
        if [ -n "$id" ]; then
            echo "$id"
            return
        fi
        sleep 0.1
    done
    import -window root "$OUT/failure.png" || true
    echo "no window \"$1\" appeared (the screen: $OUT/failure.png)" >&2
    return 1
}
shot() {
    sleep "${3:-0.5}"
    import -window "$1" "$OUT/$2.png"
    echo "saved $OUT/$2.png"
}
# Clicks at a point of the main window's client area (below its menu bar).
click() {
    eval "$(xdotool getwindowgeometry --shell "$MAIN")"
    local menu=$((HEIGHT - $(px 492)))
    xdotool mousemove $((X + $(px "$1"))) $((Y + menu + $(px "$2"))) click 1
}
# Closes a dialog with Enter, as its default button.
press_enter() {
    xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"
    xdotool key --clearmodifiers Return
}

MAIN=$(window '^Arkivoda$')
shot "$MAIN" 01-glavni 1

click 176 69                      # Automatsko arhiviranje
sleep 0.5
click 632 276                     # Pauziraj arhiviranje, during the run's initial wait: the run holds at
FIRST=$(window '^Arkivoda$')      # its first report
press_enter "$FIRST"
sleep 1.5
shot "$MAIN" 02-arhiviranje 0

click 632 276                     # Pauziraj arhiviranje, while the large file is archived
BOX=$(window '^Arkivoda$')
# The pause box stands over the main window: the whole screen shows both.
shot root 03-pauza 0.5
press_enter "$BOX"
sleep 0.3

click 632 308                     # Prekini arhiviranje: the large file is finished, then the archive closed
shot "$MAIN" 04-prekid 0.3

SUMMARY=$(window '^Info$')
shot "$SUMMARY" 05-sazetak
press_enter "$SUMMARY"
WARNING=$(window '^Upozorenje$')
shot "$WARNING" 06-poruka
press_enter "$WARNING"
MISSING=$(window 'lista datoteka i mapa koje nisu')
shot "$MISSING" 07-nedostupne
press_enter "$MISSING"
shot "$MAIN" 08-glavni-nakon-prekida 0.8

# The settings window over the list above, from Program > Postavke programa.
xdotool windowfocus --sync "$MAIN" 2>/dev/null || xdotool windowfocus "$MAIN"
xdotool key --clearmodifiers alt+p
sleep 0.3
xdotool key --clearmodifiers p
SETTINGS=$(window 'postavke programa')
shot "$SETTINGS" 09-postavke
xdotool key --clearmodifiers alt+n   # Nastavak rada bez spremanja postavki
sleep 0.5

# The restore window, from Program > Vraćanje datoteka (or Restore files), with the archive made above
# chosen (made the newest first, so it stands at the top of the list); closed with its own button.
restore_window() {
    touch "$WORK/Arhiva/Arhiva_2024.03.15__14.05.09.zip"
    xdotool windowfocus --sync "$MAIN" 2>/dev/null || xdotool windowfocus "$MAIN"
    xdotool key --clearmodifiers alt+p
    sleep 0.3
    xdotool key --clearmodifiers "$2"
    local restore
    restore=$(window "$3")
    xdotool windowfocus --sync "$restore" 2>/dev/null || xdotool windowfocus "$restore"
    eval "$(xdotool getwindowgeometry --shell "$restore")"
    xdotool mousemove $((X + $(px 100))) $((Y + $(px 57))) click 1     # the first archive of the list
    shot "$restore" "$1" 0.8
    xdotool key --clearmodifiers "$4"
    sleep 0.5
}
# (Its title is matched by its ASCII part: where the program's locale is not installed, the window's
# legacy name holds no other letters.)
restore_window 17-vracanje v 'anje datoteka$' alt+z


# The About box, from the menu Informacije > O programu; it closes with Escape.
about() {
    eval "$(xdotool getwindowgeometry --shell "$MAIN")"
    xdotool mousemove $((X + $(px 150))) $((Y + $(px 9))) click 1      # Informacije, in the menu bar
    sleep 0.4
    xdotool mousemove $((X + $(px 170))) $((Y + HEIGHT - $(px 492) + $(px 12))) click 1   # O programu
    local box
    box=$(window ' - ')
    shot "$box" "$1"
    xdotool windowfocus --sync "$box" 2>/dev/null || xdotool windowfocus "$box"
    xdotool key --clearmodifiers Escape
    sleep 0.3
}
# The countdown before closing the program: a run with "close after" ticked, stopped during its initial
# wait; the countdown is cancelled with Enter, which leaves the box ticked for the next run (so a second
# call, given "ticked", leaves it as it is).
countdown() {
    click 176 69                  # Automatsko arhiviranje
    sleep 0.4
    if [ "${2:-}" != ticked ]; then
        click 110 335             # Zatvori program po završetku
    fi
    click 632 308                 # Prekini arhiviranje
    local box
    box=$(window '^Arkivoda$')
    shot "$box" "$1" 0.3
    press_enter "$box"
    sleep 0.5
}

about 10-o-programu
countdown 11-odbrojavanje

# The language menu switches every open window to English at once (Alt+J, then E for "Engleski").
xdotool windowfocus --sync "$MAIN" 2>/dev/null || xdotool windowfocus "$MAIN"
xdotool key --clearmodifiers alt+j
sleep 0.5
xdotool key --clearmodifiers e
shot "$MAIN" 12-glavni-en 1
about 13-about-en
countdown 14-countdown-en ticked
# The settings window in English, from Program > Settings; closed without saving (Alt+C).
xdotool windowfocus --sync "$MAIN" 2>/dev/null || xdotool windowfocus "$MAIN"
xdotool key --clearmodifiers alt+p
sleep 0.3
xdotool key --clearmodifiers s
SETTINGS=$(window ' - settings$')
shot "$SETTINGS" 15-settings-en
xdotool key --clearmodifiers alt+c
sleep 0.5
restore_window 18-restore-en r 'Restore files' alt+c

# A first start on an empty data folder: the settings window comes first, its list empty.
mkdir -p "$WORK/prvo-pokretanje"
XDG_CONFIG_HOME="$WORK/prvo-pokretanje" LANG=$LOCALE LC_ALL='' "$PROGRAM" &
PIDS+=($!)
FIRST_START=$(window 'postavke programa')
shot "$FIRST_START" 16-postavke-prvo-pokretanje
