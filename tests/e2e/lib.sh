# Shared helpers for the end-to-end tests: a private Xvfb, the real editor in
# a scratch working folder, real X input through xdotool, and screenshots.
# Source it; the calling script gets `set -euo pipefail` and a cleanup trap.
set -euo pipefail

: "${MAPEDIT:?path of build/mapedit}"
: "${ASSETS:?path of the assets folder}"
E2E_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
WORK=$(mktemp -d /tmp/mapedit-e2e.XXXXXX)
XVFB_PID=""
APP_PID=""

cleanup() {
    [ -n "$APP_PID" ] && kill "$APP_PID" 2>/dev/null || true
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
    pkill -f "xmessage.*$WORK" 2>/dev/null || true
    rm -rf "$WORK"
}
trap cleanup EXIT

fail() { echo "FAIL: $*" >&2; [ -f "$WORK/last.png" ] && cp "$WORK/last.png" "/tmp/e2e-failure-$(basename "$0" .sh).png"; exit 1; }

# Starts a private X server on a free display; long auto-repeat delay so that
# a held key types once even on a loaded machine.
start_x() {
    local fifo="$WORK/display"
    mkfifo "$fifo"
    Xvfb -displayfd 5 -screen 0 1024x768x24 -ardelay 5000 -nolisten tcp 5>"$fifo" >/dev/null 2>&1 &
    XVFB_PID=$!
    local num
    read -r -t 30 num < "$fifo" || fail "Xvfb did not start"
    export DISPLAY=":$num"
    for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && return 0; sleep 0.1; done
    fail "X server $DISPLAY does not answer"
}

# Copies the images (all three unless told otherwise) into the working folder.
stage_assets() {
    local f files=("$@")
    [ ${#files[@]} -gt 0 ] || files=(myska1.bmp myska2.bmp backgrnd.tga)
    for f in "${files[@]}"; do cp "$ASSETS/$f" "$WORK/"; done
}

# Starts the editor in the working folder and waits for its first frames (the
# bar's corner is no longer the black of the bare X screen), a message box or
# its end. A watcher shell records the exit status in $WORK/app.rc, so that
# app_status works from command substitutions too.
start_app() {
    local corner
    rm -f "$WORK/app.rc" "$WORK/app.pid"
    (
        cd "$WORK"
        "$MAPEDIT" >"$WORK/app.out" 2>"$WORK/app.err" &
        echo $! > "$WORK/app.pid"
        rc=0
        wait $! || rc=$?
        echo "$rc" > "$WORK/app.rc"
    ) &
    for _ in $(seq 50); do [ -s "$WORK/app.pid" ] && break; sleep 0.05; done
    APP_PID=$(cat "$WORK/app.pid")
    for _ in $(seq 100); do
        [ -e "$WORK/app.rc" ] && break
        xdotool search --class '^Xmessage$' >/dev/null 2>&1 && break
        corner=$(import -window root -crop 1x1+2+579 -depth 8 txt:- 2>/dev/null || true)
        [[ $corner == *"(0,0,0)"* ]] || break
        sleep 0.1
    done
    sleep 0.5
}

# Waits up to $1 seconds for the editor to end and prints its exit status,
# or "running".
app_status() {
    local limit=${1:-10}
    for _ in $(seq $((limit * 10))); do
        if [ -s "$WORK/app.rc" ]; then
            cat "$WORK/app.rc"
            return 0
        fi
        sleep 0.1
    done
    echo "running"
}

# How long a press is held. A press shorter than one frame is never seen, and
# a frame can take a long time on a loaded machine.
HOLD=${E2E_HOLD:-0.2}

settle() { sleep "${1:-0.4}"; }

move() { xdotool mousemove "$1" "$2"; settle 0.3; }

# Rests the pointer at (x, y), coming from the pixel below, so that it moves
# even when it is already there.
hover() { xdotool mousemove "$1" "$(($2 + 1))"; sleep 0.1; move "$1" "$2"; }

# A press long enough for the editor's two-phase wait to see it.
click() {
    local button=${3:-1}
    xdotool mousemove "$1" "$2"; sleep 0.15
    xdotool mousedown "$button"; sleep "$HOLD"
    xdotool mouseup "$button"; settle 0.25
}

key() {
    xdotool keydown "$1"; sleep "$HOLD"
    xdotool keyup "$1"; settle 0.25
}

# Types each character as its own held key press.
type_text() {
    local text=$1 i ch
    for ((i = 0; i < ${#text}; i++)); do
        ch=${text:i:1}
        case "$ch" in
            ' ') ch=space ;; '.') ch=period ;; '-') ch=minus ;; '_') ch=underscore ;;
        esac
        key "$ch"
    done
}

# Screenshot of the whole X screen to $WORK/$1.png (the window sits at 0,0).
shot() {
    settle 0.3
    import -window root "$WORK/$1.png"
    cp "$WORK/$1.png" "$WORK/last.png"
}

# pixel NAME X Y -> "r g b"
pixel() { python3 "$E2E_DIR/shot.py" pixel "$WORK/$1.png" "$2" "$3"; }

expect_pixel() {
    local got
    got=$(pixel "$1" "$2" "$3")
    [ "$got" = "$4" ] || fail "pixel ($2,$3) of $1 is '$got', expected '$4'"
}

# The status field of screenshot $1 shows exactly the text $2.
expect_status() {
    "$RENDER_TEXT" "$2" > "$WORK/expected.txt"
    python3 "$E2E_DIR/shot.py" status "$WORK/$1.png" "$WORK/expected.txt" ||
        fail "status line of $1 does not show '$2'"
}
