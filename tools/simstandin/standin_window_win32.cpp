#include "tools/simstandin/standin_window_win32.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace orvex::simstandin {

using win32::SelectGuard;
using win32::UniqueGdi;
using win32::UniqueHandle;
using win32::UniqueView;
using win32::UniqueWindow;

namespace {

constexpr const char* kMessageName = "FSASMLIB:IPC";
constexpr const char* kControlClass = "OrvexSimStandinControl";
constexpr const char* kWindowTitle = "SimStandin - FSUIPC stand-in";
constexpr UINT kRunCommands = WM_APP + 1;
constexpr UINT_PTR kRefreshTimer = 1;
constexpr UINT kRefreshMs = 100;  // at most ten repaints a second
constexpr auto kCommandWait = std::chrono::seconds(3);
constexpr int kMargin = 10;
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

HFONT StatusFont() { return static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)); }

// A blank band before these lines groups the display.
bool StartsGroup(const std::string& label) {
    return label == "COM1" || label == "Battery / avionics" || label == "Autopilot" || label == "Exchanges";
}

bool RegisterClassOnce(const char* name, WNDPROC proc, bool visible) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    if (::GetClassInfoExA(::GetModuleHandleA(nullptr), name, &wc)) return true;
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = proc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = name;
    if (visible) {
        wc.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        wc.hIcon = ::LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
        wc.style = CS_HREDRAW | CS_VREDRAW;
    }
    return ::RegisterClassExA(&wc) != 0;
}

}  // namespace

StandinApp::StandinApp(const Options& options)
    : options_(options), standin_(options.simulator), block_(kBlockSize, 0) {
    if (!options.title.empty()) standin_.SetTitle(options.title);
    unhang_.reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    quit_.reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
}

StandinApp::~StandinApp() {
    FinishPending();
    fsuipc_.reset();
    control_.reset();
}

std::string StandinApp::Create() {
    if (!unhang_ || !quit_) return "cannot create events";
    ipcMessage_ = ::RegisterWindowMessageA(kMessageName);
    if (ipcMessage_ == 0) return "cannot register the FSUIPC message";
    if (!RegisterClassOnce(kControlClass, ControlProc, false)) return "cannot register the control window class";
    control_.reset(::CreateWindowExA(0, kControlClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                     ::GetModuleHandleA(nullptr), this));
    if (!control_) return "cannot create the control window";
    return OpenWindow(options_.windowClass);
}

std::string StandinApp::OpenWindow(const std::string& windowClass) {
    if (fsuipc_) return "window already open";
    if (::FindWindowExA(nullptr, nullptr, windowClass.c_str(), nullptr))
        return "another " + windowClass + " window exists";
    if (!RegisterClassOnce(windowClass.c_str(), FsuipcProc, true)) return "cannot register the window class";
    const SIZE client = StatusSize();
    RECT r{0, 0, client.cx, client.cy};
    ::AdjustWindowRectEx(&r, kStyle, FALSE, 0);
    fsuipc_.reset(::CreateWindowExA(0, windowClass.c_str(), kWindowTitle, kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                                    r.right - r.left, r.bottom - r.top, nullptr, nullptr,
                                    ::GetModuleHandleA(nullptr), this));
    if (!fsuipc_) return "cannot create the window";
    windowClass_ = windowClass;
    standin_.Touch();
    ::SetTimer(fsuipc_.get(), kRefreshTimer, kRefreshMs, nullptr);
    if (!options_.hidden) {
        ::ShowWindow(fsuipc_.get(), SW_SHOWNOACTIVATE);
        ::UpdateWindow(fsuipc_.get());
    }
    return "";
}

std::string StandinApp::CloseWindow() {
    if (!fsuipc_) return "no window";
    fsuipc_.reset();
    windowClass_.clear();
    standin_.Touch();
    return "";
}

void StandinApp::Run(HANDLE watched) {
    HANDLE waits[2] = {quit_.get(), watched};
    const DWORD count = watched ? 2 : 1;
    while (true) {
        const DWORD r = ::MsgWaitForMultipleObjects(count, waits, FALSE, INFINITE, QS_ALLINPUT);
        if (r < WAIT_OBJECT_0 + count || r == WAIT_FAILED) break;
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) return;
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
}

// ---- Exchanges --------------------------------------------------------------

