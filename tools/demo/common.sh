# What the demo and the dialog pictures share: the programs under Wine, the
# control pipes of the stand-in, the virtual panels and demotool, and the
# start and the end of a run. Sourced with ORVEX_WINE set, in the build's
# bin folder.

MAIN_TABS=100 VK_LEFT=0x25 VK_RIGHT=0x27 VK_DOWN=0x28

wine() { "$ORVEX_WINE" "$@"; }
sim() { wine ./SimStandin.exe --ctl "$@" 2>/dev/null | tr -d '\r'; }
panel() { wine ./VirtualPanels.exe --ctl "$@" 2>/dev/null | tr -d '\r'; }
tool() { wine ./demotool.exe "$@" 2>/dev/null | tr -d '\r'; }
winpath() { "$ORVEX_WINE" winepath -w "$1" 2>/dev/null | tr -d '\r'; }

start_panels() {  # start_panels <VirtualPanels options>: until they answer on their pipe
    wine ./VirtualPanels.exe "$@" >/dev/null 2>&1 &
    for _ in $(seq 100); do panel ping >/dev/null 2>&1 && break; sleep 0.2; done
}

start_orvex() {  # start_orvex <folder> <tabs>: Orvex from its folder, until its window has every tab
    (cd "$1" && wine ./Orvex.exe >/dev/null 2>&1) &
    tool wait OrvexMain - 30
    # The window exists before the panels are connected (each one's light
    # show runs first): wait for the main page and every panel's tab.
    for _ in $(seq 150); do
        case "$(tool text OrvexMain - $MAIN_TABS tabs 2>/dev/null)" in *"count $2"*) break ;; esac
        sleep 0.2
    done
    sleep 1
}

cleanup() {
    sim quit >/dev/null 2>&1 || true
    tool close OrvexMain - >/dev/null 2>&1 || true
    sleep 1
    panel quit >/dev/null 2>&1 || true
    wait 2>/dev/null || true
}
trap cleanup EXIT
