// The BIP's tile section (see tests/support/fuzz_sections.h).
#include "panels/bip/bip_actions_holder.h"

#include "tests/support/fuzz_sections.h"

namespace {

using namespace orvex::panels::bip;
using orvex::fuzzing::FuzzInput;

std::string Fingerprint(const cBIPPanelActionHolder& h) {
    std::string f;
    for (int tile = 0; tile < kTileCount; ++tile) f += h.TileValue(tile) + "\n";
    return f;
}

void Modify(cBIPPanelActionHolder& h, FuzzInput& in) {
    const std::uint8_t op = in.Byte();
    const int tile = in.Byte() % 26;  // 24 and 25 are out of range
    const auto value = static_cast<std::int32_t>(in.Dword());
    switch (op % 5) {
    case 0: h.SetTileFunction(tile, value % 72); break;
    case 1: {
        constexpr std::int32_t kColours[] = {0, kTileRed, kTileGreen, kTileYellow};
        h.SetColor(tile, value & 1 ? value : kColours[(value >> 1) & 3]);
        break;
    }
    case 2: h.SetThreshold(tile, value % 120); break;
    case 3: h.ClearTile(tile); break;
    case 4: if ((op & 0xF0) == 0xF0) h.ClearAllTiles(); break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    InitTileCatalog();
    orvex::fuzzing::RunSectionCase<cBIPPanelActionHolder>(data, size, Fingerprint, Modify);
    return 0;
}
