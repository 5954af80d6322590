#!/bin/sh
# Runs one test executable through run-test.sh, but on an X server of its own with a window
# manager, as on a desktop: Xvfb on a display number it picks itself (the screen's size from
# KVL_TEST_SCREEN, 1366x768 unless given), openbox on it, the test on Qt's xcb platform. Both
# end with the test; their own files are in the work folder's name with "-x11" added.
workdir="$1"; shift
runner="$(cd "$(dirname "$0")" && pwd)/run-test.sh"
desktop="$workdir-x11"
rm -rf "$desktop" && mkdir -p "$desktop" || exit 1
cd "$desktop" || exit 1
unset WAYLAND_DISPLAY
size="${KVL_TEST_SCREEN:-1366x768}"

for tool in Xvfb openbox; do
    command -v "$tool" >/dev/null || { echo "run-x11-test: $tool is not installed" >&2; exit 1; }
done

# The window manager ends with the X server it manages.
server=""
cleanup() {
    [ -n "$server" ] && kill "$server" 2>/dev/null
    wait 2>/dev/null
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

# Xvfb writes the display number it chose to one pipe once it accepts clients; openbox runs
# its start-up command once it manages the screen, which writes to another: Xvfb may close its
# end of the first pipe only later, which a reader of a shared pipe would take for a window
# manager that ended. Both are waited for, not timed. Should a start fail all the same, the
# whole start is tried again.
start_desktop() {
    rm -f display ready && mkfifo display ready || return 1
    Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset 3>display 2>xvfb.log &
    server=$!
    read -r number <display || return 1
    export DISPLAY=":$number"
    # A window manager that ends before its start-up command ran says so through the second
    # pipe (its start-up command runs in the home folder: the pipe is named by its full path).
    { openbox --sm-disable --startup "sh -c 'echo ready >\"$desktop/ready\"'" >openbox.log 2>&1; echo gone >ready; } &
    read -r state <ready
    rm -f display ready
    [ "$state" = ready ]
}
attempt=1
until start_desktop; do
    kill "$server" 2>/dev/null; wait 2>/dev/null; server=""
    if [ "$attempt" -ge 5 ]; then
        echo "run-x11-test: no X server with a window manager started" >&2
        cat xvfb.log openbox.log >&2
        exit 1
    fi
    attempt=$((attempt + 1))
done

export QT_QPA_PLATFORM=xcb
sh "$runner" "$workdir" "$@"
