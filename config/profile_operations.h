// What the profile dialogs do to the profile model and the files, without
// any window: checking a new profile name, deleting a profile, a profile's
// special mode, binding an aircraft, importing sections from one profile
// file into another. The dialogs only show the messages and lists.
#pragma once

#include "config/configuration.h"
#include "config/ini_store.h"

#include <cstdint>
#include <string>
#include <vector>

namespace orvex::config {

// Texts shown by the profile dialogs.
inline constexpr const char* kImportMessageTitle = "Orvex";
inline constexpr const char* kNotLettersAndNumbersText = "Only letters and numbers are admitted in profiles names";
inline constexpr const char* kNameInUseText = "Profile name already in use.";
inline constexpr const char* kReservedNameText =
    "This name is reserved by Windows for a device and cannot be used as a profile name.";
inline constexpr const char* kProgramFileNameText =
    "This name is the name of Orvex's own settings file (Orvex.ini) and cannot be used as a profile name.";
inline constexpr const char* kNoProfileSelectedText = "No profile is currently selected";
inline constexpr const char* kProfileBoundText =
    "The selected profile is bound to at list one Aircraft. You can't delete a profile bound.";
inline constexpr const char* kProfileInUseText =
    "The selected profile is currently in use. You can't delete the profile in use.";
inline constexpr const char* kDefaultProfileText =
    "The profile \"Default\" can't be deleted: it is the profile of every new aircraft and its file would be lost.";
inline constexpr const char* kConfirmDeleteText = "Are you sure you want to delete this profile ?";
inline constexpr const char* kNoSectionsText = "The selected profile has not sections to import";
inline constexpr const char* kNoSectionSelectedText =
    "You have selected no sections. Please select at least one section before proceeding";
inline constexpr const char* kImportDoneText = "Import successfully completed !";

// A message for the user: its text and its icon (critical, information, or
// else the warning icon).
struct ProfileMessage {
    std::string Text;
    bool Critical = false;
    bool Information = false;
};

// The listed profile that names the same file as `name`: the name itself
// when listed, else a listed name differing only in letter case ("" when
// none). Windows file names ignore case, so "b2" and "B2" are one profile.
std::string ListedProfileSameFile(const cConfiguration& config, const std::string& name);

// True for the names Windows gives to devices (CON, NUL, COM1...), which
// cannot name a profile file.
bool IsReservedDeviceName(const std::string& name);

enum class NameCheck { Accepted, NotLettersAndNumbers, Reserved, ProgramFile, InUse };
// The name typed for a new profile. An empty name is accepted (and adds
// nothing).
NameCheck CheckNewProfileName(const cConfiguration& config, const std::string& name);
// The message for a refused name (empty text for Accepted).
ProfileMessage NameCheckMessage(NameCheck check);

// Adds an accepted new name before "Default" and saves the profile list.
// False when nothing was added (empty or already listed).
bool AddNewProfile(cConfiguration& config, const std::string& name);

enum class DeleteCheck { Allowed, NoSelection, IsDefault, Bound, InUse };
// Whether the profile may be deleted ("" is no selection). Bindings and the
// profile in use are compared without regard to case (same file).
DeleteCheck CheckDeleteProfile(const cConfiguration& config, const std::string& name);
ProfileMessage DeleteCheckMessage(DeleteCheck check);

enum class DeleteResult { Deleted, FileNotDeleted, NotListed };
// Deletes an allowed profile: its file (when it exists), then its entry of
// the list, then saves the list. A file that cannot be deleted leaves the
// profile listed, so that its bindings are not hidden under a name that a
// later profile could take again.
DeleteResult DeleteProfile(cConfiguration& config, const std::string& name);
std::string DeleteFailedText(const std::string& path);

// The special mode stored in a profile file: 1 for "maddog", 2 for "ngx"
// (any case), else 0.
std::uint8_t ReadProfileSpecialMode(IIniStore& store, const std::string& profilePath);
// Stores mode 0 (key deleted), 1 ("MADDOG") or 2 ("NGX") in section "Common".
bool WriteProfileSpecialMode(IIniStore& store, const std::string& profilePath, int mode);

// The choice typed or picked for an aircraft.
struct AircraftChoice {
    bool Accepted = false;   // false: the text is refused, Message says why
    std::string Profile;     // the profile to bind ("" when the text was empty)
    bool Added = false;      // the profile was new and has been added to the list
    ProfileMessage Message;
};
// A listed name is bound as listed (also when typed in another letter case);
// another valid name is added before "Default". The caller saves the lists.
AircraftChoice ChooseAircraftProfile(cConfiguration& config, const std::string& text);

// Binds a known aircraft to another profile and saves both lists (the
// profile may just have been added).
void RebindAircraft(cConfiguration& config, const std::string& title, const std::string& profile);

// The sections of a profile file that can be imported, in file order.
std::vector<std::string> ImportableSections(IIniStore& store, const std::string& sourcePath);
// Replaces each named section of the target by the source's section, in the
// order given, every value copied exactly. False when the target could not
// be written (then nothing more is written).
bool ImportSections(IIniStore& store, const std::string& sourcePath, const std::string& targetPath,
                    const std::vector<std::string>& sections);
std::string ImportFailedText(const std::string& targetPath);

} // namespace orvex::config
