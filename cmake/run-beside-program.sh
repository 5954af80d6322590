#!/bin/sh
# Runs a command while a listener serves the program's default command socket in the session
# directory (XDG_RUNTIME_DIR), as the user's own program does while a benchmark is run by hand:
# what the command starts must serve a socket of its own. The listener answers nothing and goes
# with the command.
socket="$XDG_RUNTIME_DIR/KVL52110"
ready="$XDG_RUNTIME_DIR/listener-ready"
python3 - "$socket" "$ready" <<'PY' &
import signal, socket, sys
s = socket.socket(socket.AF_UNIX)
s.bind(sys.argv[1])
s.listen(64)
open(sys.argv[2], "w").close()
signal.pause()
PY
listener=$!
tries=0
until [ -e "$ready" ]; do
    tries=$((tries + 1))
    if [ "$tries" -gt 600 ] || ! kill -0 "$listener" 2>/dev/null; then
        echo "run-beside-program.sh: the listener on $socket did not start" >&2
        kill "$listener" 2>/dev/null
        exit 1
    fi
    sleep 0.05
done
"$@"
status=$?
kill "$listener" 2>/dev/null
wait "$listener" 2>/dev/null
rm -f "$socket" "$ready"
exit $status
