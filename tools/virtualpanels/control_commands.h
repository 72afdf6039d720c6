// The virtual panels' control channel: the published devices, and the text
// commands that script them. A command becomes a plan: the reply and the
// timed steps (input reports, plug and unplug) to carry out before it is
// sent. Nothing here touches the platform.
#pragma once

#include "tools/virtualpanels/panel_model.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orvex::virtualpanels {

struct Device {
    int number = 0;  // 1-based, in order of publication
    PanelModel model;
    std::string path;
    bool present = true;
    uint64_t reportsSent = 0;  // input reports produced (each goes to every open handle)
    uint64_t opens = 0;        // handles opened on the device (connections to its pipe)
    int replugs = 0;           // replugged under a new path this many times
    bool upperIds = false;
};

class PanelBank {
public:
    // Publishes one more panel; numbers run 1, 2, ... across all kinds.
    Device& Add(PanelKind kind, bool upperIds = false);
    Device* Find(int number);
    const Device* Find(int number) const;
    std::vector<Device>& Devices() { return devices_; }
    const std::vector<Device>& Devices() const { return devices_; }

private:
    std::vector<Device> devices_;
};

struct Step {
    enum class What {
        Raw,       // send `raw` as it is
        Hold,      // set or clear held bits (`mask`) and send
        Pulse,     // set or clear knob pulse bits and send
        Selector,  // move a selector (`mask`, `bits`) and send
        Unplug,
        Plug,
        PowerOff,  // unplugged, and it forgets what it showed (plugged again by a Plug step)
        NewPath,   // unplugged and given a new path (plugged again by a Plug step)
    };
    double atMs = 0;  // from the start of the plan
    int device = 0;
    What what = What::Raw;
    uint32_t mask = 0;
    uint32_t bits = 0;
    bool on = false;
    InputReport raw{};
};

struct Plan {
    std::string reply;  // "ok ..." or "error ..."
    std::vector<Step> steps;
    bool quit = false;
};

// What a drawn panel shows of a device; compared to tell when to redraw.
struct PanelView {
    bool present = true;
    uint32_t positions = 0;
    std::vector<uint8_t> feature;  // the last feature report of the default id
    std::array<uint64_t, 24> pulses{};
    std::vector<uint8_t> brightness;  // a BIP's last brightness report (0xB2); empty for the others
    bool operator==(const PanelView&) const = default;
};

PanelView ViewOf(const Device& device);

// Turns one command line into a plan. Read-only commands are answered from
// the bank as it is now.
Plan Interpret(const PanelBank& bank, const std::string& line);

// Carries out one step; returns the input report to send, if any.
std::optional<InputReport> Apply(PanelBank& bank, const Step& step);

// The path of a device replugged `replugs` times: the same IDs, another
// instance part (as a panel put into another USB port gets).
std::string ReplugPath(uint16_t productId, int number, int replugs, bool upperIds);

// One line per device for the status window and `list`.
std::string DescribeDevice(const Device& device);

// The commands, one line each, for `help`.
const char* CommandSummary();

} // namespace orvex::virtualpanels
