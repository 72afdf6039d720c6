// The Multi Panel's profile section (see tests/support/fuzz_sections.h).
#include "panels/multi/multi_actions_holder.h"

#include "tests/support/fuzz_sections.h"

namespace {

using namespace orvex::panels::multi;
using orvex::actions::ActionText;
using orvex::fuzzing::ActionFieldFromInput;
using orvex::fuzzing::FuzzInput;

std::string Fingerprint(const cMultiPanelActionsHolder& h) {
    std::string f;
    for (int p = 1; p < kPositionCount; ++p)
        f += ActionText(h.SelectorAction(p)) + ";" + ActionText(h.RotAction(0, p)) + ";" +
             ActionText(h.RotAction(1, p)) + ";" + std::to_string(h.GetRotAcceleration(p)) + "\n";
    for (int b = 1; b < kButtonCount; ++b)
        f += ActionText(h.ButtonAction(b)) + ";" + ActionText(h.LongButtonAction(b)) + ";" +
             std::to_string(h.NGXGetShortButtonsActions(b)) + ";" + std::to_string(h.NGXGetLongButtonsActions(b)) +
             "\n";
    for (int i = 0; i < 2; ++i)
        f += ActionText(h.AutoThrottleAction(i)) + ";" + ActionText(h.FlapsAction(i)) + ";" +
             ActionText(h.TrimAction(i)) + "\n";
    f += std::to_string(h.TrimAcceleration) + " " + std::to_string(h.TrimSensitivity) + " " +
         std::to_string(h.ReverseTrim == 1) + " " + std::to_string(h.ReverseFlaps == 1) + " " +
         std::to_string(h.CourseSel);
    return f;
}

void Modify(cMultiPanelActionsHolder& h, FuzzInput& in) {
    const std::uint8_t op = in.Byte();
    const int index = in.Byte() % 10;  // out of range now and then
    const int field = in.Byte() % 4;
    switch (op % 12) {
    case 0: h.SetSelectorActions(index, field, ActionFieldFromInput(in, field)); break;
    case 1: h.SetButtonsActions(index, field, ActionFieldFromInput(in, field)); break;
    case 2: h.SetLongButtonsActions(index, field, ActionFieldFromInput(in, field)); break;
    case 3: h.SetRotUpActions(index, field, ActionFieldFromInput(in, field)); break;
    case 4: h.SetRotDownActions(index, field, ActionFieldFromInput(in, field)); break;
    case 5: h.SetAutoThrottleActions(index % 3, field, ActionFieldFromInput(in, field)); break;
    case 6: h.SetFlapsActions(index % 3, field, ActionFieldFromInput(in, field)); break;
    case 7: h.SetTrimActions(index % 3, field, ActionFieldFromInput(in, field)); break;
    case 8: h.SetRotAcceleration(index, static_cast<std::int16_t>(in.Word())); break;
    case 9: h.NGXSetShortButtonsActions(index, in.Byte()); h.NGXSetLongButtonsActions(index, in.Byte()); break;
    case 10: (op & 16 ? h.TrimAcceleration : h.TrimSensitivity) = static_cast<std::int16_t>(in.Word()); break;
    case 11:
        (op & 16 ? h.ReverseTrim : h.ReverseFlaps) = (op >> 5) & 1;
        if (op & 64) h.CourseSel = in.Byte() % 3;
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    orvex::fuzzing::RunSectionCase<cMultiPanelActionsHolder>(data, size, Fingerprint, Modify);
    return 0;
}
