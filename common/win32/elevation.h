// Whether this process runs with an administrator's full token (started
// "as administrator", or with UAC off). Such a process runs at high
// integrity: lower processes cannot send it every message, COM ignores the
// user's own class registrations for it, and objects it creates get a
// default access list that lower processes cannot open.
#pragma once

namespace orvex::win32 {

// False when the token cannot be read.
bool ProcessElevated();

} // namespace orvex::win32
