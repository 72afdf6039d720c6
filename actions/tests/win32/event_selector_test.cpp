// The event selector in a dialog, as the panel setup dialogs hold it, and the
// key reader, driven through their controls and key messages.
#include "actions/tests/win32/event_selector_test_resource.h"
#include "actions/win32/event_selector.h"
#include "actions/win32/event_selector_resource.h"
#include "actions/win32/frm_custom_action.h"
#include "actions/win32/frm_get_keys.h"
#include "common/win32/dialog.h"
#include "common/win32/place_window_win32.h"
#include "common/win32/window.h"
#include "config/memory_ini_store.h"
#include "config/tests/fake_messages.h"
#include "simlink/tests/fake_link.h"

#include <gtest/gtest.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

namespace orvex::actions::win32 {
namespace {

using config::testing::RecordingMessages;
using simlink::testing::FakeLink;

class HostDialog final : public orvex::win32::Dialog {
public:
    HostDialog() : Dialog(IDD_SELECTORHOST) {}
    ctlEventSelector* Selector() const { return ctlEventSelector::FromWindow(Item(IDC_HOSTSELECTOR)); }
};

// A clock that moves only when slept on; counts the steps and pumps.
class StepWait final : public simlink::IWaitHost {
public:
    std::uint32_t TickCount() override { return now; }
    void Sleep(std::uint32_t ms) override {
        now += ms;
        ++sleeps;
    }
    void PumpMessages() override {
        if (onPump) onPump();
    }
    std::uint32_t now = 0;
    int sleeps = 0;
    std::function<void()> onPump;
};

void Pump() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

bool Visible(HWND parent, int id) { return ::IsWindowVisible(::GetDlgItem(parent, id)) != FALSE; }

// A key as the dialog manager of a running dialog gets it.
void DialogKey(HWND dialog, WPARAM key) {
    MSG msg{};
    msg.hwnd = ::GetFocus();
    msg.message = WM_KEYDOWN;
    msg.wParam = key;
    msg.lParam = 1;
    if (!::IsDialogMessageA(dialog, &msg)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    Pump();
}

constexpr LPARAM kDown = 1;
constexpr LPARAM kUp = static_cast<LPARAM>(0xC0000001u);

void SendKey(HWND to, WPARAM key, int character = 0) {
    ::SendMessageA(to, WM_KEYDOWN, key, kDown);
    if (character) ::SendMessageA(to, WM_CHAR, static_cast<WPARAM>(character), kDown);
    if (::IsWindow(to)) ::SendMessageA(to, WM_KEYUP, key, kUp);
}

class EventSelectorTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(RegisterEventSelectorClass());
        ASSERT_TRUE(RegisterEventSelectorClass()); // again: no harm
        ASSERT_TRUE(host.Create(nullptr));
        selector = host.Selector();
        ASSERT_NE(selector, nullptr);
        window = selector->Handle();
    }
    HWND Child(int id) const { return ::GetDlgItem(window, id); }

