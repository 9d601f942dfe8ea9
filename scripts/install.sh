#!/usr/bin/env bash
# Builds a release build and installs the program under PREFIX (default ~/.local): bin/pelira,
# bin/pelira-cli, the icon, the desktop entry and the MIME package for its own file kinds.
# The file associations themselves are the user's choice: Tools › Associations › Set.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
prefix="${1:-$HOME/.local}"
source "$root/scripts/deps.sh"
pelira_install "${PELIRA_BUILD_PACKAGES[@]}"
build="$root/build/release"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPELIRA_TESTS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target pelira pelira-cli
cmake --install "$build" --prefix "$prefix"
