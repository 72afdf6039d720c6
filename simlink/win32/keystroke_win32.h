// Synthesised keystrokes through SendInput.
#pragma once

#include <cstdint>

namespace orvex::simlink {

// Sends KeyCode with the qualifiers of `Qualifiers` (1 Shift, 2 Ctrl, 4 Tab)
// held around it, all records in one SendInput call, to the window that has
// the keyboard focus; then lets pending window messages run once. The
// SendInput result is not checked.
void SendKeystroke(uint8_t KeyCode, uint8_t Qualifiers);

} // namespace orvex::simlink