    HostDialog host;
    ctlEventSelector* selector = nullptr;
    HWND window = nullptr;
};

TEST_F(EventSelectorTest, CreatedAsAGoodChildOfItsDialog) {
    // Fixed size, whatever the template says.
    const UINT dpi = orvex::win32::WindowDpi(window);
    RECT client{};
    ::GetClientRect(window, &client);
    EXPECT_EQ(client.right, ::MulDiv(5565, static_cast<int>(dpi), 1440));
    EXPECT_EQ(client.bottom, ::MulDiv(1245, static_cast<int>(dpi), 1440));
    ::SetWindowPos(window, nullptr, 0, 0, 50, 50, SWP_NOMOVE | SWP_NOZORDER);
    RECT after{};
    ::GetClientRect(window, &after);
    EXPECT_EQ(after.right, client.right);
    EXPECT_EQ(after.bottom, client.bottom);
    RECT dlu{0, 0, 4, 8};
    ::MapDialogRect(host.Handle(), &dlu);
    std::printf("dialog base units at %u DPI: %ld x %ld pixels per 4 x 8 DLU; selector %ld x %ld DLU\n", dpi,
                dlu.right, dlu.bottom, client.right * 4 / dlu.right, client.bottom * 8 / dlu.bottom);

    EXPECT_TRUE(::GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_CONTROLPARENT);

    // Kind 0 with its page, the lists filled, their first items chosen.
    EXPECT_EQ(selector->FSEvent(), kNone);
    EXPECT_EQ(::IsDlgButtonChecked(window, IDC_SELECTOR_OPTEVENT0), BST_CHECKED);
    EXPECT_TRUE(Visible(window, IDC_SELECTOR_NOEVENTTEXT));
    for (int id : {IDC_SELECTOR_OFFSETTEXT, IDC_SELECTOR_CMBVJOYSTICK, IDC_SELECTOR_BTNCLICK,
                   IDC_SELECTOR_BTNKEYREADER, IDC_SELECTOR_LABKEYSTROKES})
        EXPECT_FALSE(Visible(window, id)) << id;
    HWND joysticks = Child(IDC_SELECTOR_CMBVJOYSTICK);
    HWND buttons = Child(IDC_SELECTOR_CMBVBUTTON);
    EXPECT_EQ(::SendMessageA(joysticks, CB_GETCOUNT, 0, 0), 9);
    EXPECT_EQ(::SendMessageA(buttons, CB_GETCOUNT, 0, 0), 32);
    char item[16] = {};
    ::SendMessageA(joysticks, CB_GETLBTEXT, 8, reinterpret_cast<LPARAM>(item));
    EXPECT_STREQ(item, "72");
    ::SendMessageA(buttons, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(item));
    EXPECT_STREQ(item, "0");
    EXPECT_EQ(selector->VJoystick(), 64);
    EXPECT_EQ(selector->VButton(), 1);
    EXPECT_FALSE(::IsWindowEnabled(Child(IDC_SELECTOR_BTNCLICK))); // no simulator

    // The texts.
    EXPECT_EQ(orvex::win32::WindowText(Child(IDC_SELECTOR_OPTEVENT2)), "FSUIPC Virtual Button");
    EXPECT_EQ(orvex::win32::WindowText(Child(IDC_SELECTOR_BTNKEYREADER)), "Get Keys");
    EXPECT_EQ(orvex::win32::WindowText(Child(IDC_SELECTOR_LABSELECTED)), "Selected keystrokes");
    EXPECT_EQ(orvex::win32::WindowText(Child(IDC_SELECTOR_NOEVENTTEXT)).substr(0, 40),
              "If you choose this option nothing will b");

    // Every child uses the dialog's font (the two long texts perhaps a
    // smaller size of it), lies inside the selector and holds its whole text.
    const auto dialogFont = ::SendMessageA(host.Handle(), WM_GETFONT, 0, 0);
    LOGFONTA dialogLogFont{};
    ::GetObjectA(reinterpret_cast<HFONT>(dialogFont), sizeof(dialogLogFont), &dialogLogFont);
    HDC dc = ::GetDC(window);
    for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        const int id = ::GetDlgCtrlID(child);
        const auto childFont = ::SendMessageA(child, WM_GETFONT, 0, 0);
        if (id == IDC_SELECTOR_NOEVENTTEXT || id == IDC_SELECTOR_OFFSETTEXT) {
            LOGFONTA lf{};
            ::GetObjectA(reinterpret_cast<HFONT>(childFont), sizeof(lf), &lf);
            EXPECT_STREQ(lf.lfFaceName, dialogLogFont.lfFaceName);
            EXPECT_LE(std::abs(lf.lfHeight), std::abs(dialogLogFont.lfHeight));
            EXPECT_GE(std::abs(lf.lfHeight) * 3, std::abs(dialogLogFont.lfHeight) * 2);
            std::printf("page text font %ld (dialog %ld)\n", lf.lfHeight, dialogLogFont.lfHeight);
        } else if (id != IDC_SELECTOR_SEPARATOR) {
            EXPECT_EQ(childFont, dialogFont) << id;
        }
        RECT r{};
        ::GetWindowRect(child, &r);
        ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
        if (id == IDC_SELECTOR_CMBVJOYSTICK || id == IDC_SELECTOR_CMBVBUTTON) r.bottom = r.top + 1; // closed lists
        EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= client.right && r.bottom <= client.bottom) << id;
        const std::string text = orvex::win32::WindowText(child);
        if (text.empty() || id == IDC_SELECTOR_CMBVJOYSTICK || id == IDC_SELECTOR_CMBVBUTTON) continue;
        orvex::win32::SelectGuard font(dc, reinterpret_cast<HGDIOBJ>(childFont));
        RECT need{0, 0, r.right - r.left, 0};
        ::DrawTextA(dc, text.c_str(), -1, &need, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        const bool option =
            (id >= IDC_SELECTOR_OPTEVENT0 && id <= IDC_SELECTOR_OPTEVENT3) || id == IDC_SELECTOR_OPTEVENT4;
        const int room = option ? (r.right - r.left) - ::GetSystemMetrics(SM_CXMENUCHECK) - 4 : r.right - r.left;
        SIZE line{};
        ::GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &line);
        if (id == IDC_SELECTOR_NOEVENTTEXT || id == IDC_SELECTOR_OFFSETTEXT || id == IDC_SELECTOR_LABCUSTOM)
            EXPECT_LE(need.bottom, r.bottom - r.top) << id;
        else
            EXPECT_LE(line.cx, room) << id;
    }
    ::ReleaseDC(window, dc);

    // The test button's tip.
    HWND tip = nullptr;
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND w, LPARAM found) -> BOOL {
            char name[64] = {};
            ::GetClassNameA(w, name, sizeof(name));
            if (lstrcmpiA(name, TOOLTIPS_CLASSA) != 0) return TRUE;
            *reinterpret_cast<HWND*>(found) = w;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&tip));
    ASSERT_NE(tip, nullptr);
    char tipText[80] = {};
    TOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.hwnd = window;
    tool.uId = reinterpret_cast<UINT_PTR>(Child(IDC_SELECTOR_BTNCLICK));
    tool.lpszText = tipText;
    ::SendMessageA(tip, TTM_GETTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
    EXPECT_STREQ(tipText, "Send button to Flight Sim");
}

