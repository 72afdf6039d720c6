#!/usr/bin/env bash
# Opens every dialog of Orvex the way a user does (Setup, Profiles, a panel's
# Setup, the key reader, the aircraft-profile choice) and saves a picture of
# each, so that their layout can be checked at any display scaling.
# Called by "./orvex shots" with the Wine session ready; ORVEX_SCALE names
# the scaling of the prefix in use (it only goes into the file names).
set -euo pipefail
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
: "${ORVEX_WINE:?}" "${ORVEX_BIN:?}" "${ORVEX_OUT:?}"
SCALE=${ORVEX_SCALE:-100}

SHOTS="$ORVEX_OUT/dialogs"
PROGRAM="$ORVEX_OUT/dialogs-program-$SCALE"
rm -rf "$PROGRAM"
mkdir -p "$SHOTS" "$PROGRAM"
cp "$ORVEX_BIN/Orvex.exe" "$ORVEX_BIN/Relaybox.exe" "$PROGRAM/"
cd "$ORVEX_BIN"

# shellcheck source=tools/demo/common.sh
. "$HERE/common.sh"

MAIN_SETUP=103 MAIN_PROFILES=104

shot() {  # shot <title> <name>
    local bmp="$SHOTS/$2-$SCALE.bmp" png="$SHOTS/$2-$SCALE.png"
    if tool shot - "$1" "$(winpath "$bmp")" && [ -f "$bmp" ]; then
        convert "$bmp" "$png" && rm -f "$bmp" && echo "   $2: ${png#$ORVEX_OUT/}"
    else
        echo "   $2: no picture (window \"$1\" not found)"
    fi
}
opened() {  # opened <title>: waits for a dialog to be shown
    if tool wait - "$1" 10; then sleep 1; return 0; fi
    echo "   \"$1\" did not open" >&2
    return 1
}
closed() {  # closed <title>: closes a dialog as its close box does (Cancel)
    tool close - "$1" >/dev/null || true
    for _ in $(seq 50); do tool wait - "$1" 0 || return 0; sleep 0.1; done
}

# Two profiles, so that the lists have something in them; the aircraft
# choice is asked for each new aircraft.
printf '[GeneralSetup]\r\nManualProfile=1\r\nMainFormTop=40\r\nMainFormLeft=40\r\n[Profiles]\r\nHeavy= \r\nTrainer= \r\n[Aircrafts]\r\nBoeing 737-800=Heavy\r\n' \
    > "$PROGRAM/Orvex.ini"
printf '[RadioPanel1]\r\nButtonActionCOM1=VButton,64,1\r\n' > "$PROGRAM/Heavy.ini"
printf '[RadioPanel1]\r\n' > "$PROGRAM/Trainer.ini"
# The profile in use steps an offset with the COM1 ACT/STBY click.
printf '[RadioPanel1]\r\nButtonActionCOM1=Step,0x66C0,2,1,0,359,1\r\n' > "$PROGRAM/Default.ini"

echo "== dialogs at $SCALE %"
start_panels --radio 1 --multi 1 --switch 1 --bip 1
start_orvex "$PROGRAM" 5

GENERAL="  ORVEX - General Options"
tool press OrvexMain - $MAIN_SETUP >/dev/null
if opened "$GENERAL"; then
    shot "$GENERAL" general-setup-general
    tool key - "$GENERAL" 2010 $VK_RIGHT >/dev/null; sleep 1
    shot "$GENERAL" general-setup-process
    closed "$GENERAL"
fi

PROFILES="  ORVEX - Profiles Configuration"
tool press OrvexMain - $MAIN_PROFILES >/dev/null
if opened "$PROFILES"; then
    tool key - "$PROFILES" 2601 $VK_DOWN >/dev/null; sleep 0.5
    shot "$PROFILES" profiles-profiles
    tool press - "$PROFILES" 2602 >/dev/null
    if opened "  ORVEX - New Profile"; then
        shot "  ORVEX - New Profile" profile-name
        closed "  ORVEX - New Profile"
    fi
    tool press - "$PROFILES" 2604 >/dev/null
    if opened "  ORVEX - Import Profile Data"; then
        shot "  ORVEX - Import Profile Data" profile-import
        closed "  ORVEX - Import Profile Data"
    fi
    tool key - "$PROFILES" 2600 $VK_RIGHT >/dev/null; sleep 1
    shot "$PROFILES" profiles-aircraft
    tool key - "$PROFILES" 2600 $VK_LEFT >/dev/null
    closed "$PROFILES"
fi

RADIO="  ORVEX - Radio Panel Configuration"
tool key OrvexMain - $MAIN_TABS $VK_RIGHT >/dev/null; sleep 1
tool press OrvexMain - 100 Setup >/dev/null
if opened "$RADIO"; then
    shot "$RADIO" radio-setup
    # The ACT/STBY button's page: an event selector set to key strokes.
    tool key - "$RADIO" 4110 $VK_RIGHT >/dev/null
    tool key - "$RADIO" 4110 $VK_RIGHT >/dev/null; sleep 0.5
    tool press - "$RADIO" 3523 >/dev/null; sleep 0.5
    shot "$RADIO" radio-setup-keys
    tool press - "$RADIO" 3537 >/dev/null
    if opened "  ORVEX - Get Key"; then
        shot "  ORVEX - Get Key" get-keys
        closed "  ORVEX - Get Key"
    fi
    tool press - "$RADIO" 3522 >/dev/null; sleep 0.5
    shot "$RADIO" radio-setup-vbutton
    # The custom action's page, and its numbers in their window.
    tool press - "$RADIO" 3525 >/dev/null; sleep 0.5
    shot "$RADIO" radio-setup-custom
    tool press - "$RADIO" 3542 >/dev/null
    if opened "  ORVEX - Custom FSUIPC Action"; then
        shot "  ORVEX - Custom FSUIPC Action" custom-action
        closed "  ORVEX - Custom FSUIPC Action"
    fi
    closed "$RADIO"
fi

# The other kinds' setup dialogs, one tab further each.
for kind in "Multi:  ORVEX - Multi Panel Configuration" "Switch:  ORVEX - Switch Panel Configuration" \
            "BIP:ORVEX - BIP Panel Configuration"; do
    name=${kind%%:*} title=${kind#*:}
    tool key OrvexMain - $MAIN_TABS $VK_RIGHT >/dev/null; sleep 1
    tool press OrvexMain - 100 Setup >/dev/null
    if opened "$title"; then
        shot "$title" "$(echo "$name" | tr 'A-Z' 'a-z')-setup"
        closed "$title"
    fi
done

# A new aircraft with the aircraft choice switched on.
AIRCRAFT="  ORVEX - Select Aircraft Profile"
wine ./SimStandin.exe --hidden --title "Cessna Skyhawk 172SP" >/dev/null 2>&1 &
for _ in $(seq 100); do sim ping >/dev/null 2>&1 && break; sleep 0.2; done
if opened "$AIRCRAFT"; then
    shot "$AIRCRAFT" aircraft-profile
    closed "$AIRCRAFT"
fi
