// The stand-in's control commands: one text line in, one reply out.
// Replies start with "ok" or "error <reason>"; a reply of several lines is
// "ok <n>" followed by n lines. Lines are separated by '\n'; the reply has
// no final line break.
#pragma once

#include "tools/simstandin/standin_core.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvex::simstandin {

// What a command needs from the program around the model.
class ICommandHost {
public:
    virtual ~ICommandHost() = default;
    // Destroys the FSUIPC window; "" when done, else the reason of the error.
    virtual std::string CloseWindow() = 0;
    // Creates it again with the given class ("UIPCMAIN" or "FS98MAIN").
    virtual std::string OpenWindow(const std::string& windowClass) = 0;
    // Called when the hang fault is set, before the next message can arrive.
    virtual void ArmHang() = 0;
};

// Splits a line into words at blanks and tabs.
std::vector<std::string> SplitWords(std::string_view line);

// 0x-prefixed hexadecimal or decimal, with an optional leading '-'. The
// value must fit in 64 bits (negative ones in int64).
std::optional<int64_t> ParseSigned(std::string_view text);
std::optional<uint64_t> ParseUnsigned(std::string_view text);

// Hex digits, two per byte, blanks between bytes allowed.
std::optional<std::vector<uint8_t>> ParseHexBytes(std::string_view text);
std::string ToHex(const std::vector<uint8_t>& bytes);

// Runs one command against the model. The commands that need no model
// (ping, unhang, quit) are the caller's and answer "error" here.
std::string ExecuteCommand(Standin& standin, ICommandHost& host, std::string_view line);

// Lines of the status display: label and value.
struct StatusLine {
    std::string label;
    std::string value;
    bool operator==(const StatusLine&) const = default;
};
std::vector<StatusLine> StatusLines(const Standin& standin, const std::string& windowClass);

// The command list for the usage text.
const char* CommandSummary();

}  // namespace orvex::simstandin
