#include "simlink/link.h"

namespace orvex::simlink {

const char* LinkResultName(int32_t code) {
    switch (code) {
    case ResultOk: return "ok";
    case ResultAlreadyOpen: return "already open";
    case ResultNoSimulator: return "no simulator";
    case ResultRegisterFailed: return "window message not registered";
    case ResultAtomFailed: return "atom not created";
    case ResultMappingFailed: return "file mapping not created";
    case ResultViewFailed: return "view not mapped";
    case ResultVersionTooOld: return "FSUIPC version too old";
    case ResultWrongSimulator: return "wrong simulator";
    case ResultNotOpen: return "link not open";
    case ResultNothingQueued: return "nothing queued";
    case ResultTimeout: return "time-out";
    case ResultSendFailed: return "send failed";
    case ResultDataRejected: return "data rejected";
    case ResultNotRunning: return "simulator not running";
    case ResultRequestTooLarge: return "request too large";
    case ResultReplyMismatch: return "reply does not match the request";
    case ResultAccessDenied: return "the simulator runs with other rights";
    default: return "unknown result";
    }
}

} // namespace orvex::simlink
