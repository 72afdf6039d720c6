#include "actions/win32/sim_action_target.h"

#include "simlink/sim_commands.h"
#include "simlink/win32/keystroke_win32.h"

#include <cstring>

namespace orvex::actions::win32 {

void SimActionTarget::SetVirtualButton(uint8_t joystick, uint8_t button, bool pressed, bool immediate) {
    simlink::SetVirtualButton(link_, joystick, button, pressed, immediate);
}

void SimActionTarget::SendKeystroke(uint8_t keyCode, uint8_t qualifiers) {
    simlink::SendKeystroke(keyCode, qualifiers);
}

void SimActionTarget::SendFsControl(std::int32_t control, std::int32_t parameter, bool immediate) {
    simlink::SendFsControl(link_, control, parameter);
    std::int32_t result = simlink::ResultOk;
    if (immediate) link_.LinkProcess(result);
}

bool SimActionTarget::ReadOffset(std::int32_t offset, std::int32_t size, std::uint64_t& value) {
    if (size < 1 || size > 8) return false;
    // The exchange also sends whatever was queued before it, in order, so
    // the value read follows every earlier write.
    std::uint8_t bytes[8] = {};
    std::int32_t result = simlink::ResultOk;
    if (!link_.LinkRead(offset, size, bytes, result)) return false;
    if (!link_.LinkProcess(result)) return false;
    std::uint64_t read = 0;
    std::memcpy(&read, bytes, 8); // little-endian, as FSUIPC and x86 are
    value = read;
    return true;
}

void SimActionTarget::WriteOffset(std::int32_t offset, std::int32_t size, std::uint64_t value, bool immediate) {
    if (size < 1 || size > 8) return;
    std::uint8_t bytes[8];
    std::memcpy(bytes, &value, 8);
    std::int32_t result = simlink::ResultOk;
    if (link_.LinkWrite(offset, size, bytes, result) && immediate) link_.LinkProcess(result);
}

} // namespace orvex::actions::win32
