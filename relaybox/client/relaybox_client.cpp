#include "relaybox/client/relaybox_client.h"

#include "common/win32/elevation.h"
#include "common/win32/handles.h"
#include "common/win32/process_util.h"
#include "relaybox/com_util.h"
#include "relaybox/relaybox_errors.h"

#include <objbase.h>
#include <oleauto.h>

namespace orvex::relaybox {

std::string ServerUnavailableText() {
    return "Error starting the application\r\n"
           "Probably you have not correctly registered the Relaybox.exe library.\r\n"
           "Try running: \"Relaybox.exe /regserver\" from a command prompt.";
}

std::string ServerUnavailableText(bool elevated, long hr) {
    if (!elevated) return ServerUnavailableText();
    char code[16];
    ::wsprintfA(code, "0x%08lX", static_cast<unsigned long>(hr));
    return std::string("Error starting the application\r\n"
                       "Orvex runs as administrator, and Relaybox could not be started for it (error ") +
           code +
           ").\r\nFor programs run as administrator Windows reads only the computer-wide registration of "
           "Relaybox, which only an administrator can write.\r\n"
           "Run \"Relaybox.exe /regserver\" from a command prompt opened as administrator, "
           "or start Orvex without administrator rights.";
}

std::string DefaultServerPath() { return win32::ExecutableFolder() + "Relaybox.exe"; }

bool RunServerRegistration(const std::string& serverPath, bool unregister, unsigned long timeoutMs) {
    // /s: the caller reports a failure itself, so the server shows nothing.
    std::string commandLine = "\"" + serverPath + "\" " + (unregister ? "/unregserver" : "/regserver") + " /s";
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!::CreateProcessA(serverPath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, &info))
        return false;
    win32::UniqueHandle process(info.hProcess);
    win32::UniqueHandle thread(info.hThread);
    if (::WaitForSingleObject(process.get(), timeoutMs) != WAIT_OBJECT_0) return false;
    DWORD code = 1;
    return ::GetExitCodeProcess(process.get(), &code) && code == 0;
}

bool IsRegistrationFailure(HRESULT hr) {
    return hr == REGDB_E_CLASSNOTREG || hr == REGDB_E_IIDNOTREG || hr == E_NOINTERFACE ||
           hr == TYPE_E_LIBNOTREGISTERED || hr == CO_E_SERVER_EXEC_FAILURE ||
           hr == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) || hr == HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND) ||
           hr == CO_E_APPNOTFOUND;
}

static_assert(kHrDisconnected == RPC_E_DISCONNECTED && kHrObjectNotConnected == CO_E_OBJNOTCONNECTED &&
              kHrServerDied == RPC_E_SERVER_DIED && kHrServerDiedNotExecuted == RPC_E_SERVER_DIED_DNE &&
              kHrServerUnavailable == HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE) &&
              kHrCallFailed == HRESULT_FROM_WIN32(RPC_S_CALL_FAILED) && kHrServerStopping == CO_E_SERVER_STOPPING &&
              kHrUnknownInterface == HRESULT_FROM_WIN32(RPC_S_UNKNOWN_IF));

HRESULT CreateServerObject(const CLSID& clsid, const IID& iid, void** out, std::string& errorText,
                           const std::string& serverPath) {
    errorText.clear();
    if (!out) return E_POINTER;
    *out = nullptr;
    HRESULT hr = ::CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, iid, out);
    for (int retry = 0; retry < 10 && FAILED(hr) && ServerEnding(hr); ++retry) {
        ::Sleep(100);
        hr = ::CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, iid, out);
    }
    if (FAILED(hr) && IsRegistrationFailure(hr) && RunServerRegistration(serverPath, false))
        hr = ::CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, iid, out);
    if (FAILED(hr)) {
        *out = nullptr;
        // Elevated, the user's own registration does not count, so the
        // usual advice would change nothing: say what does.
        errorText = ServerUnavailableText(win32::ProcessElevated(), hr);
    }
    return hr;
}

HRESULT CreateHidD(IcHidD** out, std::string& errorText, const std::string& serverPath) {
    return CreateServerObject(CLSID_cHidD, IID_IcHidD, reinterpret_cast<void**>(out), errorText, serverPath);
}

ServerError DescribeError(HRESULT hr) {
    ServerError error;
    com::ComPtr<IErrorInfo> info;
    if (::GetErrorInfo(0, info.Put()) == S_OK && info) {
        com::Bstr source, description;
        info->GetSource(source.Put());
        info->GetDescription(description.Put());
        error.source = source.Text();
        error.description = description.Text();
    }
    error.number = IsAutomationError(hr) ? ErrorNumber(hr) : static_cast<long>(hr);
    if (error.description.empty()) error.description = ErrorDescription(error.number);
    if (error.source.empty() && !ErrorProcedure(error.number).empty())
        error.source = "Relaybox." + ErrorProcedure(error.number);
    return error;
}

} // namespace orvex::relaybox
