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

// Results of a call across processes (values as the system defines them).
inline constexpr int32_t kHrDisconnected = static_cast<int32_t>(0x80010108u);       // RPC_E_DISCONNECTED
inline constexpr int32_t kHrObjectNotConnected = static_cast<int32_t>(0x800401FDu); // CO_E_OBJNOTCONNECTED
inline constexpr int32_t kHrServerDied = static_cast<int32_t>(0x80010007u);         // RPC_E_SERVER_DIED
inline constexpr int32_t kHrServerDiedNotExecuted = static_cast<int32_t>(0x80010012u); // RPC_E_SERVER_DIED_DNE
inline constexpr int32_t kHrServerUnavailable = static_cast<int32_t>(0x800706BAu);  // RPC_S_SERVER_UNAVAILABLE
inline constexpr int32_t kHrCallFailed = static_cast<int32_t>(0x800706BEu);         // RPC_S_CALL_FAILED
inline constexpr int32_t kHrServerStopping = static_cast<int32_t>(0x80080008u);     // CO_E_SERVER_STOPPING
inline constexpr int32_t kHrUnknownInterface = static_cast<int32_t>(0x800706B5u);   // RPC_S_UNKNOWN_IF

// True when a call into an object of the other process failed because that
// side is gone: its process ended, or the object was disconnected (its
// thread ended) while the process runs on. The object will never answer
// again. Any other failure is the object's own answer. (The server drops an
// event sink only for these: a live client's sink dropped by mistake would
// leave its panel silently unread.)
inline constexpr bool PeerGone(int32_t hr) {
    return hr == kHrDisconnected || hr == kHrObjectNotConnected || hr == kHrServerDied ||
           hr == kHrServerDiedNotExecuted || hr == kHrServerUnavailable || hr == kHrCallFailed;
}

// True when a server's object or the server itself is gone or on its way out
// (an object of a server that is ending answers "unknown interface"): an
// activation is tried again and starts a new server, and a reader is let go
// without further calls.
inline constexpr bool ServerEnding(int32_t hr) {
    return hr == kHrServerStopping || hr == kHrUnknownInterface || PeerGone(hr);
}

} // namespace orvex::relaybox
