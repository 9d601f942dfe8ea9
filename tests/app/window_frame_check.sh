#!/bin/bash
# The viewer's window keeps its place and size across starts under a real window manager,
# whose frame Qt learns only after the window is shown. Skipped (77) without Xvfb, openbox
# or wmctrl.
set -u
program=$1
for tool in Xvfb openbox wmctrl; do command -v "$tool" >/dev/null || { echo "no $tool: skipped"; exit 77; }; done
unset QT_QPA_PLATFORM
work=$(mktemp -d)
display=:$((200 + RANDOM % 500))
cleanup() { kill "$wm" "$xvfb" 2>/dev/null; wait 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 & xvfb=$!
export DISPLAY=$display PELIRA_HOME=$work/home
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
openbox >/dev/null 2>&1 & wm=$!
sleep 1

# Waits for the viewer's window; prints "x y w h" of its client area.
geometry() {
  for _ in $(seq 100); do
    line=$(wmctrl -lG | grep " - Pelira" | head -1)
    [ -n "$line" ] && { echo "$line" | awk '{print $3, $4, $5, $6}'; return; }
    sleep 0.1
  done
}
# Starts the program, lets the window settle, optionally moves it, prints where it stood
# when closed.
run_once() {
  "$program" >/dev/null 2>&1 & pid=$!
  first=$(geometry)
  [ -z "$first" ] && { echo "the window never showed"; kill "$pid"; exit 1; }
  sleep 1
  [ -n "${1:-}" ] && { wmctrl -r " - Pelira" -e "$1"; sleep 1; }
  last=$(geometry)
  wmctrl -c "Pelira Picture Utility" 2>/dev/null  # the first start's welcome box
  sleep 0.3
  wmctrl -c " - Pelira"
  for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill "$pid" 2>/dev/null
  echo "$last"
}
placed=$(run_once 0,100,80,700,500)
again=$(run_once)
third=$(run_once)
echo "placed: $placed, next start: $again, third: $third"
[ "$placed" = "$again" ] && [ "$again" = "$third" ]
