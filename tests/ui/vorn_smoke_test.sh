#!/bin/sh
# Starts a copy of vorn in a fresh folder, lets it close at once, and checks that it ended
# without an error and wrote its settings file beside itself on the way out.
set -eu
program=$1
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
cp "$program" "$folder/vorn"
export QT_QPA_PLATFORM=offscreen
export HOME="$folder/home"
unset XDG_CONFIG_HOME
"$folder/vorn" --quit-after-start
test -f "$folder/vorn.ini" || { echo "vorn.ini was not written"; exit 1; }
grep -q '^\[Form\]' "$folder/vorn.ini" || { echo "vorn.ini has no [Form] section"; exit 1; }
echo "vorn started and quit cleanly"