TEST_F(EventSelectorTest, ActionRecordsRoundTrip) {
    struct Case {
        EventAction in;
        EventAction expected; // Store into a record holding `prior`
    };
    const EventAction prior{kNone, 7, 8, 9};
    const Case cases[] = {
        {{kNone, 1, 2, 3}, {kNone, 7, 8, 9}},
        {{kOffset, 1, 2, 3}, {kOffset, 7, 8, 9}},
        {{kVButton, 70, 17, 3}, {kVButton, 70, 17, 9}},
        {{kVKey, 65, 3, 97}, {kVKey, 65, 3, 97}},
        {{kVKey, 112, 4, 0}, {kVKey, 112, 4, 0}},
        // Out of the lists' ranges (a hand-edited file): kept, no item shown.
        {{kVButton, 80, 40, 0}, {kVButton, 80, 40, 9}},
    };
    for (const Case& c : cases) {
        selector->Load(c.in);
        EventAction out = prior;
        selector->Store(out);
        EXPECT_EQ(out, c.expected) << c.in.Kind << "," << int(c.in.Field1);
        EXPECT_EQ(::IsDlgButtonChecked(window, IDC_SELECTOR_OPTEVENT0 + c.in.Kind), BST_CHECKED);
    }
    EXPECT_EQ(::SendMessageA(Child(IDC_SELECTOR_CMBVJOYSTICK), CB_GETCURSEL, 0, 0), CB_ERR);
    EXPECT_EQ(::SendMessageA(Child(IDC_SELECTOR_CMBVBUTTON), CB_GETCURSEL, 0, 0), CB_ERR);

    // The key text follows the three key properties.
    selector->Load({kVKey, 65, 3, 97});
    EXPECT_EQ(selector->KeyText(), "CTRL-SHIFT-A");
    EXPECT_EQ(orvex::win32::WindowText(Child(IDC_SELECTOR_LABKEYSTROKES)), "CTRL-SHIFT-A");
    selector->KeyCode(112);
    EXPECT_EQ(orvex::win32::WindowText(Child(IDC_SELECTOR_LABKEYSTROKES)), "CTRL-SHIFT-F1");
    selector->KeyQualifiers(0);
    selector->KeyCode(173);
    selector->KeyAscii(0);
    EXPECT_EQ(orvex::win32::WindowText(Child(IDC_SELECTOR_LABKEYSTROKES)), "???");
    selector->KeyAscii('&');
    EXPECT_EQ(orvex::win32::WindowText(Child(IDC_SELECTOR_LABKEYSTROKES)), "&");
    EXPECT_EQ(KeyStrokeText(27, 6, 27), "CTRL-TAB-ESC");

    // A kind outside 0-7 is no choice.
    selector->FSEvent(kVButton);
    selector->FSEvent(8);
    EXPECT_EQ(selector->FSEvent(), kVButton);
}

