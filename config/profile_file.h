// The profile file a panel's setup belongs to. A panel loads its section
// from the file of the profile in use and saves it back to that same file,
// even when the profile in use changed in between (a new aircraft while the
// panel's setup dialog was open). A save goes through an IniSave: a file
// that cannot be written is left as it is and the user is told once.
//
//     const std::string& path = file_.Load();        // read the section there
//     file_.Save([&](IIniStore& store, const std::string& path) { ... });
#pragma once

#include "config/configuration.h"
#include "config/ini_save.h"

#include <string>

namespace orvex::config {

class ProfileFile {
public:
    explicit ProfileFile(cConfiguration& configuration) : configuration_(configuration) {}

    // The file of the profile in use, remembered as the one loaded.
    const std::string& Load() {
        loaded_ = configuration_.ProfilePath(configuration_.CurrentProfile);
        return loaded_;
    }
    // The file last loaded; the profile in use before any load.
    std::string Path() const {
        return loaded_.empty() ? configuration_.ProfilePath(configuration_.CurrentProfile) : loaded_;
    }
    // Runs write(store, path) on the file last loaded, every change through
    // one IniSave. False, the user told, when the file could not be written.
    template <class Write>
    bool Save(Write&& write) {
        IniSave save(configuration_.Store());
        write(static_cast<IIniStore&>(save), Path());
        return save.Finish(&configuration_.Messages());
    }

private:
    cConfiguration& configuration_;
    std::string loaded_;
};

} // namespace orvex::config
