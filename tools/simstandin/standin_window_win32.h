// The stand-in program: the FSUIPC window that serves exchanges and shows
// the key offsets, and the window thread's side of the control commands.
#pragma once

#include "tools/simstandin/control_commands.h"
#include "tools/simstandin/standin_core.h"

#include "common/win32/handles.h"

#include <windows.h>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace orvex::simstandin {

struct Options {
    std::string windowClass = "UIPCMAIN";
    std::string pipePath;
    std::string title;  // empty: the built-in aircraft
    uint16_t simulator = kDefaultSimulator;
    bool hidden = false;
};

class StandinApp final : public ICommandHost {
public:
    explicit StandinApp(const Options& options);
    StandinApp(const StandinApp&) = delete;
    StandinApp& operator=(const StandinApp&) = delete;
    ~StandinApp() override;

    // Creates the windows; "" on success, else the reason.
    std::string Create();
    // Runs the message loop until quit, the window's close box, or the
    // watched process (may be null) ends.
    void Run(HANDLE watched);

    // Called on pipe threads.
    std::string Marshal(const std::string& line);  // runs a command on the window thread
    void Unhang() { ::SetEvent(unhang_.get()); }
    void Quit() { ::SetEvent(quit_.get()); }
    // Answers every command still waiting with "error closing"; later ones get the same.
    void FinishPending();

    // ICommandHost, on the window thread.
    std::string CloseWindow() override;
    std::string OpenWindow(const std::string& windowClass) override;
    void ArmHang() override { ::ResetEvent(unhang_.get()); }

private:
    struct Request {
        std::string line;
        std::string reply;
        bool done = false;
    };

    static LRESULT CALLBACK FsuipcProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK ControlProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT OnExchange(WPARAM atomParam);
    void RunQueuedCommands();
    void RefreshStatus(bool force);
    void Paint(HWND hwnd);
    SIZE StatusSize();

    Options options_;
    Standin standin_;
    UINT ipcMessage_ = 0;
    std::string windowClass_;  // of the FSUIPC window; empty while closed
    win32::UniqueWindow fsuipc_;
    win32::UniqueWindow control_;
    win32::UniqueHandle unhang_;
    win32::UniqueHandle quit_;
    std::vector<uint8_t> block_;
    std::vector<StatusLine> shown_;
    uint64_t shownChanges_ = ~uint64_t{0};

    std::mutex mutex_;
    std::condition_variable done_;
    std::deque<std::shared_ptr<Request>> queue_;
    bool closing_ = false;
};

}  // namespace orvex::simstandin
