// Autostart through the current user's Run key: the value "ORVEX" holds the
// quoted program path while AutoStart is on and is removed when it is off.
#pragma once

#include "config/setup_holder.h"

#include <string>

namespace orvex::config::win32 {

class RegistryAutostart final : public IAutostart {
public:
    explicit RegistryAutostart(std::string programFolder) : folder_(std::move(programFolder)) {}

    // On: writes "\"<folder>\Orvex.exe\"" (REG_SZ). Off: deletes the value when
    // it exists and is not empty, in either the quoted or the old bare form.
    // Returns the registry error's text, or "" on success.
    std::string Apply(bool enabled) override;

    // The stored program path without quotes, "" when none is stored.
    static std::string StoredProgramPath();

private:
    std::string folder_;
};

} // namespace orvex::config::win32
