#include "config/win32/autostart_win32.h"

#include "config/autostart_command.h"
#include "config/win32/registry.h"

namespace orvex::config::win32 {

namespace {

cRegistry RunValue() {
    cRegistry reg;
    reg.ValueType = REG_SZ;
    reg.ClassKey = HKEY_CURRENT_USER;
    reg.SectionKey = kRunKey;
    reg.ValueKey = kRunValue;
    return reg;
}

std::string ErrorMessage(const RegistryError& e) {
    return "Error " + std::to_string(e.Number) + " (" + e.Source + "): " + e.Description;
}

} // namespace

std::string RegistryAutostart::Apply(bool enabled) {
    cRegistry reg = RunValue();
    if (enabled) {
        if (!reg.Value(std::string(AutostartCommand(ProgramPath(folder_))))) return ErrorMessage(reg.LastError());
        return "";
    }
    if (!cRegistry::ToText(reg.Value()).empty() && !reg.DeleteValue()) return ErrorMessage(reg.LastError());
    return "";
}

std::string RegistryAutostart::StoredProgramPath() {
    cRegistry reg = RunValue();
    return AutostartProgramPath(cRegistry::ToText(reg.Value()));
}

} // namespace orvex::config::win32
