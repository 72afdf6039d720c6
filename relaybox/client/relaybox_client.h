// What a client of the Relaybox server needs beyond the type library's
// header: creating its objects (registering the server from the client's
// own folder when it is not registered) and reading the server's errors.
#pragma once

#include "relaybox_tlb.h"

#include <string>

namespace orvex::relaybox {

// The text to show when the server cannot be created.
std::string ServerUnavailableText();
// The same for a program that runs `elevated` (else the text above), with
// the activation's error `hr`.
std::string ServerUnavailableText(bool elevated, long hr);

// "<folder of the running program>\Relaybox.exe".
std::string DefaultServerPath();

// Runs the server with /regserver (or /unregserver), silently, and waits
// for it; true when it ran and reported success.
bool RunServerRegistration(const std::string& serverPath, bool unregister, unsigned long timeoutMs = 15000);

// True for the failures of CoCreateInstance that registering the server
// mends (class, interface or type library not registered, server missing).
bool IsRegistrationFailure(HRESULT hr);

// Creates an object of the server. When that fails because the server is
// not (correctly) registered, registers `serverPath` and tries once more.
// On failure `errorText` holds ServerUnavailableText().
HRESULT CreateServerObject(const CLSID& clsid, const IID& iid, void** out, std::string& errorText,
                           const std::string& serverPath = DefaultServerPath());

// The same for the cHidD that start-up uses.
HRESULT CreateHidD(IcHidD** out, std::string& errorText, const std::string& serverPath = DefaultServerPath());

// A failed call's error: from the call's error object when one arrived
// (not across processes under Wine for direct calls), otherwise from the
// HRESULT and the server's table of texts.
struct ServerError {
    long number = 0;
    std::string source;
    std::string description;
};
ServerError DescribeError(HRESULT hr);

} // namespace orvex::relaybox
