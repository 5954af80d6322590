#!/bin/sh
# Runs one test executable in a fresh working directory with its own TMPDIR, its own session
# directory (XDG_RUNTIME_DIR, where the command sockets go), configuration and state homes, so
# that parallel tests share no socket and none reaches the user's own folders. The session directory goes after the
# run: it holds only the sockets a test left.
workdir="$1"; shift
rm -rf "$workdir" && mkdir -p "$workdir/tmp" "$workdir/config" "$workdir/state" &&
    mkdir -m 700 "$workdir/run" ||
    exit 1
cd "$workdir" || exit 1
TMPDIR="$workdir/tmp" XDG_RUNTIME_DIR="$workdir/run" XDG_CONFIG_HOME="$workdir/config" \
    XDG_STATE_HOME="$workdir/state" "$@"
status=$?
rm -rf "$workdir/run"
exit $status
