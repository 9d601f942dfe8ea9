#!/usr/bin/env bash
# Installs what is missing, builds a release build and starts the program: pelira [FILE].
# Without a display it runs under Xvfb, waits for the viewer window, saves a screenshot to
# out/screenshot.png ($PELIRA_SCREENSHOT names another file) and closes the program as a user
# would (SIGTERM = close the viewer).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$root/scripts/deps.sh"
pelira_install "${PELIRA_BUILD_PACKAGES[@]}" "${PELIRA_TEST_PACKAGES[@]}"
[ -z "${DISPLAY:-}" ] && pelira_install "${PELIRA_RUN_PACKAGES[@]}"

build="$root/build/release"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPELIRA_TESTS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target pelira pelira-cli

if [ -n "${DISPLAY:-}" ]; then
  exec "$build/pelira" "$@"
fi

out="$root/out"
mkdir -p "$out"
display=":$(( 90 + RANDOM % 100 ))"
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >"$out/xvfb.log" 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true' EXIT
export DISPLAY="$display"
# A busy machine can take a while to bring the server up; without it the program cannot start.
ready=""
for _ in $(seq 300); do xdpyinfo >/dev/null 2>&1 && { ready=1; break; }; sleep 0.1; done
if [ -z "$ready" ]; then
  echo "Xvfb did not start; see $out/xvfb.log" >&2
  exit 1
fi

"$build/pelira" "$@" >"$out/pelira.log" 2>&1 &
app=$!
shot="${PELIRA_SCREENSHOT:-$out/screenshot.png}"
up=""
for _ in $(seq 100); do
  if xdotool search --onlyvisible --class "pelira" >/dev/null 2>&1; then up=1; break; fi
  kill -0 "$app" 2>/dev/null || break
  sleep 0.2
done
if [ -z "$up" ]; then
  echo "The viewer window did not appear; see $out/pelira.log" >&2
  kill "$app" 2>/dev/null || true
  exit 1
fi
sleep "${PELIRA_SETTLE:-2}"   # let the deferred open and first paint happen
import-im6.q16 -window root "$shot"
echo "Screenshot: $shot"
# Xvfb has no window manager to draw title bars: name the windows instead.
for w in $(xdotool search --onlyvisible --class "pelira" 2>/dev/null); do
  echo "Window: $(xdotool getwindowname "$w")"
done
kill -TERM "$app"
wait "$app" && rc=0 || rc=$?
echo "pelira closed with status $rc"
exit "$rc"
