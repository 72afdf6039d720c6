#include "app/win32/server_starter.h"

#include "relaybox/client/relaybox_client.h"
#include "relaybox/com_util.h"

#include <objbase.h>

#include <utility>

namespace orvex::app::win32 {

ServerStarter::ServerStarter(HWND window, UINT message, std::string serverPath, bool registerIfMissing)
    : release_(::CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
    if (!release_) {
        result_ = E_OUTOFMEMORY;
        finished_ = true;
        ::PostMessageA(window, message, 0, 0);
        return;
    }
    thread_ = std::thread([this, window, message, path = std::move(serverPath), registerIfMissing] {
        Run(window, message, path, registerIfMissing);
    });
}

ServerStarter::~ServerStarter() {
    if (release_) ::SetEvent(release_.get());
    if (thread_.joinable()) thread_.join();
}

void ServerStarter::Run(HWND window, UINT message, const std::string& serverPath, bool registerIfMissing) noexcept {
    com::ComApartment apartment(COINIT_MULTITHREADED);
    com::ComPtr<IcHidD> server;
    HRESULT hr = apartment.Result();
    if (SUCCEEDED(hr)) {
        try {
            std::string error;
            hr = registerIfMissing
                     ? relaybox::CreateHidD(server.Put(), error, serverPath)
                     : ::CoCreateInstance(CLSID_cHidD, nullptr, CLSCTX_LOCAL_SERVER, IID_IcHidD, server.PutVoid());
        } catch (...) {
            hr = E_OUTOFMEMORY;
        }
        if (SUCCEEDED(hr) && !server) hr = E_FAIL;
    }
    result_ = hr;
    finished_ = true;
    ::PostMessageA(window, message, 0, 0);
    // The server runs while this object is held: the window makes its own
    // meanwhile.
    ::WaitForSingleObject(release_.get(), INFINITE);
    server.Reset();
}

} // namespace orvex::app::win32
