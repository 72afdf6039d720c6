// Message boxes for the configuration's messages to the user.
#pragma once

#include "config/user_messages.h"

#include <windows.h>

namespace orvex::config::win32 {

class Win32UserMessages final : public IUserMessages {
public:
    explicit Win32UserMessages(HWND owner = nullptr) : owner_(owner) {}
    void Owner(HWND owner) { owner_ = owner; }

    void Show(const std::string& title, const std::string& text, bool critical) override;
    void Inform(const std::string& title, const std::string& text) override;
    bool AskOkCancel(const std::string& title, const std::string& text) override;

private:
    HWND owner_;
};

} // namespace orvex::config::win32
