// The command stored for starting the program at logon. The program path is
// written in double quotes, so that a path with blanks cannot be taken for a
// shorter program path followed by arguments; a value written unquoted by
// older versions is still understood.
#pragma once

#include <string>
#include <string_view>

namespace orvex::config {

inline constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* kRunValue = "ORVEX";

// Program folder + "\Orvex.exe".
std::string ProgramPath(std::string_view programFolder);
// The path in double quotes.
std::string AutostartCommand(std::string_view programPath);
// The program path of a stored command, quoted or not (blanks around it and
// the quotes removed).
std::string AutostartProgramPath(std::string_view command);

} // namespace orvex::config
