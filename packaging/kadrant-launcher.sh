#!/bin/sh
# Desktop launcher: Kadrant keeps "config.dat" and its ports/ links in its working directory, so
# give it one predictable home per user instead of whatever directory the menu started it in.
set -e
home_dir="${XDG_DATA_HOME:-$HOME/.local/share}/kadrant"
mkdir -p "$home_dir/ports"
cd "$home_dir"
program="$(dirname "$(readlink -f "$0")")/kadrant"
# From a checkout the program lives in the build tree.
[ -x "$program" ] || program="$(dirname "$(readlink -f "$0")")/../build/app/kadrant"
exec "$program" "$@"
