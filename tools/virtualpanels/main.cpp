// VirtualPanels: publishes virtual Saitek panels for tests and the demo.
//
//   VirtualPanels.exe [--pipe NAME] [--radio N] [--multi N] [--switch N] [--bip N]
//                     [--upper] [--hidden] [--parent PID]
//   VirtualPanels.exe [--pipe NAME] --ctl <command...>
//
// Without panel options it publishes one panel of each kind. Numbers run
// from 1: Radio Panels first, then Multi, Switch and BIP panels.
#include "tools/virtualpanels/engine_win32.h"
#include "tools/virtualpanels/bip_window_win32.h"
#include "tools/virtualpanels/multi_window_win32.h"
#include "tools/virtualpanels/radio_window_win32.h"
#include "tools/virtualpanels/status_window_win32.h"
#include "tools/virtualpanels/switch_window_win32.h"

#include "relaybox/hid/virtual_protocol.h"
#include "common/win32/handles.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstring>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace orvex::virtualpanels;
using orvex::win32::UniqueFile;

namespace {

constexpr int kMaxPerKind = 64;

void Usage() {
    std::fprintf(stderr,
                 "usage: VirtualPanels [--pipe NAME] [--radio N] [--multi N] [--switch N] [--bip N] "
                 "[--upper] [--hidden] [--parent PID]\n"
                 "       VirtualPanels [--pipe NAME] --ctl <command...>\n"
                 "commands: %s\n",
                 CommandSummary());
}

bool ValidInstance(const std::string& name) {
    if (name.empty() || name.size() > 100) return false;
    for (char c : name)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '_' || c == '-')) return false;
    return true;
}

// Sends one command to a running instance and prints its reply.
int Control(const std::string& instance, const std::string& command) {
    const std::string name = orvex::hid::virt::ControlPipeName(instance);
    UniqueFile pipe;
    for (int attempt = 0; attempt < 20 && !pipe; ++attempt) {
        pipe.reset(::CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        if (!pipe && ::GetLastError() == ERROR_PIPE_BUSY) ::WaitNamedPipeA(name.c_str(), 250);
        else if (!pipe) break;
    }
    if (!pipe) {
        std::fprintf(stderr, "no VirtualPanels runs under the name %s\n", instance.c_str());
        return 2;
    }
    DWORD mode = PIPE_READMODE_MESSAGE;
    ::SetNamedPipeHandleState(pipe.get(), &mode, nullptr, nullptr);
    DWORD n = 0;
    if (!::WriteFile(pipe.get(), command.data(), static_cast<DWORD>(command.size()), &n, nullptr)) return 2;
    std::string reply(4096, '\0');
    if (!::ReadFile(pipe.get(), reply.data(), static_cast<DWORD>(reply.size()), &n, nullptr)) return 2;
    reply.resize(n);
    std::printf("%s\n", reply.c_str());
    return reply.rfind("ok", 0) == 0 ? 0 : 1;
}

// Lays windows of the given outer sizes out without overlapping where the
// screen has room: down from below `status`, then in columns to its right
// from the top of the screen (each column as wide as its widest window); the
// rest cascade from the first place.
template <class Place>
void PlaceWindows(HWND status, const std::vector<SIZE>& sizes, Place place) {
    RECT work{0, 0, 1024, 768};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    RECT anchor{};
    ::GetWindowRect(status, &anchor);
    constexpr int kGap = 4;
    constexpr int kCascade = 28;
    int x = anchor.left, y = anchor.bottom + kGap;
    int columnWidth = static_cast<int>(anchor.right - anchor.left);
    bool cascading = false;
    for (size_t i = 0; i < sizes.size(); ++i) {
        const SIZE size = sizes[i];
        if (!cascading && y + size.cy > work.bottom) {
            x += columnWidth + kGap;
            y = work.top;
            columnWidth = 0;
        }
        if (!cascading && x + size.cx > work.right && i > 0) cascading = true;
        int px = x, py = y;
        if (cascading) {
            const int step = kCascade * (1 + static_cast<int>(i % 12));
            px = anchor.left + step;
            py = anchor.bottom + kGap + step;
        } else {
            y += size.cy + kGap;
            columnWidth = std::max<int>(columnWidth, size.cx);
        }
        px = std::max<int>(work.left, std::min<int>(px, work.right - size.cx));
        py = std::max<int>(work.top, std::min<int>(py, work.bottom - size.cy));
        place(i, px, py);
    }
}

} // namespace

