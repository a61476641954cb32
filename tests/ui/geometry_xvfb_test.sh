#!/usr/bin/env bash
# The main window comes back exactly where it was closed, under Xvfb with no
# window manager: three starts, one stored place. Then, on a smaller screen,
# a place partly off it comes back whole on it.
#   geometry_xvfb_test.sh BUILD_DIR
set -euo pipefail
build="$1"
station="$build/corvale2"
work="$(mktemp -d)"
xvfb_pid=""
cleanup() {
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

start_xvfb() { # WIDTHxHEIGHT
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid"; wait "$xvfb_pid" 2>/dev/null || true; fi
  rm -f "$work/display"
  Xvfb -displayfd 3 -screen 0 "$1x24" -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
  [ -s "$work/display" ] || { echo "Xvfb did not start"; cat "$work/xvfb.log"; exit 1; }
  export DISPLAY=":$(tr -d '[:space:]' <"$work/display")"
}

export QT_QPA_PLATFORM=xcb XDG_CONFIG_HOME="$work/config"
conf="$work/config/Corvale/Corvale.conf"

run_station() { # starts the station, lets it settle, closes it as a logout does
  "$station" >"$work/station.log" 2>&1 &
  local pid=$!
  sleep 3
  kill -TERM "$pid"
  local status=0
  wait "$pid" || status=$?
  if [ "$status" -ne 0 ]; then echo "the station exited $status"; cat "$work/station.log"; exit 1; fi
}
rect() { sed -n 's/^rect=@Rect(\(.*\))$/\1/p' "$conf"; }

start_xvfb 1280x1024
run_station
first="$(rect)"
[ -n "$first" ] || { echo "no place stored"; cat "$conf"; exit 1; }
for n in 2 3; do
  run_station
  again="$(rect)"
  if [ "$again" != "$first" ]; then
    echo "start $n: the window moved from ($first) to ($again)"
    exit 1
  fi
done
echo "three starts at ($first)"

# Stored far down and right on a large screen; opened on 1024x600.
awk '/^\[Window\]/ { skip = 1; next } /^\[/ { skip = 0 } !skip' "$conf" >"$work/conf"
printf '[Window]\nrect=@Rect(700 400 1000 560)\nframe=@Rect(700 400 1000 560)\nmaximized=false\n' >>"$work/conf"
cp "$work/conf" "$conf"
start_xvfb 1024x600
run_station
read -r x y w h <<<"$(rect)"
if [ "$x" -lt 0 ] || [ "$y" -lt 0 ] || [ $((x + w)) -gt 1024 ] || [ $((y + h)) -gt 600 ]; then
  echo "the window came back partly off the 1024x600 screen: $x $y $w $h"
  exit 1
fi
echo "on 1024x600 at ($x $y $w $h)"
