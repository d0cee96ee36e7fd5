#!/bin/sh
# Runs a command on a D-Bus session of its own whose accessibility bus (AT-SPI)
# is up, as on a desktop where a screen reader runs. Exits with 77, saying
# why, when that cannot be had.
set -u

skip() {
    echo "SKIP: $*"
    exit 77
}

if [ "${ZARVELLO_ATSPI_SESSION:-}" != 1 ]; then
    command -v dbus-run-session >/dev/null 2>&1 || skip "dbus-run-session is not installed"
    [ -x /usr/libexec/at-spi-bus-launcher ] || skip "at-spi2-core is not installed"
    /usr/bin/python3 -c 'import pyatspi' 2>/dev/null || skip "python3-pyatspi is not installed"
    # The accessibility bus keeps its socket under XDG_RUNTIME_DIR: a private
    # one keeps it apart from a desktop's own.
    XDG_RUNTIME_DIR=$(mktemp -d) || exit 1
    export XDG_RUNTIME_DIR
    trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
    trap 'exit 143' HUP INT TERM
    ZARVELLO_ATSPI_SESSION=1 dbus-run-session -- sh "$0" "$@"
    exit $?
fi

# Started now, the accessibility bus is there when the program looks for it.
dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress \
    >/dev/null || skip "the accessibility bus could not start"
"$@"
