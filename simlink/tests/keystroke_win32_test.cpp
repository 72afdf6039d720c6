// The Win32 side of the simulator commands: SendInput records seen by a
// low-level keyboard hook and by a focused window, and WaitFor keeping the
// thread's messages running.
#include "simlink/win32/fsuipc_platform_win32.h"
#include "simlink/win32/keystroke_win32.h"
#include "simlink/win32/wait_win32.h"

#include "common/win32/handles.h"

#include <windows.h>
#include <aclapi.h>

#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <string>
#include <vector>

using namespace orvex::simlink;

namespace {

struct SeenKey {
    DWORD vk;
    bool up;
    bool operator==(const SeenKey&) const = default;
};

// What the hook saw of a record besides its key.
struct SeenDetail {
    DWORD scan = 0;
    bool extended = false;
};
std::array<SeenDetail, 64> g_details{};

// Filled by the callbacks; fixed storage so that nothing can throw there.
struct Journal {
    std::array<SeenKey, 64> keys{};
    std::size_t count = 0;
    void Add(DWORD vk, bool up) noexcept {
        if (count < keys.size()) keys[count++] = SeenKey{vk, up};
    }
    std::vector<SeenKey> Get() const {
        return {keys.begin(), keys.begin() + static_cast<std::ptrdiff_t>(count)};
    }
};
Journal g_hooked;
Journal g_window;

LRESULT CALLBACK KeyboardHook(int code, WPARAM wParam, LPARAM lParam) noexcept {
    if (code == HC_ACTION) {
        const auto* k = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        if (k->flags & LLKHF_INJECTED) {
            if (g_hooked.count < g_details.size())
                g_details[g_hooked.count] = SeenDetail{k->scanCode, (k->flags & LLKHF_EXTENDED) != 0};
            g_hooked.Add(k->vkCode, (k->flags & LLKHF_UP) != 0);
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

struct HookTraits {
    using value_type = HHOOK;
    static value_type invalid() noexcept { return nullptr; }
    static void close(value_type h) noexcept { ::UnhookWindowsHookEx(h); }
};
using UniqueHook = orvex::win32::UniqueResource<HookTraits>;

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
    if (msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN) g_window.Add(static_cast<DWORD>(wParam), false);
    if (msg == WM_KEYUP || msg == WM_SYSKEYUP) g_window.Add(static_cast<DWORD>(wParam), true);
    return ::DefWindowProcA(hwnd, msg, wParam, lParam);
}

const std::vector<SeenKey> kShiftCtrlA = {{VK_SHIFT, false}, {VK_CONTROL, false}, {0x41, false},
                                          {0x41, true},      {VK_CONTROL, true},  {VK_SHIFT, true}};

// The hook is called through this thread's message queue; give it time.
void PumpFor(DWORD ms) { WaitFor(static_cast<int32_t>(ms), 5); }

TEST(KeystrokeWin32Test, OneSendInputCallReachesTheLowLevelHookInOrder) {
    UniqueHook hook(::SetWindowsHookExA(WH_KEYBOARD_LL, KeyboardHook, ::GetModuleHandleA(nullptr), 0));
    ASSERT_TRUE(hook);
    g_hooked.count = 0;
    SendKeystroke(0x41, 3);
    PumpFor(200);
    EXPECT_EQ(g_hooked.Get(), kShiftCtrlA);

    g_hooked.count = 0;
    SendKeystroke(0x42, 0);
    PumpFor(200);
    EXPECT_EQ(g_hooked.Get(), (std::vector<SeenKey>{{0x42, false}, {0x42, true}}));
}

TEST(KeystrokeWin32Test, RecordsCarryTheScanCodeAndTheExtendedFlagOfNavigationKeys) {
    UniqueHook hook(::SetWindowsHookExA(WH_KEYBOARD_LL, KeyboardHook, ::GetModuleHandleA(nullptr), 0));
    ASSERT_TRUE(hook);
    struct Case {
        BYTE vk;
        bool extended;
    };
    for (const Case c : {Case{VK_LEFT, true}, Case{VK_NEXT, true}, Case{VK_DELETE, true}, Case{VK_HOME, true},
                         Case{0x41, false}, Case{VK_F5, false}}) {
        SCOPED_TRACE(static_cast<int>(c.vk));
        g_hooked.count = 0;
        SendKeystroke(c.vk, 1);
        PumpFor(200);
        ASSERT_EQ(g_hooked.count, 4u);
        const UINT scan = ::MapVirtualKeyA(c.vk, MAPVK_VK_TO_VSC);
        EXPECT_NE(scan, 0u);
        for (std::size_t i : {std::size_t{1}, std::size_t{2}}) {  // the key down and up
            EXPECT_EQ(g_details[i].scan, scan);
            EXPECT_EQ(g_details[i].extended, c.extended);
        }
        EXPECT_EQ(g_details[0].scan, ::MapVirtualKeyA(VK_SHIFT, MAPVK_VK_TO_VSC));
        EXPECT_FALSE(g_details[0].extended);
    }
}

TEST(KeystrokeWin32Test, FocusedWindowReceivesTheKeys) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "OrvexKeystrokeTest";
    ASSERT_NE(::RegisterClassA(&wc), 0);
    orvex::win32::UniqueWindow wnd(::CreateWindowExA(0, wc.lpszClassName, "keystroke test",
                                                     WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200, 100,
                                                     nullptr, nullptr, wc.hInstance, nullptr));
    if (!wnd) GTEST_SKIP() << "no window could be created (no display)";
    ::SetForegroundWindow(wnd.get());
    ::SetFocus(wnd.get());
    PumpFor(300);
    if (::GetFocus() != wnd.get()) GTEST_SKIP() << "the test window did not get the keyboard focus";
    g_window.count = 0;
    SendKeystroke(0x41, 3);  // lets the messages run once itself
    PumpFor(200);
    EXPECT_EQ(g_window.Get(), kShiftCtrlA);
    wnd.reset();
    ::UnregisterClassA(wc.lpszClassName, wc.hInstance);
}

int g_ticks = 0;
bool g_abort = false;
void CALLBACK CountTick(HWND, UINT, UINT_PTR, DWORD) noexcept { ++g_ticks; }
void CALLBACK AbortTick(HWND, UINT, UINT_PTR, DWORD) noexcept { g_abort = true; }

TEST(WaitWin32Test, WaitKeepsMessagesRunningAndLastsTheDuration) {
    g_ticks = 0;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 10, CountTick);
    ASSERT_NE(timer, 0u);
    const DWORD start = ::GetTickCount();
    EXPECT_FALSE(WaitFor(200, 20));
    const DWORD elapsed = ::GetTickCount() - start;
    ::KillTimer(nullptr, timer);
    EXPECT_GE(elapsed, 190u);  // GetTickCount's own granularity
    EXPECT_GT(g_ticks, 2);
}

TEST(WaitWin32Test, AFlagSetByAMessageEndsTheWait) {
    g_abort = false;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 30, AbortTick);
    ASSERT_NE(timer, 0u);
    const DWORD start = ::GetTickCount();
    EXPECT_TRUE(WaitFor(5000, 10, &g_abort));
    ::KillTimer(nullptr, timer);
    EXPECT_LT(::GetTickCount() - start, 2000u);
}