LRESULT StandinApp::OnExchange(WPARAM atomParam) {
    const DWORD received = ::GetTickCount();
    // Counted when the window thread held the message past the client's
    // time-out (the time it waited in the queue before is not known, so
    // this is a lower bound).
    struct LateCheck {
        Standin& standin;
        DWORD received;
        ~LateCheck() {
            if (::GetTickCount() - received >= Standin::kClientTimeoutMs) standin.RecordLate();
        }
    } lateCheck{standin_, received};
    const Fault fault = standin_.CurrentFault();
    if (fault.kind == FaultKind::Hang) {
        // Hold the thread without letting messages run, so that the
        // client's send times out, until "unhang", quit or the deadline.
        const HANDLE waits[2] = {unhang_.get(), quit_.get()};
        ::WaitForMultipleObjects(2, waits, FALSE, fault.ms);
        standin_.EndHang();
    } else if (fault.kind == FaultKind::Slow) {
        ::Sleep(fault.ms);
    }
    // The atom and the block are looked up only now: after a hang they may
    // be gone, and the client may have moved on to another block.
    const auto atom = static_cast<ATOM>(atomParam & 0xFFFF);
    char name[256] = {};
    if (atom == 0 || ::GlobalGetAtomNameA(atom, name, sizeof name) == 0) {
        standin_.RecordUnreadable();
        return 0;
    }
    UniqueHandle mapping(::OpenFileMappingA(FILE_MAP_WRITE, FALSE, name));
    UniqueView view(mapping ? ::MapViewOfFile(mapping.get(), FILE_MAP_WRITE, 0, 0, kBlockSize) : nullptr);
    MEMORY_BASIC_INFORMATION info{};
    // A mapping that is smaller than a block, or only reserved, must not
    // make the stand-in fault.
    if (!view || ::VirtualQuery(view.get(), &info, sizeof info) == 0 || info.State != MEM_COMMIT ||
        info.RegionSize < kBlockSize || (info.Protect & PAGE_READWRITE) == 0) {
        standin_.RecordUnreadable();
        return 0;
    }
    // Work on a copy, so that the batch cannot change between its check
    // and its execution.
    std::memcpy(block_.data(), view.get(), kBlockSize);
    const uint32_t answer = standin_.Exchange(block_);
    if (answer == 1) std::memcpy(view.get(), block_.data(), kBlockSize);
    return static_cast<LRESULT>(answer);
}

// ---- Control commands -------------------------------------------------------

std::string StandinApp::Marshal(const std::string& line) {
    auto request = std::make_shared<Request>();
    request->line = line;
    std::unique_lock<std::mutex> lock(mutex_);
    if (closing_) return "error closing";
    queue_.push_back(request);
    if (!::PostMessageA(control_.get(), kRunCommands, 0, 0)) {
        queue_.pop_back();
        return "error closing";
    }
    if (!done_.wait_for(lock, kCommandWait, [&] { return request->done; })) {
        // The window thread is held up (a hang or a slow answer). A command
        // it has not started is withdrawn, so "busy" means "not done".
        const auto it = std::find(queue_.begin(), queue_.end(), request);
        if (it != queue_.end()) {
            queue_.erase(it);
            return "error busy";
        }
        done_.wait(lock, [&] { return request->done; });
    }
    return request->reply;
}

void StandinApp::RunQueuedCommands() {
    while (true) {
        std::shared_ptr<Request> request;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (queue_.empty()) return;
            request = queue_.front();
            queue_.pop_front();
        }
        std::string reply;
        try {
            reply = ExecuteCommand(standin_, *this, request->line);
        } catch (...) {
            reply = "error internal failure";
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            request->reply = std::move(reply);
            request->done = true;
        }
        done_.notify_all();
    }
}

void StandinApp::FinishPending() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closing_ = true;
        for (auto& request : queue_) {
            request->reply = "error closing";
            request->done = true;
        }
        queue_.clear();
    }
    done_.notify_all();
}

// ---- Status display ---------------------------------------------------------

SIZE StandinApp::StatusSize() {
    const std::vector<StatusLine> lines = StatusLines(standin_, options_.windowClass);
    HDC screen = ::GetDC(nullptr);
    HDC dc = ::CreateCompatibleDC(screen);
    ::ReleaseDC(nullptr, screen);
    SIZE result{480, 360};
    if (!dc) return result;
    {
        SelectGuard font(dc, StatusFont());
        TEXTMETRICA tm{};
        ::GetTextMetricsA(dc, &tm);
        const int lineHeight = static_cast<int>(tm.tmHeight) + 4;
        const int charWidth = static_cast<int>(tm.tmAveCharWidth);
        int labelWidth = 0;
        int valueWidth = 36 * charWidth;
        int height = 2 * kMargin;
        for (const StatusLine& l : lines) {
            SIZE s{};
            ::GetTextExtentPoint32A(dc, l.label.c_str(), static_cast<int>(l.label.size()), &s);
            labelWidth = std::max(labelWidth, static_cast<int>(s.cx));
            ::GetTextExtentPoint32A(dc, l.value.c_str(), static_cast<int>(l.value.size()), &s);
            valueWidth = std::max(valueWidth, static_cast<int>(s.cx));
            height += lineHeight + (StartsGroup(l.label) ? lineHeight / 2 : 0);
        }
        // Room for values that grow (counters, longer titles).
        valueWidth = std::min(valueWidth + 8 * charWidth, 640);
        result = {2 * kMargin + labelWidth + 2 * charWidth + valueWidth, height};
    }
    ::DeleteDC(dc);
    return result;
}

