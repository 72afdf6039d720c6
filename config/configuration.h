// The configuration model of the program: the general setup, the profile
// list, the known aircraft and their profiles, the profile in use and its
// special mode. One object, created at start with the program folder, lives
// until exit; every file it touches is in that folder.
#pragma once

#include "config/ini_store.h"
#include "config/number_text.h"
#include "config/setup_holder.h"
#include "config/text_util.h"
#include "config/user_messages.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace orvex::config {

inline constexpr const char* kDefaultProfile = "Default";
inline constexpr const char* kProfilesSection = "Profiles";
inline constexpr const char* kAircraftsSection = "Aircrafts";
// Aircraft titles that cannot stand as an INI key as they are, under an
// escaped key (see EscapedTitle).
inline constexpr const char* kAircraftTitlesSection = "AircraftTitles";
inline constexpr const char* kCommonSection = "Common";
inline constexpr const char* kSpecialModeKey = "SpecialMode";

enum class ConversionResult {
    NotNeeded,  // no Orvex.ini, or not of the old layout
    Converted,  // Orvex.ini is now Default.ini
    Cancelled,  // the user declined: the program ends, no file was touched
    Failed,     // a file could not be moved; the user has been told, nothing was lost
};

class cConfiguration {
public:
    // programFolder: the folder of the running executable (with or without a
    // trailing backslash).
    cConfiguration(IIniStore& store, std::string programFolder, IUserMessages& messages,
                   IAutostart* autostart = nullptr, NumberLocale locale = {});
    cConfiguration(const cConfiguration&) = delete;
    cConfiguration& operator=(const cConfiguration&) = delete;

    // Start-up, first half: LoadSetup and SpecialMode 0 (process priority and
    // affinity are applied by the caller in between).
    void BeginStartUp();
    // Second half: ConvertOldConfiguration, the two lists, CurrentProfile
    // "Default". False when the user cancelled the conversion: end the program.
    bool FinishStartUp();

    // Paths.
    const std::string& ProgramFolder() const { return folder_; }
    std::string IniPath() const;                                   // Orvex.ini
    // name + ".ini"; a name that cannot name a profile file (see
    // IsUsableProfileName) gives the file of "Default" instead, so that it is
    // never used as a path.
    std::string ProfilePath(const std::string& profileName) const;

    // The lists, kept in Orvex.ini.
    void LoadProfilesList();
    void LoadAircraftsList();
    void SaveProfilesList();
    void SaveAircraftsList();
    std::int32_t ProfileIndex(const std::string& name) const; // 1-based, -1 when absent
    bool IsNewProfileName(const std::string& name) const;
    static bool IsValidProfileName(const std::string& name);
    // Whether a name may name a profile file: not the program's own
    // Orvex.ini, no path (separators, "..", a drive), no character a file
    // name cannot hold, no device name (CON, COM1...). The dialogs accept
    // fewer names still; this guards names read from a hand-edited file.
    static bool IsUsableProfileName(const std::string& name);
    // Whether the name is that of the program's own settings file.
    static bool IsProgramFileName(const std::string& name);
    // The names Windows gives to devices (CON, NUL, COM1...), also with
    // anything after a dot: they cannot name a file.
    static bool IsDeviceName(const std::string& name);
    // Profile names of the list that cannot be used: kept in the file, not
    // offered and never used as a path.
    const std::vector<std::string>& UnusableProfiles() const { return unusableProfiles_; }

    // Aircraft titles as keys of the aircraft list. A title that cannot be
    // an INI key as it is ("=" in it, "[" or ";" first, blanks at either
    // end) is kept in the section "AircraftTitles" under an escaped key:
    // "%" followed by two hex digits stands for a character. That section
    // is new, so every older file reads as before.
    static bool TitleFitsAsKey(const std::string& title);
    static std::string EscapedTitle(const std::string& title);
    static std::string UnescapedTitle(const std::string& key);
    bool IsKnownAircraft(const std::string& title) const;
    std::string GetAircraftProfile(const std::string& title) const;
    // Inserts a profile name before "Default" (nothing when already listed).
    void AddProfile(const std::string& name);
    // Appends an aircraft with its profile, or rebinds a known one.
    void BindAircraft(const std::string& title, const std::string& profile);

    ConversionResult ConvertOldConfiguration();

    // Reads "Common"/"SpecialMode" of the profile in use into SpecialMode.
    // The panels' own sections are loaded by their configuration objects.
    void LoadCurrentProfileCommon();
    // 0 standard, 1 "MADDOG", 2 "NGX": the [Common] "SpecialMode" of a profile file.
    static std::uint8_t ReadSpecialMode(IIniStore& store, const std::string& profilePath);

    cSetupHolder& Setup() { return setup_; }
    IIniStore& Store() { return store_; }
    IUserMessages& Messages() { return messages_; }
    IBadValueSink& BadValues() { return reporter_; }
    NumberLocale Locale() const { return locale_; }

    // The model itself.
    std::vector<std::string> colProfiles;   // "Default" always last
    std::vector<std::string> colAircrafts;  // file order
    std::map<std::string, std::string, LessNoCase> colAircraftProfiles;
    std::string CurrentProfile = kDefaultProfile;
    std::uint8_t SpecialMode = 0; // 0 none, 1 MD-80 ("maddog"), 2 737NGX ("ngx")

    static const char* ConversionTitle();
    static std::string ConversionQuestion();

private:
    // A line of the aircraft list the loader takes: the title it gives and
    // where it stands.
    struct AircraftLine {
        std::string Title, Section, Key;
    };
    // The lines the loader takes from the file, in the order it takes
    // them: each title once, from its first line in any letter case.
    std::vector<AircraftLine> TakenAircraftLines() const;
    // The names the loader takes from the keys of the profile list, in file
    // order: each name once (its first spelling), without "Default" and
    // empty names; names that cannot name a profile file go to `unusable`
    // instead, once each.
    static std::vector<std::string> TakenProfileNames(const std::vector<std::string>& keys,
                                                      std::vector<std::string>& unusable);

    IIniStore& store_;
    std::string folder_;
    IUserMessages& messages_;
    NumberLocale locale_;
    BadValueReporter reporter_;
    cSetupHolder setup_;
    std::vector<std::string> unusableProfiles_;
    std::vector<std::string> unusableReported_;  // told once for the life of the program
};

} // namespace orvex::config