TEST_F(EventSelectorTest, ChoosingKindsAndListItems) {
    int changes = 0;
    selector->Changed = [&] { ++changes; };

    selector->FSEvent(kVButton);
    EXPECT_TRUE(Visible(window, IDC_SELECTOR_CMBVJOYSTICK));
    EXPECT_TRUE(Visible(window, IDC_SELECTOR_BTNCLICK));
    selector->FSEvent(kVKey);
    EXPECT_TRUE(Visible(window, IDC_SELECTOR_BTNKEYREADER));
    EXPECT_TRUE(Visible(window, IDC_SELECTOR_LABKEYSTROKES));
    for (int id : {IDC_SELECTOR_NOEVENTTEXT, IDC_SELECTOR_OFFSETTEXT, IDC_SELECTOR_LABVJOYSTICK,
                   IDC_SELECTOR_CMBVJOYSTICK, IDC_SELECTOR_LABVBUTTON, IDC_SELECTOR_CMBVBUTTON, IDC_SELECTOR_BTNCLICK})
        EXPECT_FALSE(Visible(window, id)) << id;
    EXPECT_EQ(::IsDlgButtonChecked(window, IDC_SELECTOR_OPTEVENT3), BST_CHECKED);
    EXPECT_EQ(::IsDlgButtonChecked(window, IDC_SELECTOR_OPTEVENT2), BST_UNCHECKED);
    EXPECT_EQ(changes, 0); // written by the program, not changed by the user

    // The user clicks "FSUIPC Virtual Button", then picks item 64 and item 0.
    ::SendMessageA(Child(IDC_SELECTOR_OPTEVENT2), BM_CLICK, 0, 0);
    EXPECT_EQ(selector->FSEvent(), kVButton);
    EXPECT_TRUE(Visible(window, IDC_SELECTOR_CMBVBUTTON));
    EXPECT_FALSE(Visible(window, IDC_SELECTOR_BTNKEYREADER));
    EXPECT_EQ(changes, 1);
    selector->Load({kVButton, 70, 20, 0});
    auto pick = [&](int id, int index) {
        ::SendMessageA(Child(id), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        ::SendMessageA(window, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(Child(id)));
    };
    pick(IDC_SELECTOR_CMBVJOYSTICK, 0);
    pick(IDC_SELECTOR_CMBVBUTTON, 0);
    EventAction out;
    selector->Store(out);
    EXPECT_EQ(out, (EventAction{kVButton, 64, 1, 0}));
    pick(IDC_SELECTOR_CMBVJOYSTICK, 8);
    pick(IDC_SELECTOR_CMBVBUTTON, 31);
    EXPECT_EQ(selector->VJoystick(), 72);
    EXPECT_EQ(selector->VButton(), 32);
    EXPECT_EQ(changes, 5);
}

TEST_F(EventSelectorTest, KeyboardGoesThroughTheDialog) {
    // Tab from the button before the selector lands on the chosen option
    // and leaves the choice as it was.
    selector->FSEvent(kOffset);
    ::SetFocus(host.Item(IDC_HOSTBEFORE));
    DialogKey(host.Handle(), VK_TAB);
    EXPECT_EQ(::GetFocus(), Child(IDC_SELECTOR_OPTEVENT1));
    EXPECT_EQ(selector->FSEvent(), kOffset);
    // Down chooses the next option.
    DialogKey(host.Handle(), VK_DOWN);
    EXPECT_EQ(::GetFocus(), Child(IDC_SELECTOR_OPTEVENT2));
    EXPECT_EQ(selector->FSEvent(), kVButton);
    EXPECT_TRUE(Visible(window, IDC_SELECTOR_CMBVJOYSTICK));
    // Tab goes through the page (the disabled "Click" is passed over) and on
    // to the dialog's next control.
    DialogKey(host.Handle(), VK_TAB);
    EXPECT_EQ(::GetFocus(), Child(IDC_SELECTOR_CMBVJOYSTICK));
    DialogKey(host.Handle(), VK_TAB);
    EXPECT_EQ(::GetFocus(), Child(IDC_SELECTOR_CMBVBUTTON));
    DialogKey(host.Handle(), VK_TAB);
    EXPECT_EQ(::GetFocus(), host.Item(IDC_HOSTAFTER));
    // Focusing the selector itself goes to its chosen option.
    ::SetFocus(window);
    EXPECT_EQ(::GetFocus(), Child(IDC_SELECTOR_OPTEVENT2));

    // A disabled selector disables its children; enabling gives them back.
    ::EnableWindow(window, FALSE);
    EXPECT_FALSE(::IsWindowEnabled(Child(IDC_SELECTOR_CMBVJOYSTICK)));
    ::EnableWindow(window, TRUE);
    EXPECT_TRUE(::IsWindowEnabled(Child(IDC_SELECTOR_CMBVJOYSTICK)));
    EXPECT_FALSE(::IsWindowEnabled(Child(IDC_SELECTOR_BTNCLICK)));
}

TEST_F(EventSelectorTest, ClickPressesThenReleasesOnlyWhileConnected) {
    FakeLink link;
    link.Put(simlink::kVirtualButtonsOffset + 4, {0, 0, 0, 0x80}); // joystick 65: button 32 held
    StepWait wait;
    app::ProgramState state;
    std::vector<std::uint32_t> seenDuringWait;
    wait.onPump = [&] { seenDuringWait.push_back(link.Word(simlink::kVirtualButtonsOffset + 4)); };
    selector->Context({&state, &link, &wait, nullptr, nullptr, nullptr});
    selector->Load({kVButton, 65, 3, 0});
    auto click = [&] {
        ::SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_SELECTOR_BTNCLICK, BN_CLICKED),
                       reinterpret_cast<LPARAM>(Child(IDC_SELECTOR_BTNCLICK)));
    };

    // Not connected: disabled, and a click sends nothing.
    EXPECT_FALSE(::IsWindowEnabled(Child(IDC_SELECTOR_BTNCLICK)));
    click();
    EXPECT_TRUE(link.processed.empty());
    EXPECT_EQ(wait.sleeps, 0);

    state.SimConnected = true;
    selector->Context({&state, &link, &wait, nullptr, nullptr, nullptr});
    EXPECT_TRUE(::IsWindowEnabled(Child(IDC_SELECTOR_BTNCLICK)));
    click();
    // Pressed (bit 3 of joystick 65 set, the other buttons kept) for the
    // whole 100 ms wait in 25 ms steps, then released.
    EXPECT_EQ(wait.sleeps, 4);
    ASSERT_FALSE(seenDuringWait.empty());
    for (std::uint32_t word : seenDuringWait) EXPECT_EQ(word, 0x80000004u);
    EXPECT_EQ(link.Word(simlink::kVirtualButtonsOffset + 4), 0x80000000u);
    std::vector<std::uint32_t> written;
    for (const auto& r : link.processed)
        if (r.write) {
            EXPECT_EQ(r.offset, simlink::kVirtualButtonsOffset + 4);
            std::uint32_t v = 0;
            std::memcpy(&v, r.bytes.data(), 4);
            written.push_back(v);
        }
    EXPECT_EQ(written, (std::vector<std::uint32_t>{0x80000004u, 0x80000000u}));

    // Disconnected while the dialog is open: the click does nothing.
    state.SimConnected = false;
    link.processed.clear();
    click();
    EXPECT_TRUE(link.processed.empty());
    EXPECT_FALSE(::IsWindowEnabled(Child(IDC_SELECTOR_BTNCLICK)));
}

// The key reader, modeless.
class GetKeysTest : public ::testing::Test {
protected:
    GetKeysTest() : setup(store, "C:\\Orvex\\Orvex.ini") {}
    config::MemoryIniStore store;
    config::cSetupHolder setup;
    RecordingMessages messages;
    MonitorList monitors = orvex::win32::EnumerateMonitors();
    CapturedKeys captured{1, 2, 3};
};

