// What the BIP logic needs of the panel's device control: the tiles'
// colours and legends. The Windows control implements it over a
// BIPTileState; tests use a recording fake.
#pragma once

#include "panels/bip/bip_tiles.h"

#include <array>
#include <cstdint>
#include <string>

namespace orvex::panels::bip {

class IBIPPanelControl {
public:
    virtual ~IBIPPanelControl() = default;
    // The legend of a tile ("." separates its lines; "" none).
    virtual void SetTileLabel(int tile, const std::string& text) = 0;
    // One tile; a report goes out only when it changed.
    virtual void TurnTile(int tile, std::int32_t colour) = 0;
    // Every tile; one report when any changed.
    virtual void TurnAllTiles(const std::array<std::int32_t, kTileCount>& colours) = 0;
    // All tiles to one colour; the report is always sent.
    virtual void TurnPanel(std::int32_t colour) = 0;
    // The colour a tile shows now: kTileDark (never the button face),
    // kTileRed, kTileGreen or kTileYellow.
    virtual std::int32_t TileColour(int tile) const = 0;
};

} // namespace orvex::panels::bip
