// ctlTrayArea: the program's icon in the notification area. It owns a hidden
// top-level window that receives the icon's mouse messages and the
// "TaskbarCreated" broadcast, after which the icon is added again (when
// Explorer restarts, every icon is lost until its owner re-adds it).
#pragma once

#include "common/win32/window.h"

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>

namespace orvex::app::win32 {

class ctlTrayArea final : public orvex::win32::Window {
public:
    // The callback message of the icon; the mouse message travels in lParam.
    static constexpr UINT kCallbackMessage = 512;
    // The icon's identity with its window. The same at every start: the shell
    // keeps the user's choice to show the icon per program and identity, and
    // forgets it for a new one.
    static constexpr UINT kIconId = 1;

    ctlTrayArea();
    ~ctlTrayArea() override;

    // `elevated`: the program runs with an administrator's token. The shell
    // runs without one, so its "TaskbarCreated" broadcast is let through the
    // message filter of this window explicitly.
    bool Create(bool elevated);
    // Whether the broadcast was let through (for tests).
    bool TaskbarCreatedAllowed() const { return taskbarCreatedAllowed_; }

    // The icon is not owned: the caller keeps it alive while it is shown.
    void Icon(HICON icon);
    HICON Icon() const { return icon_; }
    void ToolTip(const std::string& text);
    const std::string& ToolTip() const { return tip_; }
    void Visible(bool visible);
    bool Visible() const { return visible_; }
    UINT IconId() const { return kIconId; }

    std::function<void()> MouseMove;
    std::function<void(int button)> MouseDown;
    std::function<void(int button)> MouseUp;
    std::function<void()> DblClick;

    // The icon record as it is handed to the shell (for tests).
    NOTIFYICONDATAA Record() const;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    bool Notify(DWORD message);

    HICON icon_ = nullptr;
    std::string tip_;
    bool visible_ = false;
    bool added_ = false;
    UINT taskbarCreated_ = 0;
    bool taskbarCreatedAllowed_ = false;
};

} // namespace orvex::app::win32