TEST_F(GetKeysTest, QualifiersThenTheMainKey) {
    frmGetKeys reader(captured, &setup, &monitors, &messages);
    ASSERT_TRUE(reader.Create(nullptr));
    EXPECT_EQ(orvex::win32::WindowText(reader.Handle()), "  ORVEX - Get Key");
    EXPECT_EQ(captured, CapturedKeys{}); // reset on opening
    EXPECT_EQ(::GetFocus(), reader.CaptureWindow());
    for (int id : {IDC_GETKEYS_PICSHIFT, IDC_GETKEYS_PICCTRL, IDC_GETKEYS_PICTAB})
        EXPECT_FALSE(Visible(reader.Handle(), id)) << id;
    EXPECT_EQ(reader.ItemText(IDC_GETKEYS_PICSHIFT), "SHIFT");
    EXPECT_EQ(reader.ItemText(IDC_GETKEYS_PROMPT), "Press the key you want to bind to this panel function");

    HWND keys = reader.CaptureWindow();
    SendKey(keys, VK_SHIFT);
    EXPECT_TRUE(Visible(reader.Handle(), IDC_GETKEYS_PICSHIFT));
    SendKey(keys, VK_CONTROL);
    EXPECT_TRUE(Visible(reader.Handle(), IDC_GETKEYS_PICCTRL));
    EXPECT_FALSE(Visible(reader.Handle(), IDC_GETKEYS_PICTAB));
    EXPECT_FALSE(reader.Ended());
    SendKey(keys, 'A', 'a');
    EXPECT_TRUE(reader.Ended());
    EXPECT_TRUE(reader.KeyCaptured());
    EXPECT_EQ(reader.Handle(), nullptr);
    EXPECT_EQ(captured, (CapturedKeys{65, 3, 97}));
    EXPECT_EQ(KeyStrokeText(captured.KeyCode, captured.Qualifiers, captured.KeyAscii), "CTRL-SHIFT-A");
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(GetKeysTest, DialogKeysReachTheReader) {
    // Through the dialog manager, as in the modal loop: Tab is a qualifier,
    // Escape and F1 are keys, not Cancel or help.
    frmGetKeys reader(captured, &setup, &monitors, &messages);
    ASSERT_TRUE(reader.Create(nullptr));
    DialogKey(reader.Handle(), VK_TAB);
    EXPECT_TRUE(Visible(reader.Handle(), IDC_GETKEYS_PICTAB));
    EXPECT_EQ(::GetFocus(), reader.CaptureWindow());
    DialogKey(reader.Handle(), VK_ESCAPE);
    EXPECT_FALSE(reader.Ended());
    ::SendMessageA(reader.CaptureWindow(), WM_KEYUP, VK_ESCAPE, kUp);
    EXPECT_TRUE(reader.KeyCaptured());
    EXPECT_EQ(captured.KeyCode, 27);
    EXPECT_EQ(captured.Qualifiers, 4);

    // F1 alone: no character.
    frmGetKeys f1(captured, &setup, &monitors, &messages);
    ASSERT_TRUE(f1.Create(nullptr));
    SendKey(f1.CaptureWindow(), VK_F1);
    EXPECT_EQ(captured, (CapturedKeys{112, 0, 0}));
    EXPECT_EQ(KeyStrokeText(112, 0, 0), "F1");

    // A key with neither a name nor a character.
    frmGetKeys media(captured, &setup, &monitors, &messages);
    ASSERT_TRUE(media.Create(nullptr));
    SendKey(media.CaptureWindow(), VK_VOLUME_UP);
    EXPECT_EQ(captured, (CapturedKeys{VK_VOLUME_UP, 0, 0}));
    EXPECT_EQ(KeyStrokeText(captured.KeyCode, captured.Qualifiers, captured.KeyAscii), "???");
}

TEST_F(GetKeysTest, AltIsRefusedAndThePositionIsKept) {
    setup.GetKeysFormTop(1500);   // 100 pixels
    setup.GetKeysFormLeft(3000);  // 200 pixels
    frmGetKeys reader(captured, &setup, &monitors, &messages);
    ASSERT_TRUE(reader.Create(nullptr));
    RECT placed{};
    ::GetWindowRect(reader.Handle(), &placed);
    EXPECT_EQ(placed.left, 200);
    EXPECT_EQ(placed.top, 100);

    ::SendMessageA(reader.CaptureWindow(), WM_SYSKEYDOWN, VK_MENU, kDown | (1 << 29));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].Title, "  ORVEX");
    EXPECT_EQ(messages.shown[0].Text, "ALT and ALT-GROUND keys are not supported");
    EXPECT_TRUE(messages.shown[0].Information);
    ::SendMessageA(reader.CaptureWindow(), WM_SYSKEYDOWN, VK_MENU, kDown | (1 << 29) | (1 << 30)); // held
    ::SendMessageA(reader.CaptureWindow(), WM_SYSKEYUP, VK_MENU, kUp | (1 << 29));
    EXPECT_EQ(messages.shown.size(), 1u);
    EXPECT_FALSE(reader.Ended()); // waits for another key

    // Closed with the close box: no key, and the position is stored.
    ::SetWindowPos(reader.Handle(), nullptr, 300, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ::SendMessageA(reader.Handle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(reader.Ended());
    EXPECT_FALSE(reader.KeyCaptured());
    EXPECT_EQ(setup.GetKeysFormLeft(), 300 * 15);
    EXPECT_EQ(setup.GetKeysFormTop(), 150 * 15);
    EXPECT_EQ(captured, CapturedKeys{});
}

// The key reader as the selector's "Get Keys" shows it: modal, typed into
// by a timer that runs inside the modal loop.
struct ModalScript {
    static inline std::function<void(HWND reader)> step;
    static inline app::ProgramState* state = nullptr;
    static inline bool dialogOpenSeen = false;
    static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD) {
        HWND reader = ::FindWindowA("#32770", "  ORVEX - Get Key");
        if (!reader || !::IsWindowVisible(reader)) return;
        ::KillTimer(nullptr, id);
        dialogOpenSeen = state && state->DialogOpen;
        step(reader);
    }
};

