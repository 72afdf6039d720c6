// A small helper of the demo script: it finds a window of another program
// by its class (and optionally its title), saves a picture of it, reads the
// text of one of its controls, or presses a key in it. Windows messages that
// carry no pointers travel between processes, so this needs nothing of the
// programs it looks at.
#include "common/win32/handles.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

HWND FindTopLevel(const char* cls, const char* title) {
    if (cls && std::string(cls) == "-") cls = nullptr;
    return ::FindWindowA(cls, title && *title ? title : nullptr);
}

// Finds a control by its identifier (and, when given, its text) anywhere
// below `parent`, a visible one first: the pages of a tabbed dialog repeat
// the identifiers of their controls.
HWND FindControl(HWND parent, int id, const char* text = nullptr) {
    struct Search {
        int id;
        const char* text;
        bool visibleOnly;
        HWND found;
    };
    for (bool visibleOnly : {true, false}) {
        // A direct child first: identifiers are unique only among siblings.
        if (HWND direct = ::GetDlgItem(parent, id);
            direct && !text && (!visibleOnly || ::IsWindowVisible(direct)))
            return direct;
        Search search{id, text, visibleOnly, nullptr};
        ::EnumChildWindows(
            parent,
            [](HWND child, LPARAM data) -> BOOL {
                auto* s = reinterpret_cast<Search*>(data);
                if (::GetDlgCtrlID(child) != s->id || (s->visibleOnly && !::IsWindowVisible(child))) return TRUE;
                char caption[256] = {};
                if (s->text) ::GetWindowTextA(child, caption, sizeof(caption));
                if (s->text && std::string(caption) != s->text) return TRUE;
                s->found = child;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&search));
        if (search.found) return search.found;
    }
    return nullptr;
}

