// Which panel is where, without any window or device: the panel slots (a
// kind, the panel's number within it and the device path it last had), the
// matching of the devices a check finds to those slots, and the state of
// the reconnection (which panels are gone, whether the device-I/O server is
// down, when the next check is due and whether the user is told).
//
// A slot keeps its number for the whole run: the number names the tab and
// the profile section, so a panel that comes back gets its own slot again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orvex::app {

struct PanelSlot {
    int Kind = 0;              // position in the table of panel kinds
    std::int16_t Number = 0;   // 1-based within its kind
    std::string Path;          // the device path it has or last had; empty: never connected
    bool Present = false;      // connected now
};

// What a check found for one kind.
struct SlotMatch {
    // Present slots whose path the check did not list.
    std::vector<std::size_t> Gone;
    // Listed paths that no present slot holds, each given a slot: the
    // vacant slot with the same path, else the first vacant slot of the
    // kind, else a new one (`Slot` == npos) with the next free number.
    struct Arrival {
        std::size_t Slot = npos;
        std::int16_t Number = 0;
        std::string Path;
    };
    std::vector<Arrival> Arrivals;
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);
};

// Device paths compare without regard to case, as Windows compares them.
bool SamePath(const std::string& a, const std::string& b);

SlotMatch MatchSlots(const std::vector<PanelSlot>& slots, int kind, const std::vector<std::string>& paths);

class PanelPresence {
public:
    // The periodic check's period while a known panel is missing.
    static constexpr std::uint32_t kPanelCheckMs = 500;
    // After the server ended: the first attempt to start it again, then the
    // period of the attempts while they fail.
    // The first few attempts come quickly: a server that ended is usually
    // started again at once.
    static constexpr std::uint32_t kServerFirstRetryMs = 300;
    static constexpr std::uint32_t kServerQuickRetryMs = 1000;
    static constexpr int kServerQuickRetries = 4;
    static constexpr std::uint32_t kServerRetryMs = 3000;
    // The user is told once an outage has lasted this long.
    static constexpr std::uint32_t kServerTellAfterMs = 5000;

    std::size_t AddSlot(int kind, std::int16_t number, std::string path, bool present);
    const std::vector<PanelSlot>& Slots() const { return slots_; }
    const PanelSlot& Slot(std::size_t index) const { return slots_.at(index); }
    std::optional<std::size_t> FindByPath(const std::string& path) const;

    // A panel went away. True when it was present (its reader and handle
    // are to be released); false when it was gone already.
    bool Lost(std::size_t slot);
    // A panel is connected again under `path`.
    void Restored(std::size_t slot, const std::string& path);
    // Applies a check's findings: marks the gone slots lost and adds the new
    // slots (not yet present) for arrivals without one; the arrivals' slot
    // indices are filled in. Returns the slots that went from present to gone.
    std::vector<std::size_t> Apply(SlotMatch& match, int kind);

    // The device-I/O server. ServerLost marks every present panel lost and
    // returns those slots; the panels are reconnected once it runs again.
    std::vector<std::size_t> ServerLost(std::uint64_t nowMs);
    // The server of some panels ended (their slots are marked lost one by
    // one): it is to be started again before they reconnect.
    void ServerDown(std::uint64_t nowMs);
    // An attempt to start it failed: true when the user is to be told now
    // (once an outage, when it has lasted kServerTellAfterMs).
    bool ServerStartFailed(std::uint64_t nowMs);
    void ServerStarted();
    bool ServerUp() const { return serverUp_; }
    bool ServerFailing() const { return !serverUp_ && failures_ > 0; }

    // Known panels that are not connected (a slot that never had a device
    // is not known).
    std::size_t MissingCount() const;
    // Whether the periodic check runs, and its period: only while a known
    // panel is missing or the server is down; 0: no check.
    std::uint32_t CheckPeriodMs() const;

private:
    std::vector<PanelSlot> slots_;
    bool serverUp_ = true;
    bool told_ = false;
    int failures_ = 0;
    std::uint64_t serverLostAt_ = 0;
};

} // namespace orvex::app
