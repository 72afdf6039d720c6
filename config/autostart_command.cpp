#include "config/autostart_command.h"

#include "config/text_util.h"

namespace orvex::config {

std::string ProgramPath(std::string_view programFolder) { return JoinPath(programFolder, "Orvex.exe"); }

std::string AutostartCommand(std::string_view programPath) { return "\"" + std::string(programPath) + "\""; }

std::string AutostartProgramPath(std::string_view command) {
    while (!command.empty() && command.front() == ' ') command.remove_prefix(1);
    while (!command.empty() && command.back() == ' ') command.remove_suffix(1);
    if (!command.empty() && command.front() == '"') {
        command.remove_prefix(1);
        const std::size_t close = command.find('"');
        if (close != std::string_view::npos) command = command.substr(0, close);
    }
    return std::string(command);
}

} // namespace orvex::config
