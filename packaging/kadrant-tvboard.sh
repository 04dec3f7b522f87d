#!/bin/sh
# Menu entry "Kadrant TV board": the board full screen on a TV or projector (the second screen if
# there is one), on Com1 of the per-user directory the Kadrant launcher works in, so that Kadrant
# set to Com1 drives it. Extra options pass on: --screen N, --lines 9, --port N, --log FILE.
# Escape or Ctrl+Q closes it.
set -e
home_dir="${XDG_DATA_HOME:-$HOME/.local/share}/kadrant"
mkdir -p "$home_dir/ports"
port=1
previous=""
for arg in "$@"; do
    [ "$previous" = "--port" ] && port="$arg"
    previous="$arg"
done
# A link made by hand to a real board's adapter is the user's: do not take it over.
link="$home_dir/ports/Com$port"
if [ -L "$link" ]; then
    case "$(readlink "$link")" in
    /dev/pts/*) ;;
    *)
        echo "kadrant-tvboard: $link points to $(readlink "$link"), a real port;" \
            "choose another with --port N" >&2
        exit 1
        ;;
    esac
fi
here="$(dirname "$(readlink -f "$0")")"
program="$here/kadrant-boardsim"
# From a checkout the simulator lives in the build tree.
[ -x "$program" ] || program="$here/../build/tools/kadrant-boardsim"
exec "$program" --fullscreen --port 1 --dir "$home_dir" "$@"
