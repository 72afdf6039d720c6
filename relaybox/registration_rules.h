// What registration writes and removes, by the rights it runs with. COM
// ignores the user's own class registrations for a process above medium
// integrity, so an elevated Orvex needs the machine's keys; and a machine
// registration may belong to another copy of the server, which only its
// own unregistration may remove.
#pragma once

#include <cctype>
#include <string>

namespace orvex::relaybox {

struct RegistrationPlan {
    bool typeLibForMachine;  // the machine's type-library keys, else the user's
    bool machineKeys;        // write the classes and interfaces machine-wide
    bool machineRequired;    // failing to write them fails the registration
};

// `elevated`: the registering process has an administrator's full token;
// `wine`: COM reads only the machine's classes. The user's keys are always
// written.
inline RegistrationPlan PlanRegistration(bool elevated, bool wine) {
    return RegistrationPlan{elevated, elevated || wine, elevated};
}

// Whether a class's LocalServer32 text names the server at `executable`:
// quotes and letter case aside, the same path.
inline bool IsThisServer(const std::string& localServer32, const std::string& executable) {
    auto plain = [](const std::string& text) {
        std::string out;
        for (char c : text)
            if (c != '"') out.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
        while (!out.empty() && out.back() == ' ') out.pop_back();
        while (!out.empty() && out.front() == ' ') out.erase(out.begin());
        return out;
    };
    return !executable.empty() && plain(localServer32) == plain(executable);
}

} // namespace orvex::relaybox
