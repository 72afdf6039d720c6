// One Switch Panel as the program runs it: the on-screen device control, the
// logic object and, through it, the panel's configuration. The control's
// events reach the logic only while the simulator is connected; the setup
// request always reaches the main window.
#pragma once

#include "app/win32/panel_object.h"

#include <cstdint>
#include <memory>

namespace orvex::panels::switchpanel {

std::unique_ptr<app::win32::IPanelObject> CreateSwitchPanelObject(app::win32::PanelServices& services,
                                                                  std::int16_t index);

} // namespace orvex::panels::switchpanel
