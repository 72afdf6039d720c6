#include "app/win32/panel_kinds.h"

#include "panels/bip/bip_catalog.h"
#include "panels/bip/win32/bip_panel_object.h"
#include "panels/multi/win32/multi_panel_object.h"
#include "panels/radio/win32/radio_panel_object.h"
#include "panels/switch/win32/switch_panel_object.h"

#include <array>

namespace orvex::app::win32 {

std::span<const PanelKind> PanelKinds() {
    static const std::array<PanelKind, 4> kinds = {{
        {"Radio Panel", 0x0D05, "RadioPanel", "Radio Panel ", "Error connecting a detected Radio Panel",
         &panels::radio::CreateRadioPanelObject, nullptr},
        {"Multi Panel", 0x0D06, "MultiPanel", "Multi Panel ", "Error connecting a detected Multi Panel",
         &panels::multi::CreateMultiPanelObject, nullptr},
        {"Switch Panel", 0x0D67, "SwitchPanel", "Switch Panel ", "Error connecting a detected Switch Panel",
         &panels::switchpanel::CreateSwitchPanelObject, nullptr},
        {"BIP Panel", 0x0B4E, "BIPPanel", "BIP Panel ", "Error connecting a detected BIP Panel",
         &panels::bip::CreateBIPPanelObject, &panels::bip::InitTileCatalog},
    }};
    return kinds;
}

} // namespace orvex::app::win32
