// Process-wide state of the Relaybox server: its lifetime count, the type
// information that every object's IDispatch uses, and the error objects.
#pragma once

#include "relaybox/com_util.h"

#include <windows.h>
#include <oaidl.h>

#include <string>

namespace orvex::relaybox::server {

// Loads the type library embedded in the executable (once, on the main
// thread before any object exists).
HRESULT LoadServerTypeLib();
void ReleaseServerTypeLib();
ITypeLib* ServerTypeLib();
// Type information of one of the library's interfaces (nullptr if unknown).
ITypeInfo* ServerTypeInfo(const IID& iid);

// The executable's name without folder and extension ("Relaybox").
const std::string& ExecutableName();

// Lifetime: every object thread and every LockServer(TRUE) holds a share;
// the main message loop ends when the last share goes.
void SetMainThread(DWORD threadId);
void ServerAddRef();
void ServerRelease();
// No object and no lock holds the server.
bool ServerUnused();
// How long a server that nobody uses stays before it ends by itself (a
// client that started it and vanished before it made an object).
inline constexpr unsigned long long kIdleShutdownMs = 10000;

// Sets the thread's error object (source "<exe>.<procedure>") and returns
// the automation HRESULT of the number.
HRESULT RaiseError(const IID& iid, long number, const std::string& procedure,
                   const std::string& description);

} // namespace orvex::relaybox::server
