#!/usr/bin/env bash
# The demo scenario: the stand-in simulator, then Orvex's link tuning a
# radio through it. Called by "./orvex demo" with the Wine session ready.
set -euo pipefail
: "${ORVEX_WINE:?}" "${ORVEX_BIN:?}" "${ORVEX_OUT:?}"
cd "$ORVEX_BIN"
wine() { "$ORVEX_WINE" "$@"; }
ctl() { wine ./SimStandin.exe --ctl "$@" | tr -d '\r'; }

echo "== starting the simulator stand-in"
wine ./SimStandin.exe --title "Cessna Skyhawk 172SP" >/dev/null 2>&1 &
SIM=$!
trap 'ctl quit >/dev/null 2>&1 || true; wait $SIM 2>/dev/null || true' EXIT
for _ in $(seq 100); do ctl ping >/dev/null 2>&1 && break; sleep 0.2; done
ctl ping >/dev/null
echo "stand-in running: $(ctl stats)"

echo "== the link: connect, show versions, tune COM1 standby"
wine ./linkdemo.exe | tr -d '\r'

echo "== what the simulator saw"
echo "COM1 standby bytes at 0x311A: $(ctl get 0x311A 2)"
echo "last exchanges:"
ctl log 4 | sed 's/^/  /'
sleep 0.5
shot="$ORVEX_OUT/demo-standin.png"
import -display "$DISPLAY" -window root "$shot" 2>/dev/null && echo "screenshot: $shot"
echo "== done"