void PostKey(HWND to, WPARAM key, int character = 0) {
    ::PostMessageA(to, WM_KEYDOWN, key, kDown);
    if (character) ::PostMessageA(to, WM_CHAR, static_cast<WPARAM>(character), kDown);
    ::PostMessageA(to, WM_KEYUP, key, kUp);
}

TEST_F(EventSelectorTest, GetKeysTakesTheCapturedKeystroke) {
    config::MemoryIniStore store;
    config::cSetupHolder setup(store, "C:\\Orvex\\Orvex.ini");
    const MonitorList monitors = orvex::win32::EnumerateMonitors();
    RecordingMessages messages;
    app::ProgramState state;
    state.DialogOpen = true; // the setup dialog that holds the selector is open
    selector->Context({&state, nullptr, nullptr, &setup, &monitors, &messages});
    selector->Load({kVKey, 66, 0, 98});
    int changes = 0;
    selector->Changed = [&] { ++changes; };
    auto getKeys = [&] {
        ::SetTimer(nullptr, 0, 20, &ModalScript::Tick);
        ::SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_SELECTOR_BTNKEYREADER, BN_CLICKED),
                       reinterpret_cast<LPARAM>(Child(IDC_SELECTOR_BTNKEYREADER)));
    };
    ModalScript::state = &state;

    // Tab, then Shift, then Page Down.
    ModalScript::dialogOpenSeen = false;
    ModalScript::step = [](HWND reader) {
        HWND keys = ::GetDlgItem(reader, IDC_GETKEYS_PROMPT);
        ::PostMessageA(keys, WM_KEYDOWN, VK_TAB, kDown);
        ::PostMessageA(keys, WM_KEYUP, VK_TAB, kUp);
        PostKey(keys, VK_SHIFT);
        PostKey(keys, VK_NEXT);
    };
    state.DialogOpen = false;
    getKeys();
    EXPECT_TRUE(ModalScript::dialogOpenSeen);
    EXPECT_FALSE(state.DialogOpen);
    EXPECT_EQ(selector->KeyCode(), VK_NEXT);
    EXPECT_EQ(selector->KeyQualifiers(), 5);
    EXPECT_EQ(selector->KeyAscii(), 0);
    EXPECT_EQ(orvex::win32::WindowText(Child(IDC_SELECTOR_LABKEYSTROKES)), "SHIFT-TAB-PAGE DOWN");
    EXPECT_EQ(changes, 1);
    EXPECT_NE(setup.GetKeysFormTop(), 0); // its position was stored

    // Closed without a key: the keystroke stays; DialogOpen gets back the
    // value it had.
    state.DialogOpen = true;
    ModalScript::step = [](HWND reader) { ::PostMessageA(reader, WM_CLOSE, 0, 0); };
    getKeys();
    EXPECT_TRUE(state.DialogOpen);
    EXPECT_EQ(selector->KeyText(), "SHIFT-TAB-PAGE DOWN");
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(messages.shown.empty());
}

} // namespace
} // namespace orvex::actions::win32

