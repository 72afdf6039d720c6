#!/usr/bin/env bash
# The demo scenario: Orvex with one virtual panel of each kind (Radio, Multi,
# Switch, BIP) and the simulator stand-in. It connects, tunes COM1 standby
# with the knob, swaps, sets the transponder, engages the autopilot's heading
# mode and turns the heading bug, switches lights on and works the gear, lets
# a warning tile light when the oil pressure drops below its threshold,
# changes the aircraft so that the profile switches, stops the simulator, and
# saves screenshots of Orvex and of the panels on the way.
# Called by "./orvex demo" with the Wine session ready.
set -euo pipefail
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
: "${ORVEX_WINE:?}" "${ORVEX_BIN:?}" "${ORVEX_OUT:?}"

DEMO="$ORVEX_OUT/demo"
PROGRAM="$DEMO/program"
rm -rf "$DEMO"
mkdir -p "$PROGRAM"
# Orvex keeps Orvex.ini and the profiles in its own folder: give it one.
cp "$ORVEX_BIN/Orvex.exe" "$ORVEX_BIN/Relaybox.exe" "$PROGRAM/"
cd "$ORVEX_BIN"

# shellcheck source=tools/demo/common.sh
. "$HERE/common.sh"

# Device numbers: Radio Panels come first, then Multi, Switch and BIP.
MULTI=2 SWITCH=3 BIP=4
step=0
shot() {  # shot <name> [multi|switch|bip]: Orvex's window and the virtual Radio (or other) Panel
    local bmp png title="Virtual Radio Panel 1" panelname=panel
    case "${2:-}" in
        multi) title="Virtual Multi Panel 1" panelname=multi ;;
        switch) title="Virtual Switch Panel 1" panelname=switch ;;
        bip) title="Virtual BIP Panel 1" panelname=bip ;;
    esac
    for who in orvex "$panelname"; do
        bmp="$DEMO/$1-$who.bmp"
        png="$DEMO/$1-$who.png"
        if [ "$who" = orvex ]; then tool shot OrvexMain - "$(winpath "$bmp")" || true
        else tool shot - "$title" "$(winpath "$bmp")" || true; fi
        if [ -f "$bmp" ]; then
            convert "$bmp" "$png" && rm -f "$bmp" && echo "   screenshot: ${png#$ORVEX_OUT/}"
        fi
    done
}
report() {  # what the simulator holds and what the panel shows
    local com1a com1s xpdr
    com1a=$(sim get 0x034E 2 | cut -d' ' -f2)
    com1s=$(sim get 0x311A 2 | cut -d' ' -f2)
    xpdr=$(sim get 0x0354 2 | cut -d' ' -f2)
    echo "   simulator: COM1 active 0x034E=${com1a}  COM1 standby 0x311A=${com1s}  XPDR 0x0354=${xpdr}"
    echo "   panel displays (upper active|upper standby|lower active|lower standby): [$(panel displays 1 | sed 's/^ok //')]"
    echo "   Orvex: $(tool text OrvexMain - 101)   profile: $(tool text OrvexMain - 102)"
}
degrees() {  # the heading bug offset's two bytes (hex, low byte first) in whole degrees
    local hex=$1
    [ ${#hex} -eq 4 ] || { echo "?"; return; }
    echo $(( ( (16#${hex:2:2} * 256 + 16#${hex:0:2}) * 360 + 32768 ) / 65536 % 360 ))
}
multi_report() {  # what the autopilot holds and what the Multi Panel shows
    local hdg hold
    hdg=$(sim get 0x07CC 2 | cut -d' ' -f2)
    hold=$(sim get 0x07C8 4 | cut -d' ' -f2)
    echo "   simulator: heading bug 0x07CC=${hdg} ($(degrees "$hdg") degrees)  heading hold 0x07C8=${hold}"
    echo "   Multi Panel (upper|lower|lamps): [$(panel displays $MULTI | sed 's/^ok //')]"
}
switch_report() {  # the lights, the gear lever and legs, and the Switch Panel's lamps
    echo "   simulator: lights 0x0D0C=$(sim get 0x0D0C 2 | cut -d' ' -f2)  gear lever 0x0BE8=$(sim get 0x0BE8 4 | cut -d' ' -f2)  legs nose/right/left 0x0BEC/0BF0/0BF4=$(sim get 0x0BEC 12 | cut -d' ' -f2)"
    echo "   Switch Panel lamps: [$(panel lamps $SWITCH | sed 's/^ok //')]"
}
bip_report() {  # the oil pressure and what the BIP's tiles show
    echo "   simulator: oil pressure 0x08BA=$(sim get 0x08BA 2 | cut -d' ' -f2)"
    echo "   BIP tiles (G green, R red, Y yellow, - dark; three rows of eight): [$(panel tiles $BIP | sed 's/^ok //')]"
}
tabs() {  # tabs <n>: n tabs to the right (negative: to the left) in Orvex
    local n=$1 key=$VK_RIGHT
    if [ "$n" -lt 0 ]; then n=$((-n)); key=$VK_LEFT; fi
    for _ in $(seq "$n"); do tool key OrvexMain - $MAIN_TABS $key >/dev/null || true; done
    sleep 0.5
}
title() { step=$((step + 1)); echo; echo "== $step. $*"; }

# A profile "Heavy" for the Boeing: its upper ACT/STBY button at COM1 presses
# FSUIPC virtual button 64/1 instead of swapping.
printf '[GeneralSetup]\r\nMainFormTop=300\r\nMainFormLeft=300\r\n[Profiles]\r\nHeavy= \r\n[Aircrafts]\r\nBoeing 737-800=Heavy\r\n' \
    > "$PROGRAM/Orvex.ini"
printf '[RadioPanel1]\r\nButtonActionCOM1=VButton,64,1\r\n' > "$PROGRAM/Heavy.ini"
# The default profile's BIP: the gear on the first two tiles, the beacon on
# the tenth in yellow, a red oil-pressure warning below 20 % on the last.
printf '[BIPPanel1]\r\nT0=GEAR_DOWN\r\nT1=COMBINED_GEAR\r\nT9=BEACON_LIGHT,Yellow\r\nT23=OIL_PRESSURE,Red,20\r\n' \
    > "$PROGRAM/Default.ini"

title "Orvex starts with a virtual Radio, Multi, Switch and BIP panel; no simulator yet"
start_panels --radio 1 --multi 1 --switch 1 --bip 1
start_orvex "$PROGRAM" 5
# The Switch Panel's battery and avionics switches go on: the simulator is
# brought into line with the panel's last report when it connects.
for sw in bat alt avionics; do panel switch $SWITCH $sw on >/dev/null; done
echo "   Orvex: $(tool text OrvexMain - 101)"
shot 01-waiting

title "The simulator starts (COM1 123.45 / 118.00, XPDR 1200, QNH 1013)"
wine ./SimStandin.exe --hidden --title "Cessna Skyhawk 172SP" >/dev/null 2>&1 &
for _ in $(seq 100); do sim ping >/dev/null 2>&1 && break; sleep 0.2; done
sim setint 0x281C 4 1 >/dev/null          # battery master
sim setint 0x2E80 4 1 >/dev/null          # avionics master
sim set 0x034E 4523 >/dev/null            # COM1 active 123.45
sim set 0x311A 0018 >/dev/null            # COM1 standby 118.00
sim set 0x0354 0012 >/dev/null            # XPDR 1200
sim setint 0x0330 2 16208 >/dev/null      # QNH 1013 hPa x 16
sim setint 0x07CC 2 49152 >/dev/null      # autopilot heading bug 270 degrees (x 65536 / 360)
sim setint 0x07D4 4 99876864 >/dev/null   # autopilot altitude 5000 ft (metres x 65536)
sim setint 0x07F2 2 500 >/dev/null        # autopilot vertical speed 500 ft/min
sim setint 0x060C 2 1 >/dev/null          # a retractable gear, down and locked
for leg in 0x0BEC 0x0BF0 0x0BF4; do sim setint $leg 4 16383 >/dev/null; done
sim setint 0x08BA 2 20000 >/dev/null      # oil pressure well above 20 %
sleep 2
tool click OrvexMain - 100 100 10 >/dev/null  # the "Radio Panel 1" tab
sleep 1
report
shot 02-connected

title "COM1 standby: the upper inner ring three notches clockwise"
panel turn 1 upper-inner 3 >/dev/null
sleep 1
report

title "ACT/STBY swaps COM1 active and standby"
panel hold 1 act1 120 >/dev/null
sleep 1
report
shot 03-tuned

title "Transponder: lower selector to XPDR, inner ring one notch (first digit)"
panel selector 1 lower xpdr >/dev/null
sleep 0.5
panel turn 1 lower-inner 1 >/dev/null
sleep 1
report
shot 04-xpdr

# The Multi Panel needs Orvex's Multi Panel support: it shows itself by the
# display reports Orvex sends to the panel (none without it).
if [ "$(panel writes $MULTI | sed 's/^ok //')" -gt 0 ] 2>/dev/null; then
    title "Multi Panel: at ALT it shows the autopilot's altitude over its vertical speed"
    tool key OrvexMain - $MAIN_TABS $VK_RIGHT >/dev/null || true  # the "Multi Panel 1" tab
    sleep 0.5
    multi_report
    shot 05-multi-alt multi

    title "Multi Panel: selector to HDG, the HDG button engages heading hold, the knob turns the bug 10 notches"
    panel mode $MULTI hdg >/dev/null
    sleep 0.5
    panel hold $MULTI hdg 120 >/dev/null
    sleep 1
    panel knob $MULTI 10 10 >/dev/null
    sleep 1
    multi_report
    shot 06-multi-hdg multi
    tool key OrvexMain - $MAIN_TABS $VK_LEFT >/dev/null || true  # back to the "Radio Panel 1" tab
    sleep 0.5
else
    title "Multi Panel: skipped, this Orvex does not drive Multi Panels (no display report reached it)"
    multi_report
fi

title "Switch Panel: BEACON, NAV and LANDING lights on; the gear up, a leg in transit, the gear down"
tabs 2  # the "Switch Panel 1" tab
for sw in beacon nav landing; do panel switch $SWITCH $sw on >/dev/null; done
sleep 0.5
panel gear $SWITCH up >/dev/null
sleep 0.5
echo "   gear up (the stand-in's legs follow the lever at once):"
switch_report
sim setint 0x0BEC 4 8000 >/dev/null      # the nose leg on its way down
sleep 0.5
echo "   the nose leg in transit:"
switch_report
panel gear $SWITCH down >/dev/null
sleep 1
echo "   gear down and locked:"
switch_report
shot 07-switch switch

title "BIP: the gear and the beacon lit; the oil pressure drops below 20 % and the warning tile lights red"
tabs 1  # the "BIP Panel 1" tab
bip_report
sim setint 0x08BA 2 100 >/dev/null
sleep 1
echo "   oil pressure low:"
bip_report
shot 08-bip bip
tabs -3  # back to the "Radio Panel 1" tab

title "The simulator loads a Boeing 737-800: profile \"Heavy\""
sim title Boeing 737-800 >/dev/null
sleep 1.5
report
panel hold 1 act1 120 >/dev/null
sleep 1
echo "   ACT/STBY at COM1 in \"Heavy\" pressed a virtual button; the simulator's button log:"
sim buttons 4 | tail -n +2 | sed 's/^/     /'
echo "   Orvex.ini [Aircrafts]: $(sed -n '/\[Aircrafts\]/,/^\[/p' "$PROGRAM/Orvex.ini" | tr -d '\r' | grep '=' | tr '\n' ' ')"
shot 09-profile

title "The simulator stops: the displays and lamps go dark; the BIP keeps its tiles"
sim quit >/dev/null
sleep 2
report 2>/dev/null || true
echo "   panel displays: [$(panel displays 1 | sed 's/^ok //')]"
echo "   Multi Panel (upper|lower|lamps): [$(panel displays $MULTI | sed 's/^ok //')]"
echo "   Switch Panel lamps: [$(panel lamps $SWITCH | sed 's/^ok //')]"
echo "   BIP tiles: [$(panel tiles $BIP | sed 's/^ok //')]"
echo "   Orvex: $(tool text OrvexMain - 101)"
shot 10-stopped

title "Orvex closes and saves its setup"
tool close OrvexMain - >/dev/null
sleep 2
echo "   Orvex.ini [GeneralSetup]: $(sed -n '/\[GeneralSetup\]/,/^\[/p' "$PROGRAM/Orvex.ini" | tr -d '\r' | grep '=' | tr '\n' ' ')"
echo
echo "== done; screenshots in ${DEMO#$ORVEX_OUT/} (under $ORVEX_OUT)"
