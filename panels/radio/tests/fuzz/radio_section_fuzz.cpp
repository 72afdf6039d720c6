// The Radio Panel's profile section (see tests/support/fuzz_sections.h).
#include "panels/radio/radio_actions_holder.h"

#include "tests/support/fuzz_sections.h"

#include <bit>
#include <cmath>

namespace {

using namespace orvex::panels::radio;
using orvex::actions::ActionText;
using orvex::fuzzing::ActionFieldFromInput;
using orvex::fuzzing::FuzzInput;

std::string Fingerprint(const cRadioPanelActionsHolder& h) {
    std::string f;
    for (int p = kCom1; p <= kXpdr; ++p) {
        f += ActionText(h.SelectorAction(p)) + ";" + ActionText(h.ButtonAction(p)) + ";" +
             ActionText(h.LongButtonAction(p)) + ";";
        for (int ring = 0; ring < 2; ++ring)
            for (int direction = 0; direction < 2; ++direction) f += ActionText(h.RotAction(ring, direction, p)) + ";";
        f += std::to_string(h.GetAcceleration(p)) + "\n";
    }
    f += std::to_string(h.AltimeterUnit) + " " + std::to_string(h.DMEMode) + " " + std::to_string(h.ADFMode) + " " +
         std::to_string(std::bit_cast<std::uint32_t>(h.ADFInnStep)) + " " +
         std::to_string(std::bit_cast<std::uint32_t>(h.ADFOutStep));
    return f;
}

void Modify(cRadioPanelActionsHolder& h, FuzzInput& in) {
    const std::uint8_t op = in.Byte();
    const int position = in.Byte() % 9;  // 8 is out of range
    const int field = in.Byte() % 4;
    switch (op % 7) {
    case 0: h.SetSelectorActions(position, field, ActionFieldFromInput(in, field)); break;
    case 1: h.SetButtonsActions(position, field, ActionFieldFromInput(in, field)); break;
    case 2: h.SetLongButtonsActions(position, field, ActionFieldFromInput(in, field)); break;
    case 3: h.SetRotActions((op >> 3) & 1, (op >> 4) & 1, position, field, ActionFieldFromInput(in, field)); break;
    case 4: h.SetAcceleration(position, static_cast<std::int16_t>(in.Word())); break;
    case 5: (op & 8 ? h.AltimeterUnit : op & 16 ? h.DMEMode : h.ADFMode) = in.Byte(); break;
    case 6: {
        const float step = std::bit_cast<float>(in.Dword());
        if (std::isfinite(step)) (op & 8 ? h.ADFInnStep : h.ADFOutStep) = step;
        break;
    }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    orvex::fuzzing::RunSectionCase<cRadioPanelActionsHolder>(data, size, Fingerprint, Modify);
    return 0;
}
