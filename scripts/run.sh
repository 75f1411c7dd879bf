#!/usr/bin/env bash
# Starts the program's main job: the window when it is built, else the
# command-line generator, else says what exists so far.
set -euo pipefail
build=${1:-build}
program="$build/program"
if [ -x "$program/Dungeon_Generator" ]; then
  exec "$program/Dungeon_Generator"
elif [ -x "$program/dungeon-cli" ]; then
  echo "The window is not built yet; generating a map with the command-line tool."
  maps="$program/Dungeon_Maps"
  mkdir -p "$maps"
  "$program/dungeon-cli" generate --ascii "$maps/latest.txt" --png "$maps/latest.png"
  cat "$maps/latest.txt"
  echo "The map picture is $maps/latest.png"
else
  echo "Neither the window nor the command-line tool is built yet; run 'make test' to check the engine."
fi
