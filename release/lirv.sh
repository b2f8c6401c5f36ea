#!/bin/sh
# Plays vsq-14: lirv from any folder. The demo reads data/ relative to its working folder, so
# this changes into the installed share/lirv, where data/ lies, and starts the demo there.
here=$(dirname "$(readlink -f "$0")")
cd "$here/../share/lirv" || exit 1
exec "$here/../lib/lirv/lirv" "$@"
