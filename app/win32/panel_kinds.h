// The panel kinds the program looks for, in the order it looks for them, and
// what each kind brings: its USB product ID, tab key and caption, connection
// message and the factory of its panel object (device control, logic and
// configuration together). A kind plugs in by adding its row here.
#pragma once

#include "app/win32/panel_object.h"

#include <cstdint>
#include <memory>
#include <span>

namespace orvex::app::win32 {

struct PanelKind {
    const char* Name;           // "Radio Panel"
    std::uint16_t ProductId;
    const char* TabKey;         // + number: "RadioPanel1"
    const char* TabCaption;     // + number: "Radio Panel 1"
    const char* ConnectError;   // shown when a detected panel does not connect
    std::unique_ptr<IPanelObject> (*Create)(PanelServices& services, std::int16_t index);
    // Fills the kind's fixed tables once at start-up (nullptr: none).
    void (*Prepare)();
};

// The kinds in search order: Radio, Multi, Switch, BIP.
std::span<const PanelKind> PanelKinds();

} // namespace orvex::app::win32
