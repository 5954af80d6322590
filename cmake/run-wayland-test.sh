#!/bin/sh
# Runs one test executable through run-test.sh, but on a Wayland compositor of its own, as on a
# Wayland desktop: weston's headless backend with its desktop shell, its socket in a private
# runtime folder, the test on Qt's wayland platform (natively, no X server). The screen's size
# comes from KVL_TEST_SCREEN (1366x768 unless given). Weston ends with the test; its own files
# are in the work folder's name with "-wayland" added.
workdir="$1"; shift
runner="$(cd "$(dirname "$0")" && pwd)/run-test.sh"
desktop="$workdir-wayland"
rm -rf "$desktop" && mkdir -p "$desktop" && mkdir -m 700 "$desktop/run" || exit 1
cd "$desktop" || exit 1
unset DISPLAY WAYLAND_SOCKET
size="${KVL_TEST_SCREEN:-1366x768}"
width="${size%x*}"
height="${size#*x}"

command -v weston >/dev/null || { echo "run-wayland-test: weston is not installed" >&2; exit 1; }

compositor=""
cleanup() {
    [ -n "$compositor" ] && kill "$compositor" 2>/dev/null
    wait 2>/dev/null
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

# The socket is named by its full path, so the test's own runtime folder (run-test.sh gives it
# one) does not hide it. Weston binds the socket before it serves clients, and a client that
# connects meanwhile waits for it; the loop only waits for the file, with a bound.
socket="$desktop/run/wayland-kvl"
XDG_RUNTIME_DIR="$desktop/run" weston --backend=headless-backend.so --no-config \
    --socket=wayland-kvl --width="$width" --height="$height" --idle-time=0 \
    >weston.log 2>&1 &
compositor=$!
tries=0
until [ -S "$socket" ]; do
    tries=$((tries + 1))
    if [ "$tries" -gt 400 ] || ! kill -0 "$compositor" 2>/dev/null; then
        echo "run-wayland-test: weston did not start" >&2
        cat weston.log >&2
        exit 1
    fi
    sleep 0.05
done

export WAYLAND_DISPLAY="$socket"
export QT_QPA_PLATFORM=wayland
sh "$runner" "$workdir" "$@"
