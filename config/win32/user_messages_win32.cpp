#include "config/win32/user_messages_win32.h"

namespace orvex::config::win32 {

void Win32UserMessages::Show(const std::string& title, const std::string& text, bool critical) {
    ::MessageBoxA(owner_, text.c_str(), title.c_str(), MB_OK | (critical ? MB_ICONERROR : MB_ICONWARNING));
}

void Win32UserMessages::Inform(const std::string& title, const std::string& text) {
    ::MessageBoxA(owner_, text.c_str(), title.c_str(), MB_OK | MB_ICONINFORMATION);
}

bool Win32UserMessages::AskOkCancel(const std::string& title, const std::string& text) {
    return ::MessageBoxA(owner_, text.c_str(), title.c_str(), MB_OKCANCEL) == IDOK;
}

} // namespace orvex::config::win32
