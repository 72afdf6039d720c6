// The Multi Panel's own control commands, in the words of the panel:
//
//   mode <dev> alt|vs|ias|hdg|crs        the mode selector
//   knob <dev> <notches> [per-second]    the knob (negative: counter-clockwise)
//   trim <dev> up|down [notches] [per-second], or trim <dev> <notches> [per-second]
//   flaps <dev> up|down|mid [ms]         the flaps lever; with a time it springs
//                                        back to the middle after it
//   at <dev> arm|off                     the auto-throttle switch
//
// Each becomes the plan of the general command it stands for (selector,
// turn, switch), so that both send the same reports.
#pragma once

#include "tools/virtualpanels/control_commands.h"

#include <optional>
#include <string>
#include <vector>

namespace orvex::virtualpanels {

// The plan of a Multi Panel command given as `tokens` (verb first, then
// the device number) for `device`; nullopt when the verb is none of them.
std::optional<Plan> InterpretMultiCommand(const PanelBank& bank, const Device& device,
                                          const std::vector<std::string>& tokens);

} // namespace orvex::virtualpanels
