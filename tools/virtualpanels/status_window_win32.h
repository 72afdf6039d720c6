// The plain status window: every device, its state and its last reports.
#pragma once

#include "tools/virtualpanels/engine_win32.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace orvex::virtualpanels {

// What the window shows; owned by the caller and outliving the window.
struct WindowState {
    Engine* engine = nullptr;
    uint64_t shownVersion = ~0ull;
    std::vector<std::string> lines;
};

// Creates the window (shown); nullptr on failure. Destroying it ends the
// thread's message loop.
HWND CreateStatusWindow(Engine& engine, WindowState& state);

} // namespace orvex::virtualpanels
