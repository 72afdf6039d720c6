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

    ctlTrayArea();
    ~ctlTrayArea() override;

    bool Create();

    // The icon is not owned: the caller keeps it alive while it is shown.
    void Icon(HICON icon);
    HICON Icon() const { return icon_; }
    void ToolTip(const std::string& text);
    const std::string& ToolTip() const { return tip_; }
    void Visible(bool visible);
    bool Visible() const { return visible_; }
    UINT IconId() const { return id_; }

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
    UINT id_ = 0;
    UINT taskbarCreated_ = 0;
};

} // namespace orvex::app::win32
