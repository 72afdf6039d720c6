#include "app/panel_presence.h"

#include <algorithm>
#include <cctype>

namespace orvex::app {

bool SamePath(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

SlotMatch MatchSlots(const std::vector<PanelSlot>& slots, int kind, const std::vector<std::string>& paths) {
    SlotMatch match;
    auto listed = [&](const std::string& path) {
        return std::any_of(paths.begin(), paths.end(), [&](const std::string& p) { return SamePath(p, path); });
    };
    for (std::size_t i = 0; i < slots.size(); ++i)
        if (slots[i].Kind == kind && slots[i].Present && !listed(slots[i].Path)) match.Gone.push_back(i);

    // The paths no present slot holds, once each, in the order listed.
    std::vector<std::string> arriving;
    for (const std::string& path : paths) {
        if (path.empty()) continue;
        const bool held = std::any_of(slots.begin(), slots.end(), [&](const PanelSlot& s) {
            return s.Kind == kind && s.Present && SamePath(s.Path, path);
        });
        const bool twice =
            std::any_of(arriving.begin(), arriving.end(), [&](const std::string& p) { return SamePath(p, path); });
        if (!held && !twice) arriving.push_back(path);
    }

    std::vector<bool> taken(slots.size(), false);
    std::vector<std::optional<std::size_t>> chosen(arriving.size());
    // First every path that comes back to its own slot...
    for (std::size_t a = 0; a < arriving.size(); ++a) {
        for (std::size_t i = 0; i < slots.size(); ++i) {
            const PanelSlot& s = slots[i];
            if (s.Kind == kind && !s.Present && !taken[i] && SamePath(s.Path, arriving[a])) {
                chosen[a] = i;
                taken[i] = true;
                break;
            }
        }
    }
    // ...then the others to the vacant slots by number, or to new ones.
    std::int16_t next = 0;
    for (const PanelSlot& s : slots)
        if (s.Kind == kind) next = std::max(next, s.Number);
    for (std::size_t a = 0; a < arriving.size(); ++a) {
        if (!chosen[a]) {
            std::optional<std::size_t> best;
            for (std::size_t i = 0; i < slots.size(); ++i) {
                const PanelSlot& s = slots[i];
                if (s.Kind != kind || s.Present || taken[i]) continue;
                if (!best || s.Number < slots[*best].Number) best = i;
            }
            if (best) {
                chosen[a] = best;
                taken[*best] = true;
            }
        }
        SlotMatch::Arrival arrival;
        arrival.Path = arriving[a];
        if (chosen[a]) {
            arrival.Slot = *chosen[a];
            arrival.Number = slots[*chosen[a]].Number;
        } else {
            arrival.Number = ++next;
        }
        match.Arrivals.push_back(std::move(arrival));
    }
    return match;
}

std::size_t PanelPresence::AddSlot(int kind, std::int16_t number, std::string path, bool present) {
    slots_.push_back(PanelSlot{kind, number, std::move(path), present});
    return slots_.size() - 1;
}

std::optional<std::size_t> PanelPresence::FindByPath(const std::string& path) const {
    for (std::size_t i = 0; i < slots_.size(); ++i)
        if (!slots_[i].Path.empty() && SamePath(slots_[i].Path, path)) return i;
    return std::nullopt;
}

bool PanelPresence::Lost(std::size_t slot) {
    if (slot >= slots_.size() || !slots_[slot].Present) return false;
    slots_[slot].Present = false;
    return true;
}

void PanelPresence::Restored(std::size_t slot, const std::string& path) {
    if (slot >= slots_.size()) return;
    slots_[slot].Path = path;
    slots_[slot].Present = true;
}

std::vector<std::size_t> PanelPresence::Apply(SlotMatch& match, int kind) {
    std::vector<std::size_t> lost;
    for (std::size_t slot : match.Gone)
        if (Lost(slot)) lost.push_back(slot);
    for (SlotMatch::Arrival& arrival : match.Arrivals)
        if (arrival.Slot == SlotMatch::npos) arrival.Slot = AddSlot(kind, arrival.Number, arrival.Path, false);
    return lost;
}

void PanelPresence::ServerDown(std::uint64_t nowMs) {
    if (!serverUp_) return;
    serverUp_ = false;
    told_ = false;
    failures_ = 0;
    serverLostAt_ = nowMs;
}

std::vector<std::size_t> PanelPresence::ServerLost(std::uint64_t nowMs) {
    std::vector<std::size_t> lost;
    ServerDown(nowMs);
    for (std::size_t i = 0; i < slots_.size(); ++i)
        if (Lost(i)) lost.push_back(i);
    return lost;
}

bool PanelPresence::ServerStartFailed(std::uint64_t nowMs) {
    if (serverUp_) {
        // A failure without a known end (the first start of a panel after
        // start-up): the outage begins now.
        serverUp_ = false;
        told_ = false;
        failures_ = 0;
        serverLostAt_ = nowMs;
    }
    ++failures_;
    if (told_ || nowMs - serverLostAt_ < kServerTellAfterMs) return false;
    told_ = true;
    return true;
}

void PanelPresence::ServerStarted() {
    serverUp_ = true;
    failures_ = 0;
}

std::size_t PanelPresence::MissingCount() const {
    return static_cast<std::size_t>(
        std::count_if(slots_.begin(), slots_.end(), [](const PanelSlot& s) { return !s.Present && !s.Path.empty(); }));
}

std::uint32_t PanelPresence::CheckPeriodMs() const {
    if (!serverUp_) {
        if (failures_ == 0) return kServerFirstRetryMs;
        return failures_ < kServerQuickRetries ? kServerQuickRetryMs : kServerRetryMs;
    }
    return MissingCount() > 0 ? kPanelCheckMs : 0;
}

} // namespace orvex::app
