#include "simlink/win32/keystroke_win32.h"

#include "simlink/sim_commands.h"
#include "simlink/win32/wait_win32.h"

#include <windows.h>

#include <array>

namespace orvex::simlink {

void SendKeystroke(uint8_t KeyCode, uint8_t Qualifiers) {
    const KeySequence seq = BuildKeystroke(KeyCode, Qualifiers);
    std::array<INPUT, std::tuple_size_v<decltype(seq.records)>> inputs{};
    for (std::size_t i = 0; i < seq.count; ++i) {
        INPUT& in = inputs[i];
        in.type = INPUT_KEYBOARD;
        const uint8_t vk = seq.records[i].virtualKey;
        in.ki.wVk = vk;
        // Programs that read scan codes (simulators among them) need the
        // key's own; the extended flag tells the navigation keys from their
        // numeric-pad twins.
        in.ki.wScan = static_cast<WORD>(::MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
        in.ki.dwFlags = (seq.records[i].keyUp ? KEYEVENTF_KEYUP : 0u) | (IsExtendedKey(vk) ? KEYEVENTF_EXTENDEDKEY : 0u);
        in.ki.time = 0;
        in.ki.dwExtraInfo = 0;
    }
    // The record size is the platform's own (40 bytes on 64-bit Windows).
    ::SendInput(static_cast<UINT>(seq.count), inputs.data(), static_cast<int>(sizeof(INPUT)));
    DoEvents();
}

} // namespace orvex::simlink
