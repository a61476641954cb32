#!/usr/bin/env bash
# Runs a command on a screen of its own: a fresh Xvfb of SIZE (WIDTHxHEIGHT),
# no window manager, Qt on xcb. QT_SCALE_FACTOR passes through.
#   xvfb_run.sh SIZE COMMAND [ARGS...]
set -euo pipefail
size="$1"
shift
work="$(mktemp -d)"
Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
trap 'kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; rm -rf "$work"' EXIT
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
[ -s "$work/display" ] || { echo "Xvfb did not start"; cat "$work/xvfb.log"; exit 1; }
export DISPLAY=":$(tr -d '[:space:]' <"$work/display")" QT_QPA_PLATFORM=xcb
"$@"
