#!/bin/sh
# Runs one test executable in a fresh working directory with its own TMPDIR.
workdir="$1"; shift
rm -rf "$workdir" && mkdir -p "$workdir/tmp" || exit 1
cd "$workdir" || exit 1
TMPDIR="$workdir/tmp" exec "$@"
