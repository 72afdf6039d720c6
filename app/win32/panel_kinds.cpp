#include "app/win32/panel_kinds.h"

#include "panels/radio/win32/radio_panel_object.h"

#include <array>

namespace orvex::app::win32 {

std::span<const PanelKind> PanelKinds() {
    static const std::array<PanelKind, 1> kinds = {{
        {"Radio Panel", 0x0D05, "RadioPanel", "Radio Panel ", "Error connecting a detected Radio Panel",
         &panels::radio::CreateRadioPanelObject, nullptr},
    }};
    return kinds;
}

} // namespace orvex::app::win32
