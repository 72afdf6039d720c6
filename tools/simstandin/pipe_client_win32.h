// One request over the stand-in's control pipe: connect, send a line, read
// the whole reply. Shared by SimStandin --ctl and SimStandinProcess.
#pragma once

#include <cstdint>
#include <string>

namespace orvex::simstandin {

constexpr const char* kDefaultPipeName = "\\\\.\\pipe\\OrvexSimStandin";

// The full pipe path for a --pipe argument: a bare name is put under
// \\.\pipe\, a full path is kept; "" gives the default.
std::string PipePath(const std::string& name);

// Sends one command line and receives its reply (without the final line
// break). False with a reason in error when there is no stand-in on the
// pipe or it does not answer within timeoutMs.
bool PipeRequest(const std::string& pipePath, const std::string& line, uint32_t timeoutMs, std::string& reply,
                 std::string& error);

}  // namespace orvex::simstandin