namespace orvex::actions::win32 {
namespace {

EventAction Parsed(const char* text) {
    EventAction r;
    EXPECT_EQ(ReadActionText(text, r), ReadResult::Read) << text;
    return r;
}

TEST_F(EventSelectorTest, CustomPageShowsTheActionAndItsKindChoice) {
    int changes = 0;
    selector->Changed = [&] { ++changes; };
    selector->Load(Parsed("Step,0x07CC,2,1,0,359,1"));
    EXPECT_EQ(selector->FSEvent(), kStep);
    EXPECT_EQ(::IsDlgButtonChecked(window, IDC_SELECTOR_OPTEVENT4), BST_CHECKED);
    EXPECT_EQ(::IsDlgButtonChecked(window, IDC_SELECTOR_OPTEVENT0), BST_UNCHECKED);
    for (int id : {IDC_SELECTOR_CMBCUSTOMKIND, IDC_SELECTOR_LABCUSTOM, IDC_SELECTOR_BTNCUSTOMEDIT,
                   IDC_SELECTOR_BTNCUSTOMTEST})
        EXPECT_TRUE(Visible(window, id)) << id;
    EXPECT_FALSE(Visible(window, IDC_SELECTOR_NOEVENTTEXT));
    EXPECT_EQ(::SendMessageA(Child(IDC_SELECTOR_CMBCUSTOMKIND), CB_GETCURSEL, 0, 0), 3);
    EXPECT_EQ(orvex::win32::WindowText(Child(IDC_SELECTOR_LABCUSTOM)),
              "Step 0x07CC (2 bytes) by 1 within 0 to 359, wrapping");
    EventAction out{kVKey, 65, 1, 97};
    selector->Store(out);
    EXPECT_EQ(ActionText(out), "Step,0x07CC,2,1,0,359,1");
    EXPECT_EQ(out.Field1, 65) << "fields the kind does not use are kept";

    // Another kind from the list: its numbers where they fit (the offset is
    // shared), a valid action in any case.
    auto pick = [&](int index) {
        ::SendMessageA(Child(IDC_SELECTOR_CMBCUSTOMKIND), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        ::SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_SELECTOR_CMBCUSTOMKIND, CBN_SELCHANGE),
                       reinterpret_cast<LPARAM>(Child(IDC_SELECTOR_CMBCUSTOMKIND)));
    };
    pick(2);
    EXPECT_EQ(selector->FSEvent(), kToggle);
    selector->Store(out);
    EXPECT_EQ(ActionText(out), "Toggle,0x07CC,2,0x1");
    pick(0);
    selector->Store(out);
    EXPECT_EQ(ActionText(out), "Control,1,0");
    EXPECT_EQ(changes, 2);

    // Leaving for another kind and coming back by the option finds the custom action again.
    ::SendMessageA(Child(IDC_SELECTOR_OPTEVENT1), BM_CLICK, 0, 0);
    EXPECT_EQ(selector->FSEvent(), kOffset);
    EXPECT_FALSE(Visible(window, IDC_SELECTOR_CMBCUSTOMKIND));
    ::SendMessageA(Child(IDC_SELECTOR_OPTEVENT4), BM_CLICK, 0, 0);
    EXPECT_EQ(selector->FSEvent(), kControl);
    EXPECT_EQ(changes, 4);

    // Keyboard: Tab goes from the option through the page (the disabled
    // "Test" passed over) to the dialog's next control.
    ::SetFocus(Child(IDC_SELECTOR_OPTEVENT4));
    DialogKey(host.Handle(), VK_TAB);
    EXPECT_EQ(::GetFocus(), Child(IDC_SELECTOR_CMBCUSTOMKIND));
    DialogKey(host.Handle(), VK_TAB);
    EXPECT_EQ(::GetFocus(), Child(IDC_SELECTOR_BTNCUSTOMEDIT));
    DialogKey(host.Handle(), VK_TAB);
    EXPECT_EQ(::GetFocus(), host.Item(IDC_HOSTAFTER));
    // Up from the last option goes back to the keyboard page.
    ::SetFocus(Child(IDC_SELECTOR_OPTEVENT4));
    DialogKey(host.Handle(), VK_UP);
    EXPECT_EQ(selector->FSEvent(), kVKey);
}

TEST_F(EventSelectorTest, CustomTestCarriesTheActionOutOnceOnlyWhileConnected) {
    FakeLink link;
    app::ProgramState state;
    selector->Context({&state, &link, nullptr, nullptr, nullptr, nullptr});
    selector->Load(Parsed("Toggle,0x66C0,2,0x0104"));
    link.Put(0x66C0, {0x05, 0x00});
    auto test = [&] {
        ::SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_SELECTOR_BTNCUSTOMTEST, BN_CLICKED),
                       reinterpret_cast<LPARAM>(Child(IDC_SELECTOR_BTNCUSTOMTEST)));
    };
    EXPECT_FALSE(::IsWindowEnabled(Child(IDC_SELECTOR_BTNCUSTOMTEST)));
    test();
    EXPECT_TRUE(link.processed.empty()) << "nothing while the simulator is not connected";

    state.SimConnected = true;
    selector->Context({&state, &link, nullptr, nullptr, nullptr, nullptr});
    EXPECT_TRUE(::IsWindowEnabled(Child(IDC_SELECTOR_BTNCUSTOMTEST)));
    test();
    EXPECT_EQ(link.Word(0x66C0) & 0xFFFF, 0x0101u) << "read, flipped and written at once";
    EXPECT_TRUE(link.queue.empty());

    selector->Load(Parsed("Control,66587,-3"));
    link.processed.clear();
    test();
    ASSERT_EQ(link.processed.size(), 1u);
    EXPECT_EQ(link.processed[0].offset, simlink::kFsControlOffset);
    EXPECT_EQ(link.Word(simlink::kFsControlOffset), 66587u);
    EXPECT_EQ(link.Word(simlink::kFsControlOffset + 4), 0xFFFFFFFDu);
}

