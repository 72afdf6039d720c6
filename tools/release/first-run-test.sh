#!/usr/bin/env bash
# The release's first run, as a Windows user meets it: a new Wine prefix in
# which nothing is registered, the zip unzipped into a new folder (with a
# blank in its path), a virtual Radio Panel and the simulator stand-in
# running, then Orvex.exe started from that folder. Orvex must register
# Relaybox by itself, find the panel, connect to the simulator, and a knob
# turn must reach the simulator. Afterwards Orvex quits, the user runs
# "Relaybox.exe /unregserver", and the classes and the Run key must be as
# they were before Orvex first started. Prints the time from Orvex's start
# to the panel's first report (a figure, not a limit).
# Called by "./orvex test" (display ready): first-run-test.sh <zip> <folder of the test build's programs>
set -euo pipefail
ZIP=$1 TOOLS=$2
: "${DISPLAY:?}"
WINE=/usr/lib/wine/wine64
export WINESERVER=/usr/lib/wine/wineserver64 WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
WORK=$(mktemp -d /tmp/orvex-first-run.XXXXXX)
export WINEPREFIX=$WORK/prefix

wine() { "$WINE" "$@"; }
panel() { (cd "$TOOLS" && wine ./VirtualPanels.exe --ctl "$@" 2>/dev/null | tr -d '\r'); }
sim() { (cd "$TOOLS" && wine ./SimStandin.exe --ctl "$@" 2>/dev/null | tr -d '\r'); }
tool() { (cd "$TOOLS" && wine ./demotool.exe "$@" 2>/dev/null | tr -d '\r'); }
fail() { echo "first run: FAILED: $*" >&2; exit 1; }
now() { date +%s.%N; }
since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.1f", b - a }'; }
# The registry a registration or the autostart touches, as text. The user's
# classes key itself, which every Windows account has, may be made by the
# first registration in a new prefix; what is below it counts.
snapshot() {
    local key i=0
    for key in 'HKEY_CURRENT_USER\Software\Classes' 'HKEY_LOCAL_MACHINE\Software\Classes' \
               'HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run'; do
        wine regedit /E "$(wine winepath -w "$WORK/export$i.reg" 2>/dev/null | tr -d '\r')" "$key" >/dev/null 2>&1 || true
        if [ -f "$WORK/export$i.reg" ]; then
            iconv -f UTF-16 -t UTF-8 "$WORK/export$i.reg" | tr -d '\r' | grep -v -x -e '' -e 'Windows Registry Editor.*' \
                -e '\[HKEY_CURRENT_USER\\Software\\Classes\]' || true
        fi
        rm -f "$WORK/export$i.reg"
        i=$((i + 1))
    done
}
# True while a program of that name runs in this prefix (other prefixes on
# the machine may run their own).
running_here() {
    local pid
    for pid in $(pgrep -f "$1" 2>/dev/null); do
        tr '\0' '\n' < "/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && return 0
    done
    return 1
}
cleanup() {
    sim quit >/dev/null 2>&1 || true
    tool close OrvexMain - >/dev/null 2>&1 || true
    panel quit >/dev/null 2>&1 || true
    "$WINESERVER" -k >/dev/null 2>&1 || true
    wait 2>/dev/null || true
    rm -rf "$WORK"
}
trap cleanup EXIT

start=$(now)
wine wineboot -i >/dev/null 2>&1 || true
"$WINESERVER" -w
"$WINESERVER" -p
echo "   new Wine prefix: $(since "$start") s"

FOLDER="$WINEPREFIX/drive_c/Flight Tools/Orvex"
mkdir -p "$FOLDER"
unzip -q "$ZIP" -d "$FOLDER"
wine reg query 'HKCR\Relaybox.cHidD' >/dev/null 2>&1 && fail "Relaybox is registered before the first run"
before=$(snapshot)

(cd "$TOOLS" && wine ./VirtualPanels.exe --hidden --radio 1 >/dev/null 2>&1) &
for _ in $(seq 100); do panel ping >/dev/null && break; sleep 0.2; done
(cd "$TOOLS" && wine ./SimStandin.exe --hidden >/dev/null 2>&1) &
for _ in $(seq 100); do sim ping >/dev/null && break; sleep 0.2; done
sim setint 0x281C 4 1 >/dev/null          # battery master
sim setint 0x2E80 4 1 >/dev/null          # avionics master
sim set 0x311A 0018 >/dev/null            # COM1 standby 118.00