void StandinApp::RefreshStatus(bool force) {
    if (!fsuipc_ || (!force && standin_.Changes() == shownChanges_)) return;
    shownChanges_ = standin_.Changes();
    std::vector<StatusLine> lines = StatusLines(standin_, windowClass_);
    if (!force && lines == shown_) return;
    shown_ = std::move(lines);
    ::InvalidateRect(fsuipc_.get(), nullptr, FALSE);
}

void StandinApp::Paint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC target = ::BeginPaint(hwnd, &ps);
    if (!target) return;
    RECT client;
    ::GetClientRect(hwnd, &client);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    HDC dc = ::CreateCompatibleDC(target);
    UniqueGdi bitmap(dc ? ::CreateCompatibleBitmap(target, std::max(width, 1), std::max(height, 1)) : nullptr);
    if (dc && bitmap) {
        {
            SelectGuard keepBitmap(dc, bitmap.get());
            SelectGuard keepFont(dc, StatusFont());
            ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_WINDOW));
            ::SetBkMode(dc, TRANSPARENT);
            TEXTMETRICA tm{};
            ::GetTextMetricsA(dc, &tm);
            const int lineHeight = static_cast<int>(tm.tmHeight) + 4;
            int labelWidth = 0;
            for (const StatusLine& l : shown_) {
                SIZE s{};
                ::GetTextExtentPoint32A(dc, l.label.c_str(), static_cast<int>(l.label.size()), &s);
                labelWidth = std::max(labelWidth, static_cast<int>(s.cx));
            }
            const int valueX = kMargin + labelWidth + 2 * static_cast<int>(tm.tmAveCharWidth);
            UniqueGdi pen(::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_BTNSHADOW)));
            int y = kMargin;
            for (const StatusLine& l : shown_) {
                if (StartsGroup(l.label)) {
                    if (pen) {
                        SelectGuard keepPen(dc, pen.get());
                        const int lineY = y + lineHeight / 4;
                        ::MoveToEx(dc, kMargin, lineY, nullptr);
                        ::LineTo(dc, width - kMargin, lineY);
                    }
                    y += lineHeight / 2;
                }
                RECT labelRect{kMargin, y, valueX, y + lineHeight};
                ::SetTextColor(dc, ::GetSysColor(COLOR_GRAYTEXT));
                ::DrawTextA(dc, l.label.c_str(), static_cast<int>(l.label.size()), &labelRect,
                            DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER);
                RECT valueRect{valueX, y, width - kMargin, y + lineHeight};
                ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
                ::DrawTextA(dc, l.value.c_str(), static_cast<int>(l.value.size()), &valueRect,
                            DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER | DT_END_ELLIPSIS);
                y += lineHeight;
            }
            ::BitBlt(target, 0, 0, width, height, dc, 0, 0, SRCCOPY);
        }
    }
    if (dc) ::DeleteDC(dc);
    ::EndPaint(hwnd, &ps);
}

// ---- Window procedures ------------------------------------------------------

LRESULT CALLBACK StandinApp::FsuipcProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        const auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lp);
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* app = reinterpret_cast<StandinApp*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!app) return ::DefWindowProcA(hwnd, msg, wp, lp);
    try {
        if (msg == app->ipcMessage_ && msg != 0) return app->OnExchange(wp);
        switch (msg) {
        case WM_CREATE:
            app->RefreshStatus(true);
            return 0;
        case WM_TIMER:
            if (wp == kRefreshTimer) app->RefreshStatus(false);
            return 0;
        case WM_ERASEBKGND:
            return 1;  // the paint covers everything
        case WM_PAINT:
            app->Paint(hwnd);
            return 0;
        case WM_CLOSE:
            app->Quit();  // the user closed the status window: the program ends
            return 0;
        case WM_NCDESTROY:
            ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
            if (app->fsuipc_.get() == hwnd) {  // destroyed by someone else
                app->fsuipc_.release();
                app->windowClass_.clear();
            }
            break;
        default:
            break;
        }
    } catch (...) {
        return 0;  // nothing may unwind into the system
    }
    return ::DefWindowProcA(hwnd, msg, wp, lp);
}

LRESULT CALLBACK StandinApp::ControlProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        const auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lp);
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* app = reinterpret_cast<StandinApp*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (app && msg == kRunCommands) {
        app->RunQueuedCommands();
        return 0;
    }
    if (msg == WM_NCDESTROY) ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    return ::DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace orvex::simstandin
