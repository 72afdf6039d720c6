// What a virtual panel is, without any platform: its kind, report sizes and
// capabilities, the positions of its selectors, switches and buttons (the
// input state word of its 4-byte input reports), and the feature reports it
// has been sent.
#pragma once

#include "relaybox/hid/hid_device.h"

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace orvex::virtualpanels {

inline constexpr uint16_t kSaitekVendorId = 0x06A3;

enum class PanelKind { Radio, Multi, Switch, Bip };

struct KindInfo {
    PanelKind kind;
    const char* name;          // "radio", "multi", "switch", "bip"
    uint16_t productId;
    uint16_t inputLength;      // 0: the panel sends no input
    uint16_t featureLength;    // the longest feature report
};

const KindInfo& Info(PanelKind kind);
std::optional<PanelKind> KindFromName(const std::string& name);
hid::HidCaps CapsFor(PanelKind kind);

using InputReport = std::array<uint8_t, 4>;

struct Knob {
    std::string name;
    uint32_t upBit;    // clockwise pulse
    uint32_t downBit;  // counter-clockwise pulse
};

struct Position {
    std::string name;
    uint32_t bits;  // 0 for a position that sets no bit (the flaps lever's middle)
};

struct Selector {
    std::string name;
    uint32_t mask;
    std::vector<Position> positions;
};

struct FeatureStats {
    uint64_t writes = 0;    // accepted SetFeature calls
    uint64_t rejected = 0;  // SetFeature calls of an unknown id or wrong size
    uint64_t reads = 0;     // GetFeature calls answered
};

class PanelModel {
public:
    explicit PanelModel(PanelKind kind);

    PanelKind Kind() const { return kind_; }
    // Held positions (selectors, switches, pressed buttons), 24 bits.
    uint32_t Positions() const { return held_; }
    // The input report now: report id 0, then the held positions and any
    // knob pulse bits, first data byte = bits 16-23.
    InputReport Report() const;

    // Look-ups by name (case-insensitive). Buttons and switches also accept
    // a switch index of the Switch Panel (1-20) or a bit value ("0x4000").
    std::optional<Knob> FindKnob(const std::string& name) const;
    std::optional<uint32_t> FindBit(const std::string& name) const;
    // The selector `selector` (empty: the panel's first) and its position
    // `position` (a name or a 1-based number).
    std::optional<std::pair<uint32_t, uint32_t>> FindSelectorPosition(const std::string& selector,
                                                                       const std::string& position) const;

    void SetBits(uint32_t bits, bool on);
    void SetSelector(uint32_t mask, uint32_t bits) { held_ = (held_ & ~mask) | (bits & mask); }
    void SetPulse(uint32_t bits, bool on);
    // How often each bit of the state word (index 0 = bit value 1) was set
    // as a knob pulse: a drawn knob turns its mark by these.
    const std::array<uint64_t, 24>& PulseCounts() const { return pulseCounts_; }

    // A SetFeature, checked as the system's HID class driver checks it: the
    // buffer must be at least the panel's feature length (its longest
    // report; shorter reports come padded) and carry an id the panel knows.
    // The last report of each id is kept at the size the panel defines.
    bool WriteFeature(const uint8_t* report, size_t size);
    // A GetFeature of `length` bytes for `reportId`; a length below the
    // panel's feature length is refused. The Radio and Multi Panels answer
    // id 0 with their held positions in bytes 1-3 (the rest 0); the BIP
    // answers with the last report of that id, padded; the Switch Panel does
    // not answer. nullopt: not answered.
    std::optional<std::vector<uint8_t>> ReadFeature(uint8_t reportId, size_t length);
    // The last report written with that id (empty: none yet).
    std::vector<uint8_t> LastFeature(uint8_t reportId) const;
    // The panel lost power: it forgets every report it was sent (it shows
    // nothing until it is told again). Its switches stay where they are.
    void ForgetFeatures() { features_.clear(); }
    // The id `feature <dev>` shows without one: 0, or 0xB8 (tiles) for the BIP.
    uint8_t DefaultFeatureId() const { return kind_ == PanelKind::Bip ? 0xB8 : 0; }
    const FeatureStats& Stats() const { return stats_; }
    const std::map<uint8_t, std::vector<uint8_t>>& Features() const { return features_; }

private:
    PanelKind kind_;
    uint32_t held_ = 0;
    uint32_t pulse_ = 0;
    std::array<uint64_t, 24> pulseCounts_{};
    std::map<uint8_t, std::vector<uint8_t>> features_;
    FeatureStats stats_;
};

} // namespace orvex::virtualpanels
