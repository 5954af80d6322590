#!/bin/sh
# Runs one test executable in a fresh working directory with its own TMPDIR.
workdir="$1"; shift
rm -rf "$workdir" && mkdir -p "$workdir/tmp" || exit 1
cd "$workdir" || exit 1
# The sockets go to the user's directory in TMPDIR only while no session directory is named.
unset XDG_RUNTIME_DIR
TMPDIR="$workdir/tmp" exec "$@"
