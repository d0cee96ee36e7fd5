#!/bin/sh
# Runs a command beside a headless Wayland compositor, as on a Wayland desktop:
# XDG_RUNTIME_DIR is a private folder and WAYLAND_DISPLAY names weston's socket.
# Exits with 77, saying why, when weston cannot start.
set -u

if ! command -v weston >/dev/null 2>&1; then
    echo "SKIP: weston is not installed"
    exit 77
fi
XDG_RUNTIME_DIR=$(mktemp -d) || exit 1
WAYLAND_DISPLAY=zarvello-test
export XDG_RUNTIME_DIR WAYLAND_DISPLAY
log="$XDG_RUNTIME_DIR/weston.log"
weston --backend=headless-backend.so --socket="$WAYLAND_DISPLAY" --no-config >"$log" 2>&1 &
weston=$!
# Whatever happens, weston and its folder go away with this script.
trap 'kill "$weston" 2>/dev/null; wait "$weston"; rm -rf "$XDG_RUNTIME_DIR"' EXIT
trap 'exit 143' HUP INT TERM

# Twenty seconds for the socket to appear, unless weston gives up first.
tries=0
while [ ! -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ]; do
    if ! kill -0 "$weston" 2>/dev/null || [ "$tries" -ge 200 ]; then
        echo "SKIP: weston could not start:"
        tail -n 5 "$log"
        exit 77
    fi
    sleep 0.1
    tries=$((tries + 1))
done

"$@"
