#include "actions/win32/sim_action_target.h"

#include "simlink/sim_commands.h"
#include "simlink/win32/keystroke_win32.h"

namespace orvex::actions::win32 {

void SimActionTarget::SetVirtualButton(uint8_t joystick, uint8_t button, bool pressed, bool immediate) {
    simlink::SetVirtualButton(link_, joystick, button, pressed, immediate);
}

void SimActionTarget::SendKeystroke(uint8_t keyCode, uint8_t qualifiers) {
    simlink::SendKeystroke(keyCode, qualifiers);
}

} // namespace orvex::actions::win32
