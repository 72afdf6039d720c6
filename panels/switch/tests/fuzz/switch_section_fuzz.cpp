// The Switch Panel's profile section (see tests/support/fuzz_sections.h).
#include "panels/switch/switch_actions_holder.h"

#include "tests/support/fuzz_sections.h"

namespace {

using namespace orvex::panels::switchpanel;
using orvex::actions::ActionText;
using orvex::fuzzing::ActionFieldFromInput;
using orvex::fuzzing::FuzzInput;

std::string Fingerprint(const cSwitchPanelActionsHolder& h) {
    std::string f;
    for (int index = 1; index <= kSwitchCount; ++index)
        f += ActionText(h.SwitchAction(index, kStateOff)) + ";" + ActionText(h.SwitchAction(index, kStateOn)) + "\n";
    for (bool option : {h.RetractableGear, h.SingleStarterSelector, h.SingleFuelPump, h.SingleAltSwitch,
                        h.SingleCowlFlaps, h.SingleDeIce})
        f += option ? '1' : '0';
    return f;
}

void Modify(cSwitchPanelActionsHolder& h, FuzzInput& in) {
    const std::uint8_t op = in.Byte();
    const int index = in.Byte() % 22;  // 0 and 21 are out of range
    const int field = in.Byte() % 4;
    if (op & 1) {
        h.SetSwitchActions(index, (op >> 1) % 3, field, ActionFieldFromInput(in, field));
        return;
    }
    bool* options[] = {&h.RetractableGear, &h.SingleStarterSelector, &h.SingleFuelPump,
                       &h.SingleAltSwitch, &h.SingleCowlFlaps,       &h.SingleDeIce};
    *options[(op >> 1) % 6] = (op >> 4) & 1;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    orvex::fuzzing::RunSectionCase<cSwitchPanelActionsHolder>(data, size, Fingerprint, Modify);
    return 0;
}
