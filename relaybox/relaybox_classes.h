// The classes and interfaces that Relaybox registers, for the server's
// registration and for clients that check it.
#pragma once

#include "relaybox_tlb.h"

#include <array>

namespace orvex::relaybox {

struct ClassEntry {
    const CLSID* clsid;
    const char* name;    // class name in the type library
    const char* progId;  // "Relaybox.<class>"
};

inline const std::array<ClassEntry, 3>& Classes() {
    static const std::array<ClassEntry, 3> classes{{
        {&CLSID_cHidD, "cHidD", "Relaybox.cHidD"},
        {&CLSID_cPanelIO, "cPanelIO", "Relaybox.cPanelIO"},
        {&CLSID_cHighSpeedTimer, "cHighSpeedTimer", "Relaybox.cHighSpeedTimer"},
    }};
    return classes;
}

struct InterfaceEntry {
    const IID* iid;
    const char* name;
    bool dispatchOnly;  // an event dispinterface
};

inline const std::array<InterfaceEntry, 6>& Interfaces() {
    static const std::array<InterfaceEntry, 6> interfaces{{
        {&IID_Runnable, "Runnable", false},
        {&IID_IcHidD, "IcHidD", false},
        {&IID_IcPanelIO, "IcPanelIO", false},
        {&IID_IcHighSpeedTimer, "IcHighSpeedTimer", false},
        {&DIID_DcPanelIOEvents, "DcPanelIOEvents", true},
        {&DIID_DcHighSpeedTimerEvents, "DcHighSpeedTimerEvents", true},
    }};
    return interfaces;
}

inline constexpr const char* kTypeLibVersion = "1.0";
inline constexpr WORD kTypeLibMajor = 1;
inline constexpr WORD kTypeLibMinor = 0;
// Marshallers: the type-library marshaller for dual interfaces, the
// IDispatch marshaller for dispinterfaces.
inline constexpr const char* kTypeLibMarshaller = "{00020424-0000-0000-C000-000000000046}";
inline constexpr const char* kDispatchMarshaller = "{00020420-0000-0000-C000-000000000046}";

} // namespace orvex::relaybox
