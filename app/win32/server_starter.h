// Starts the device-I/O server Relaybox on a thread of its own, so that its
// cold start (about a second, more when it must be registered first) never
// holds the window up. The thread asks COM for one object of the server
// (which starts the process and its classes), posts `message` to `window`,
// and keeps that object, and with it the server, until the starter goes:
// the window asks for its own object first, which the running server makes
// at once, and then lets the starter go.
#pragma once

#include "common/win32/handles.h"

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

namespace orvex::app::win32 {

class ServerStarter {
public:
    // `registerIfMissing`: a server that is not (correctly) registered is
    // registered from `serverPath` and asked again.
    ServerStarter(HWND window, UINT message, std::string serverPath, bool registerIfMissing);
    ServerStarter(const ServerStarter&) = delete;
    ServerStarter& operator=(const ServerStarter&) = delete;
    // Lets go of the thread's object and waits for the thread (which may
    // still be starting the server).
    ~ServerStarter();

    // The thread has its answer (the message is on its way).
    bool Finished() const noexcept { return finished_.load(); }
    // Its answer: S_OK when the server runs.
    HRESULT Result() const noexcept { return result_.load(); }

private:
    void Run(HWND window, UINT message, const std::string& serverPath, bool registerIfMissing) noexcept;

    orvex::win32::UniqueHandle release_;
    std::atomic<bool> finished_{false};
    std::atomic<HRESULT> result_{E_PENDING};
    std::thread thread_;
};

} // namespace orvex::app::win32