start=$(now)
(cd "$FOLDER" && wine ./Orvex.exe >/dev/null 2>&1) &
first=""
for _ in $(seq 600); do
    writes=$(panel writes 1 | sed -n 's/^ok \([0-9]*\).*/\1/p')
    if [ "${writes:-0}" -gt 0 ]; then first=$(since "$start"); break; fi
    sleep 0.1
done
[ -n "$first" ] || fail "the panel received no report from Orvex within 60 s"
echo "   Orvex start to the panel's first report: $first s"

server=$(wine reg query 'HKCU\Software\Classes\Relaybox.cHidD\CLSID' /ve 2>/dev/null | tr -d '\r' | grep -o '{[^}]*}' || true)
[ -n "$server" ] || fail "Orvex did not register Relaybox for the user"
wine reg query "HKCU\\Software\\Classes\\CLSID\\$server\\LocalServer32" /ve 2>/dev/null | tr -d '\r' |
    grep -i 'C:\\Flight Tools\\Orvex\\Relaybox.exe' >/dev/null || fail "Relaybox is registered from another folder"

connected=""
for _ in $(seq 100); do
    case "$(tool text OrvexMain - 101)" in *"Status: Connected"*) connected=1; break ;; esac
    sleep 0.2
done
[ -n "$connected" ] || fail "Orvex did not connect to the simulator: $(tool text OrvexMain - 101)"
panel turn 1 upper-inner 1 >/dev/null
standby=""
for _ in $(seq 50); do
    standby=$(sim get 0x311A 2 | cut -d' ' -f2)
    [ "$standby" != "0018" ] && break
    sleep 0.2
done
[ "$standby" = "0218" ] || fail "one notch left COM1 standby at $standby (BCD, low byte first), not 118.02"
echo "   a knob turn reached the simulator: COM1 standby 118.00 -> 118.02"

# Autostart on and off again through the general options, as a user does
# before removing Orvex.
GENERAL="  ORVEX - General Options" MAIN_SETUP=103 CHK_AUTOSTART=2020 IDOK=1
RUN='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
toggle_autostart() {
    tool press OrvexMain - $MAIN_SETUP >/dev/null
    for _ in $(seq 50); do tool wait - "$GENERAL" 0 >/dev/null && break; sleep 0.2; done
    tool press - "$GENERAL" $CHK_AUTOSTART >/dev/null
    tool press - "$GENERAL" $IDOK >/dev/null
    for _ in $(seq 50); do tool wait - "$GENERAL" 0 >/dev/null || break; sleep 0.2; done
}
toggle_autostart
wine reg query "$RUN" /v ORVEX 2>/dev/null | tr -d '\r' | grep -iF '"C:\Flight Tools\Orvex\Orvex.exe"' >/dev/null ||
    fail "autostart on did not write the Run value: $(wine reg query "$RUN" /v ORVEX 2>&1 | tr -d '\r')"
toggle_autostart
wine reg query "$RUN" /v ORVEX >/dev/null 2>&1 && fail "autostart off left the Run value"
echo "   autostart on wrote the Run value ORVEX, off removed it"

tool close OrvexMain - >/dev/null
for _ in $(seq 100); do tool wait OrvexMain - 0 >/dev/null || break; sleep 0.2; done
sim quit >/dev/null || true
panel quit >/dev/null || true
# Relaybox ends after Orvex lets its objects go.
for _ in $(seq 50); do running_here 'Relaybox.exe' || break; sleep 0.2; done
(cd "$FOLDER" && wine ./Relaybox.exe /unregserver /s) || fail "Relaybox.exe /unregserver failed"
after=$(snapshot)
if [ "$before" != "$after" ]; then
    diff <(printf '%s\n' "$before") <(printf '%s\n' "$after") | head -40 >&2
    fail "the registry differs from before the first run"
fi
echo "   Relaybox.exe /unregserver: the classes and the Run key are as before the first run"
