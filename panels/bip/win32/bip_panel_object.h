// One BIP as the program runs it: the on-screen device control, the logic
// object and, through it, the panel's configuration. The BIP sends no
// input; its setup request always reaches the main window.
#pragma once

#include "app/win32/panel_object.h"

#include <cstdint>
#include <memory>

namespace orvex::panels::bip {

std::unique_ptr<app::win32::IPanelObject> CreateBIPPanelObject(app::win32::PanelServices& services,
                                                               std::int16_t index);

} // namespace orvex::panels::bip
