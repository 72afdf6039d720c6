// Starts SimStandin.exe and talks to it over its control pipe: for the
// cross-process tests, the benchmarks and the demo.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace orvex::simstandin {

class SimStandinProcess {
public:
    SimStandinProcess();
    SimStandinProcess(const SimStandinProcess&) = delete;
    SimStandinProcess& operator=(const SimStandinProcess&) = delete;
    ~SimStandinProcess();

    // Starts SimStandin.exe from the folder of the running program with the
    // given extra arguments (e.g. "--hidden --simid 7") and waits up to 10 s
    // until its pipe answers ping. The stand-in ends by itself should this
    // process end. False when it did not start, ended at once (a pipe name
    // or FSUIPC window already in use) or does not answer. A launch that
    // dies before the stand-in runs is tried again, up to three times.
    bool Start(const std::string& args = "");
    // Why the last Start failed, for test messages; empty after a success.
    const std::string& LastStartError() const { return lastStartError_; }
    // Sends one command line; returns the reply (lines joined with '\n', no
    // final line break), or "error <reason>" when the pipe fails.
    std::string Command(const std::string& line);
    bool Ok(const std::string& line);
    // The bytes at offset; empty on failure.
    std::vector<uint8_t> Get(uint32_t offset, uint32_t size);
    bool Set(uint32_t offset, const std::vector<uint8_t>& bytes);
    bool SetInt(uint32_t offset, int size, int64_t value);
    // The exchange counter; UINT64_MAX when it cannot be read.
    uint64_t Exchanges();
    // Exchanges answered after the client had given them up.
    uint64_t LateAnswers();
    // A counter of "stats" by name; UINT64_MAX when it cannot be read.
    uint64_t Stat(const std::string& name);
    // Sends quit and waits for the process, ending it after 5 s. Safe to call
    // when not started or already stopped.
    void Stop();

    bool Running() const;
    const std::string& PipePath() const { return pipePath_; }

private:
    enum class StartOutcome { Started, Refused, LaunchFailed };
    StartOutcome StartOnce(const std::string& args, unsigned long long deadline);

    struct Impl;
    std::unique_ptr<Impl> impl_;
    std::string pipePath_;
    std::string lastStartError_;
};

}  // namespace orvex::simstandin

// Tests and tools name it without the namespace.
using orvex::simstandin::SimStandinProcess;
