// Small helpers shared by the Windows programs.
#pragma once

#include <string>

namespace orvex::win32 {

// Folder of the running executable, with a trailing backslash.
std::string ExecutableFolder();

// The text of a Win32 error number, without the trailing line break.
std::string ErrorText(unsigned long error);

} // namespace orvex::win32
