#!/bin/sh
# Starts Dravik on a demo folder inside the build tree: a few NC programs and a
# Dravik.INI of its own, so that the operator's real settings are not touched.
set -eu
BUILD=${1:-build}
DEMO="$BUILD/demo"
mkdir -p "$DEMO/nc"
CORPUS="$(dirname "$0")/../../shared/corpus"
if [ -d "$CORPUS" ] && [ -z "$(ls -A "$DEMO/nc")" ]; then
    for f in 19_brown_O9250_crlf.nc 28_probekit_fadal_O9102_L9101.NC 29_probekit_fadal_O9100_hashlines.NC; do
        [ -f "$CORPUS/$f" ] && cp "$CORPUS/$f" "$DEMO/nc/"
    done
fi
if [ ! -f "$DEMO/Dravik.INI" ]; then
    printf '[Setting]\r\nDirPath=%s\r\nMask=*.NC\r\n' "$(cd "$DEMO/nc" && pwd)" > "$DEMO/Dravik.INI"
fi
DRAVIK_HOME="$(cd "$DEMO" && pwd)" exec "$BUILD/Dravik"
