// Error numbers and texts that the Relaybox server raises, shared by the
// server and its clients (a client that receives only the HRESULT looks the
// text up here).
#pragma once

#include <cstdint>
#include <string>

namespace orvex::relaybox {

inline constexpr long kErrSubscriptOutOfRange = 9;
inline constexpr long kErrTypeMismatch = 13;
inline constexpr long kErrAlreadyStarted = 32540;
inline constexpr long kErrReadThread = 32541;

// Automation errors travel as HRESULTs of the control facility (0x800A....).
inline constexpr int32_t ErrorHresult(long number) {
    return static_cast<int32_t>(0x800A0000u | (static_cast<uint32_t>(number) & 0xFFFFu));
}
inline constexpr bool IsAutomationError(int32_t hr) {
    return (static_cast<uint32_t>(hr) & 0xFFFF0000u) == 0x800A0000u;
}
inline constexpr long ErrorNumber(int32_t hr) {
    return static_cast<long>(static_cast<uint32_t>(hr) & 0xFFFFu);
}

// The description of a number the server raises; empty for other numbers.
inline std::string ErrorDescription(long number) {
    switch (number) {
    case kErrSubscriptOutOfRange: return "Subscript out of range";
    case kErrTypeMismatch: return "Type mismatch";
    case kErrAlreadyStarted: return "Already Started";
    case kErrReadThread: return "Error in read thread";
    default: return {};
    }
}

// The procedure part of the source text ("<exe>.<procedure>").
inline std::string ErrorProcedure(long number) {
    switch (number) {
    case kErrAlreadyStarted: return "cMultiPanelIO.StartThread";
    case kErrReadThread: return "cMultiPanelIO.Runnable_Start";
    case kErrSubscriptOutOfRange: return "cHidD.GetDevicePathName";
    default: return {};
    }
}

} // namespace orvex::relaybox