// A poll tick that takes longer than its interval is due again as soon as it
// returns; the pump must still come back. After 200 ticks the timer stops
// itself, so a pump that does not return fails on time instead of hanging.
int g_slowTicks = 0;
void CALLBACK SlowTick(HWND, UINT, UINT_PTR id, DWORD) noexcept {
    if (++g_slowTicks >= 200) ::KillTimer(nullptr, id);
    ::Sleep(15);
}

TEST(WaitWin32Test, ATimerSlowerThanItsIntervalDoesNotHoldTheWait) {
    g_slowTicks = 0;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 10, SlowTick);
    ASSERT_NE(timer, 0u);
    const DWORD start = ::GetTickCount();
    EXPECT_FALSE(WaitFor(50, 10));
    const DWORD elapsed = ::GetTickCount() - start;
    ::KillTimer(nullptr, timer);
    EXPECT_LT(elapsed, 1000u);
    EXPECT_LT(g_slowTicks, 200);
    EXPECT_GT(g_slowTicks, 0);
}

TEST(WaitWin32Test, DoEventsLeavesQuitForTheMessageLoop) {
    ::PostQuitMessage(3);
    DoEvents();
    MSG msg;
    ASSERT_TRUE(::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 3u);
}

TEST(LinkPlatformWin32, TheSharedBlockLetsTheInteractiveUserReadAndWriteIt) {
    Win32LinkPlatform platform;
    bool existed = true;
    const std::string name = "OrvexBlockTest:" + std::to_string(::GetCurrentProcessId());
    const NativeHandle mapping = platform.CreateMapping(name.c_str(), 0x8000, existed);
    ASSERT_NE(mapping, 0u);
    EXPECT_FALSE(existed);

    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_EQ(::GetSecurityInfo(reinterpret_cast<HANDLE>(mapping), SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION,
                                nullptr, nullptr, &dacl, nullptr, &descriptor),
              static_cast<DWORD>(ERROR_SUCCESS));
    ASSERT_NE(dacl, nullptr) << "an explicit list, not the creator's default";
    BYTE sid[SECURITY_MAX_SID_SIZE];
    DWORD sidSize = sizeof sid;
    ASSERT_TRUE(::CreateWellKnownSid(WinInteractiveSid, nullptr, sid, &sidSize));
    bool interactive = false;
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        void* ace = nullptr;
        if (!::GetAce(dacl, i, &ace)) continue;
        const auto* allowed = static_cast<const ACCESS_ALLOWED_ACE*>(ace);
        if (allowed->Header.AceType != ACCESS_ALLOWED_ACE_TYPE) continue;
        if (!::EqualSid(const_cast<DWORD*>(&allowed->SidStart), sid)) continue;
        const DWORD mask = allowed->Mask;
        interactive = (mask & (GENERIC_READ | GENERIC_WRITE)) == (GENERIC_READ | GENERIC_WRITE) ||
                      (mask & (SECTION_MAP_READ | SECTION_MAP_WRITE)) == (SECTION_MAP_READ | SECTION_MAP_WRITE);
    }
    EXPECT_TRUE(interactive) << "the interactive user may read and write the block";
    ::LocalFree(descriptor);

    // The block is still an ordinary one to this process.
    void* view = platform.MapView(mapping);
    ASSERT_NE(view, nullptr);
    static_cast<unsigned char*>(view)[0] = 1;
    platform.UnmapView(view);
    platform.CloseMapping(mapping);
}

} // namespace
