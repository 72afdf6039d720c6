// Registration of the server's classes, interfaces and type library.
#pragma once

#include <string>

namespace orvex::relaybox::server {

// Registers per user (HKCU\Software\Classes), which needs no administrator
// rights, and also machine-wide (HKLM\Software\Classes) when elevated (COM
// ignores the user's classes for elevated programs; there the machine keys
// must be written) or under Wine (COM reads only the machine's classes).
// Returns an empty text on success, else what failed.
std::string RegisterServer(const std::string& executablePath);

// Removes what RegisterServer wrote: the user's keys, and the machine's
// keys only when their LocalServer32 is `executablePath`. Returns an empty
// text on success.
std::string UnregisterServer(const std::string& executablePath);

} // namespace orvex::relaybox::server