// Saves what the screen shows of the window as a 24-bit BMP file.
bool Shot(HWND window, const char* file) {
    // The client area: without a window manager nobody draws the frame.
    RECT r{};
    if (!::GetClientRect(window, &r)) return false;
    ::MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return false;
    HDC screen = ::GetDC(nullptr);
    orvex::win32::UniqueDc memory(::CreateCompatibleDC(screen));
    orvex::win32::UniqueGdi bitmap(::CreateCompatibleBitmap(screen, w, h));
    bool ok = false;
    if (memory && bitmap) {
        orvex::win32::SelectGuard select(memory.get(), bitmap.get());
        ::BitBlt(memory.get(), 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
        BITMAPINFOHEADER info{};
        info.biSize = sizeof(info);
        info.biWidth = w;
        info.biHeight = h;
        info.biPlanes = 1;
        info.biBitCount = 24;
        info.biCompression = BI_RGB;
        const int stride = ((w * 3 + 3) / 4) * 4;
        std::vector<unsigned char> pixels(static_cast<size_t>(stride) * static_cast<size_t>(h));
        ::SelectObject(memory.get(), ::GetStockObject(DEFAULT_GUI_FONT));
        if (::GetDIBits(memory.get(), static_cast<HBITMAP>(bitmap.get()), 0, static_cast<UINT>(h), pixels.data(),
                        reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS)) {
            BITMAPFILEHEADER header{};
            header.bfType = 0x4D42;
            header.bfOffBits = sizeof(header) + sizeof(info);
            header.bfSize = static_cast<DWORD>(header.bfOffBits + pixels.size());
            std::ofstream out(file, std::ios::binary);
            out.write(reinterpret_cast<const char*>(&header), sizeof(header));
            out.write(reinterpret_cast<const char*>(&info), sizeof(info));
            out.write(reinterpret_cast<const char*>(pixels.data()), static_cast<std::streamsize>(pixels.size()));
            ok = static_cast<bool>(out);
        }
    }
    ::ReleaseDC(nullptr, screen);
    return ok;
}

int Usage() {
    std::fprintf(stderr,
                 "demotool shot <class> <title|-> <file.bmp>\n"
                 "demotool text <class> <title|-> <control id>\n"
                 "demotool key <class> <title|-> <control id> <virtual key>\n"
                 "demotool click <class> <title|-> <control id> <x> <y>\n"
                 "demotool press <class> <title|-> <control id> [<button text>]\n"
                 "demotool wait <class> <title|-> <seconds>\n"
                 "demotool close <class> <title|->\n"
                 "demotool hold   (keeps a hidden window, and so the desktop, until it is ended)\n"
                 "<class> may be - (any class)\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || (argc < 4 && std::string(argv[1]) != "list" && std::string(argv[1]) != "hold")) return Usage();
    // Screen coordinates in pixels, whatever the DPI.
    ::SetProcessDPIAware();
    const std::string verb = argv[1];
    const char* title = argc > 3 && std::string(argv[3]) != "-" ? argv[3] : nullptr;
    if (verb == "hold") {
        // Under Wine the desktop is a process of its own, started by the
        // first program that needs it and ended when the last one leaves;
        // it inherits that program's output. Held from the start of a run
        // (with its output going nowhere), it is never started by a test
        // whose output pipe it would then keep open.
        HWND window = ::CreateWindowExA(0, "STATIC", "Orvex desktop holder", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                        ::GetModuleHandleA(nullptr), nullptr);
        if (!window) return 1;
        MSG msg;
        while (::GetMessageA(&msg, nullptr, 0, 0) > 0) ::DispatchMessageA(&msg);
        return 0;
    }
    if (verb == "list") {
        ::EnumWindows(
            [](HWND w, LPARAM) -> BOOL {
                char cls[128] = {}, text[256] = {};
                ::GetClassNameA(w, cls, sizeof(cls));
                ::GetWindowTextA(w, text, sizeof(text));
                DWORD pid = 0;
                ::GetWindowThreadProcessId(w, &pid);
                std::printf("%p pid=%lu visible=%d enabled=%d class=%s title=%s\n", static_cast<void*>(w), pid,
                            ::IsWindowVisible(w) ? 1 : 0, ::IsWindowEnabled(w) ? 1 : 0, cls, text);
                return TRUE;
            },
            0);
        return 0;
    }
    if (verb == "wait" && argc >= 5) {
        const DWORD until = ::GetTickCount() + static_cast<DWORD>(std::atoi(argv[4]) * 1000);
        while (!FindTopLevel(argv[2], title)) {
            if (static_cast<LONG>(::GetTickCount() - until) > 0) return 1;
            ::Sleep(100);
        }
        return 0;
    }
    HWND window = FindTopLevel(argv[2], title);
    if (!window) {
        std::fprintf(stderr, "no window of class %s\n", argv[2]);
        return 1;
    }
    if (verb == "shot" && argc >= 5) {
        // Bring it in front of the others so that the screen shows all of it.
        ::SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
        ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        ::Sleep(400);
        return Shot(window, argv[4]) ? 0 : 1;
    }
    if (verb == "close") {
        ::PostMessageA(window, WM_CLOSE, 0, 0);
        return 0;
    }
    if (verb == "press" && argc >= 5) {
        // A button pressed as by its mnemonic: posted, so that a modal dialog
        // it opens does not hold this program up.
        HWND button = FindControl(window, std::atoi(argv[4]), argc >= 6 ? argv[5] : nullptr);
        if (!button) return 1;
        ::PostMessageA(button, BM_CLICK, 0, 0);
        return 0;
    }
    if ((verb == "text" || verb == "key" || verb == "click") && argc >= 5) {
        HWND control = FindControl(window, std::atoi(argv[4]));
        if (!control) return 1;
        if (verb == "text" && argc >= 6 && std::string(argv[5]) == "tabs") {
            DWORD_PTR sel = 0, focus = 0, count = 0;
            ::SendMessageTimeoutA(control, 0x130B /* TCM_GETCURSEL */, 0, 0, SMTO_ABORTIFHUNG, 2000, &sel);
            ::SendMessageTimeoutA(control, 0x132F /* TCM_GETCURFOCUS */, 0, 0, SMTO_ABORTIFHUNG, 2000, &focus);
            ::SendMessageTimeoutA(control, 0x1304 /* TCM_GETITEMCOUNT */, 0, 0, SMTO_ABORTIFHUNG, 2000, &count);
            std::printf("selected %d focus %d count %d\n", static_cast<int>(sel), static_cast<int>(focus),
                        static_cast<int>(count));
            return 0;
        }
        if (verb == "text") {
            char text[512] = {};
            ::SendMessageTimeoutA(control, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text),
                                  SMTO_ABORTIFHUNG, 2000, nullptr);
            std::printf("%s\n", text);
            return 0;
        }
        if (argc < 6) return Usage();
        if (verb == "click") {
            // A left click at a point of the control, through the input queue
            // like a user's.
            if (argc < 7) return Usage();
            POINT at{std::atoi(argv[5]), std::atoi(argv[6])};
            ::ClientToScreen(control, &at);
            ::SetForegroundWindow(window);
            ::SetCursorPos(at.x, at.y);
            INPUT inputs[2] = {};
            inputs[0].type = INPUT_MOUSE;
            inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
            inputs[1].type = INPUT_MOUSE;
            inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
            ::SendInput(2, inputs, sizeof(INPUT));
            ::Sleep(200);
            return 0;
        }
        const WPARAM key = static_cast<WPARAM>(std::strtol(argv[5], nullptr, 0));
        ::PostMessageA(control, WM_KEYDOWN, key, 1);
        ::PostMessageA(control, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
        return 0;
    }
    return Usage();
}
