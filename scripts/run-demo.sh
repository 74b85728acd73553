#!/bin/sh
# Starts Dravik on a demo folder inside the build tree: a few NC programs and a
# Dravik.INI of its own, so that the operator's real settings are not touched.
# Two simulated NC controllers (tools/ncsim) stand at the far end of COM1 and COM2:
# the one on COM1 takes what F1 sends, the one on COM2 punches a program for F2.
set -eu
BUILD=${1:-build}
DEMO="$BUILD/demo"
mkdir -p "$DEMO/nc"
DEMO_ABS="$(cd "$DEMO" && pwd)"
CORPUS="$(dirname "$0")/../../shared/corpus"
if [ -d "$CORPUS" ] && [ -z "$(ls -A "$DEMO/nc")" ]; then
    for f in 19_brown_O9250_crlf.nc 28_probekit_fadal_O9102_L9101.NC 29_probekit_fadal_O9100_hashlines.NC; do
        [ -f "$CORPUS/$f" ] && cp "$CORPUS/$f" "$DEMO/nc/"
    done
fi
if [ ! -f "$DEMO/Dravik.INI" ]; then
    printf '[Setting]\r\nDirPath=%s\r\nMask=*.NC\r\nPort1=COM1\r\nPort2=COM2\r\n' \
        "$DEMO_ABS/nc" > "$DEMO/Dravik.INI"
fi
if ! grep -q '^\[Ports\]' "$DEMO/Dravik.INI"; then
    printf '[Ports]\r\nCOM1=%s\r\nCOM2=%s\r\n' "$DEMO_ABS/ttyNC1" "$DEMO_ABS/ttyNC2" >> "$DEMO/Dravik.INI"
fi

# The program the controller on COM2 punches: a small one of its own.
if [ ! -f "$DEMO/punch.nc" ]; then
    printf 'O0100(DEMO PUNCH)\r\nG90G54G0X0Y0\r\nG1X10.F200\r\nY10.\r\nX0\r\nY0\r\nM30\r\n' \
        > "$DEMO/punch.nc"
fi

rm -f "$DEMO_ABS/ttyNC1" "$DEMO_ABS/ttyNC2"
# COM1: receives in ISO, starts the transfer with DC1 when Dravik opens the line,
# and drains its buffer at the line's own speed (4800 baud, 8N2: 11 bits a byte),
# so the DC3/DC1 handshake and the remaining time can be watched.
"$BUILD/ncsim" --link "$DEMO_ABS/ttyNC1" receive --loop --start dc1 --baud 4800 --bits 11 \
    --buffer-high 256 --buffer-low 64 --out "$DEMO_ABS/received-by-nc.txt" \
    --report "$DEMO_ABS/ncsim-receive.log" > "$DEMO_ABS/ncsim-com1.out" 2>&1 &
RECEIVER=$!
# COM2: punches punch.nc a second after Dravik opens the line for F2, at 4800 baud.
"$BUILD/ncsim" --link "$DEMO_ABS/ttyNC2" punch --loop --file "$DEMO_ABS/punch.nc" --leader 20 \
    --baud 4800 --bits 11 --delay 1000 > "$DEMO_ABS/ncsim-com2.out" 2>&1 &
PUNCHER=$!
trap 'kill $RECEIVER $PUNCHER 2>/dev/null || true' EXIT INT TERM
# Dravik must not open a port before its simulator has made it.
for _ in 1 2 3 4 5 6 7 8 9 10; do
    [ -e "$DEMO_ABS/ttyNC1" ] && [ -e "$DEMO_ABS/ttyNC2" ] && break
    sleep 0.2
done
DRAVIK_HOME="$DEMO_ABS" "$BUILD/Dravik"
