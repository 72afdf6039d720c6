// The virtual panels' I/O: the control pipe, one pipe per device, and the
// directory, all served by one thread through an I/O completion port.
#pragma once

#include "tools/virtualpanels/control_commands.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace orvex::virtualpanels {

class Engine {
public:
    Engine(std::string instance, PanelBank bank);
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // Creates the pipes and publishes the directory; false (with a reason)
    // when the control pipe is taken (another instance of the same name).
    bool Open(std::string& error);
    // Serves until `quit` or Stop(); calls `onStopped` at the end (on this thread).
    void Run(const std::function<void()>& onStopped = {});
    // Asks Run to end; any thread.
    void Stop();

    // Carries out a command as the control pipe does, without a reply; any
    // thread. Commands given the same non-empty `queue` run one after the
    // other, so that a knob turned again while it still turns goes on
    // turning rather than mixing two pulse trains.
    void Submit(std::string line, std::string queue = {});
    // Called on the engine's thread whenever what a device shows changes:
    // its positions, knob pulses, plugging, or a feature report with other
    // bytes than the last. Set before Run.
    void SetObserver(std::function<void(int device)> onChange);
    // What a device shows now (nullopt: no such device); any thread.
    std::optional<PanelView> View(int device) const;

    // What the status window shows, one line per device; any thread.
    std::vector<std::string> Snapshot(uint64_t& version) const;
    const std::string& Instance() const { return instance_; }

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    std::string instance_;
};

} // namespace orvex::virtualpanels
