// Registration of the server's classes, interfaces and type library.
#pragma once

#include <string>

namespace orvex::relaybox::server {

// Registers per user (HKCU\Software\Classes), which needs no administrator
// rights, and also machine-wide (HKLM\Software\Classes) where that is
// writable: COM under Wine reads only the machine's classes, and there the
// machine keys can be written. Returns an empty text on success, else what
// failed.
std::string RegisterServer(const std::string& executablePath);

// Removes what RegisterServer wrote, from both places. Returns an empty
// text on success.
std::string UnregisterServer();

} // namespace orvex::relaybox::server