TEST_F(EventSelectorTest, CustomEditorValidatesAsTypedAndTestsOnlyAValidAction) {
    FakeLink link;
    app::ProgramState state;
    frmCustomAction editor(Parsed("Set,0x66C0,2,7"), &state, &link);
    ASSERT_TRUE(editor.Create(host.Handle()));
    EXPECT_EQ(orvex::win32::WindowText(editor.Handle()), "  ORVEX - Custom FSUIPC Action");
    EXPECT_EQ(editor.Kind(), kSet);
    EXPECT_TRUE(editor.Fits());
    EXPECT_EQ(editor.ItemText(IDC_CUSTOM_EDIT0), "0x66C0");
    EXPECT_EQ(editor.ItemText(IDC_CUSTOM_EDIT0 + 2), "7");
    EXPECT_EQ(editor.ItemText(IDC_CUSTOM_LIMITS0 + 2), "-32768 to 65535");
    EXPECT_TRUE(::IsWindowVisible(editor.Item(IDC_CUSTOM_SIZE)));
    EXPECT_FALSE(::IsWindowVisible(editor.Item(IDC_CUSTOM_EDIT0 + 1)));
    EXPECT_FALSE(::IsWindowVisible(editor.Item(IDC_CUSTOM_WRAP)));
    EXPECT_FALSE(::IsWindowEnabled(editor.Item(IDC_CUSTOM_TEST))) << "not connected";

    // Each keystroke is judged: the reason beside the field, OK only for a valid action.
    editor.ItemText(IDC_CUSTOM_EDIT0 + 2, "70000");
    EXPECT_FALSE(editor.Fits());
    EXPECT_EQ(editor.Reason(2), "a whole number from -32768 to 65535");
    EXPECT_FALSE(::IsWindowEnabled(editor.Item(IDOK)));
    editor.ItemText(IDC_CUSTOM_EDIT0, "0xFFFF");
    EXPECT_EQ(editor.Reason(0), "with 2 bytes at most 0xFFFE") << "judged with the size";
    ::SendMessageA(editor.Item(IDC_CUSTOM_SIZE), CB_SETCURSEL, 0, 0);
    ::SendMessageA(editor.Handle(), WM_COMMAND, MAKEWPARAM(IDC_CUSTOM_SIZE, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(editor.Item(IDC_CUSTOM_SIZE)));
    EXPECT_EQ(editor.ItemText(IDC_CUSTOM_LIMITS0 + 2), "-128 to 255");
    EXPECT_EQ(editor.Reason(2), "a whole number from -128 to 255");
    editor.ItemText(IDC_CUSTOM_EDIT0 + 2, "0xFF");
    EXPECT_TRUE(editor.Fits());
    EXPECT_EQ(editor.Reason(0), "");
    EXPECT_TRUE(::IsWindowEnabled(editor.Item(IDOK)));

    // Step: limits and wrap; min above max is named at the maximum.
    ::SendMessageA(editor.Item(IDC_CUSTOM_KIND), CB_SETCURSEL, 3, 0);
    ::SendMessageA(editor.Handle(), WM_COMMAND, MAKEWPARAM(IDC_CUSTOM_KIND, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(editor.Item(IDC_CUSTOM_KIND)));
    EXPECT_EQ(editor.Kind(), kStep);
    EXPECT_TRUE(::IsWindowVisible(editor.Item(IDC_CUSTOM_WRAP)));
    editor.ItemText(IDC_CUSTOM_EDIT0, "0x66C2");
    editor.ItemText(IDC_CUSTOM_EDIT0 + 3, "50");
    editor.ItemText(IDC_CUSTOM_EDIT0 + 4, "10");
    EXPECT_EQ(editor.Reason(4), "not below the minimum");
    EXPECT_FALSE(editor.Fits());
    editor.ItemText(IDC_CUSTOM_EDIT0 + 4, "60");
    ::SendMessageA(editor.Item(IDC_CUSTOM_WRAP), BM_CLICK, 0, 0);
    EXPECT_TRUE(editor.Fits());
    EXPECT_EQ(editor.ItemText(IDC_CUSTOM_SUMMARY), "Step 0x66C2 (2 bytes) by 7 within 50 to 60, wrapping")
        << "the numbers the Set had, where they fit a Step";

    // Back to Set: what was typed there is still there.
    ::SendMessageA(editor.Item(IDC_CUSTOM_KIND), CB_SETCURSEL, 1, 0);
    ::SendMessageA(editor.Handle(), WM_COMMAND, MAKEWPARAM(IDC_CUSTOM_KIND, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(editor.Item(IDC_CUSTOM_KIND)));
    EXPECT_EQ(editor.ItemText(IDC_CUSTOM_EDIT0 + 2), "0xFF");
    EXPECT_EQ(editor.ItemText(IDC_CUSTOM_EDIT0), "0xFFFF");

    // Connected: Test writes it once, at once.
    editor.Click(IDC_CUSTOM_TEST);
    EXPECT_TRUE(link.processed.empty()) << "disabled while not connected";
    state.SimConnected = true;
    editor.ItemText(IDC_CUSTOM_EDIT0, "0x66C5");
    EXPECT_TRUE(::IsWindowEnabled(editor.Item(IDC_CUSTOM_TEST)));
    editor.Click(IDC_CUSTOM_TEST);
    EXPECT_EQ(link.table[0x66C5], 0xFF);
    EXPECT_TRUE(link.queue.empty());
    editor.Click(IDOK);
    EXPECT_EQ(editor.Result(), IDOK);
    EXPECT_EQ(ActionText(editor.Action()), "Set,0x66C5,1,255");
}

} // namespace
} // namespace orvex::actions::win32