int main(int argc, char** argv) {
    std::string instance = orvex::hid::virt::kDefaultInstance;
    int counts[4] = {0, 0, 0, 0};
    bool anyKind = false, hidden = false, upper = false;
    orvex::win32::UniqueHandle parent;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        if (a == "--pipe") {
            const char* v = value();
            if (!v || !ValidInstance(v)) {
                std::fprintf(stderr, "--pipe needs a name of letters, digits, '.', '_' or '-'\n");
                return 2;
            }
            instance = v;
        } else if (a == "--ctl") {
            std::string command;
            for (++i; i < argc; ++i) command += (command.empty() ? "" : " ") + std::string(argv[i]);
            if (command.empty()) {
                Usage();
                return 2;
            }
            return Control(instance, command);
        } else if (a == "--parent") {
            // Quit when that process ends, so that a test that dies leaves nothing behind.
            const char* v = value();
            unsigned long pid = 0;
            if (v) std::from_chars(v, v + std::strlen(v), pid);
            parent.reset(pid ? ::OpenProcess(SYNCHRONIZE, FALSE, pid) : nullptr);
            if (!parent) {
                std::fprintf(stderr, "--parent needs the id of a running process\n");
                return 2;
            }
        } else if (a == "--hidden") {
            hidden = true;
        } else if (a == "--upper") {
            upper = true;
        } else if (a == "--help" || a == "-h") {
            Usage();
            return 0;
        } else if (a.size() > 2 && a.rfind("--", 0) == 0 && KindFromName(a.substr(2))) {
            const char* v = value();
            int n = -1;
            if (v) std::from_chars(v, v + std::strlen(v), n);
            if (n < 0 || n > kMaxPerKind) {
                std::fprintf(stderr, "%s needs a count of 0-%d\n", a.c_str(), kMaxPerKind);
                return 2;
            }
            counts[static_cast<int>(*KindFromName(a.substr(2)))] = n;
            anyKind = true;
        } else {
            std::fprintf(stderr, "unknown option %s\n", a.c_str());
            Usage();
            return 2;
        }
    }
    if (!anyKind)
        for (int& c : counts) c = 1;

    PanelBank bank;
    for (int kind = 0; kind < 4; ++kind)
        for (int n = 0; n < counts[kind]; ++n) bank.Add(static_cast<PanelKind>(kind), upper);

    Engine engine(instance, std::move(bank));
    std::string error;
    if (!engine.Open(error)) {
        std::fprintf(stderr, "VirtualPanels: %s\n", error.c_str());
        return 1;
    }
    // Declared in this order so that the watcher is told, then joined, then its event closed.
    orvex::win32::UniqueHandle stopWatch(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    std::jthread watch;
    if (parent) {
        watch = std::jthread([&] {
            HANDLE handles[2] = {parent.get(), stopWatch.get()};
            if (::WaitForMultipleObjects(2, handles, FALSE, INFINITE) == WAIT_OBJECT_0) engine.Stop();
        });
    }
    struct StopWatch {
        HANDLE event;
        ~StopWatch() { ::SetEvent(event); }
    } stopWatchOnReturn{stopWatch.get()};
    if (hidden) {
        engine.Run();
        return 0;
    }
    WindowState state;
    HWND window = CreateStatusWindow(engine, state);
    if (!window) {
        engine.Run();
        return 0;
    }
    // A drawn panel for each Radio, Multi, Switch and BIP Panel, in device order, below
    // the status window and beside it; declared before the engine's thread,
    // so that they outlive it.
    std::vector<std::unique_ptr<FaceWindow>> faces;
    std::vector<FaceWindow*> byDevice;  // by device number - 1; null: not drawn
    for (int kind = 0; kind < 4; ++kind) {
        for (int n = 1; n <= counts[kind]; ++n) {
            const int device = static_cast<int>(byDevice.size()) + 1;
            std::unique_ptr<FaceWindow> face;
            switch (static_cast<PanelKind>(kind)) {
            case PanelKind::Radio: face = std::make_unique<RadioPanelWindow>(engine, device, n); break;
            case PanelKind::Multi: face = std::make_unique<MultiPanelWindow>(engine, device, n); break;
            case PanelKind::Switch: face = std::make_unique<SwitchPanelWindow>(engine, device, n); break;
            case PanelKind::Bip: face = std::make_unique<BipPanelWindow>(engine, device, n); break;
            }
            byDevice.push_back(face.get());
            if (face) faces.push_back(std::move(face));
        }
    }
    std::vector<SIZE> sizes;
    for (const auto& face : faces) sizes.push_back(face->PlannedSize());
    PlaceWindows(window, sizes, [&](size_t i, int x, int y) { faces[i]->Open(x, y); });
    engine.SetObserver([&byDevice](int device) {
        if (device >= 1 && static_cast<size_t>(device) <= byDevice.size() && byDevice[static_cast<size_t>(device - 1)])
            byDevice[static_cast<size_t>(device - 1)]->Notify();
    });
    std::thread io([&] { engine.Run([window] { ::PostMessageA(window, WM_CLOSE, 0, 0); }); });
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    engine.Stop();  // the window was closed by hand, or after quit
    io.join();
    return 0;
}
