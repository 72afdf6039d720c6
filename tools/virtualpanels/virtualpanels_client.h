// Starts VirtualPanels.exe (from the running program's folder) and talks to
// it over its control pipe: for tests, benchmarks and demos.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace orvex::virtualpanels {

class VirtualPanelsProcess {
public:
    VirtualPanelsProcess();
    ~VirtualPanelsProcess();  // Stop()
    VirtualPanelsProcess(const VirtualPanelsProcess&) = delete;
    VirtualPanelsProcess& operator=(const VirtualPanelsProcess&) = delete;

    // Starts the program with these arguments (e.g. "--hidden --pipe T1
    // --radio 2") and waits until its control pipe answers. False when it
    // could not be started or did not answer within 20 s.
    bool Start(const std::string& args);
    // Sends one command; the reply ("ok ..." / "error ..."), or "error no
    // connection" when the program cannot be reached.
    std::string Command(const std::string& line);
    bool Ok(const std::string& line);
    // The last feature report of that id the device received (empty: none).
    std::vector<uint8_t> LastFeature(int device, int reportId);
    // How many feature reports the device accepted.
    uint64_t FeatureWrites(int device);
    // The device path of a published device.
    std::string Path(int device);
    // Asks the program to quit and waits for it (ending it if it hangs).
    void Stop();

    // The instance name (the --pipe value, or the default).
    const std::string& Instance() const { return instance_; }

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    std::string instance_;
};

} // namespace orvex::virtualpanels
