// The general setup: section "GeneralSetup" of Orvex.ini, one property per
// key, read at start, written when a dialog confirms or the main window
// closes.
#pragma once

#include "config/ini_store.h"
#include "config/number_text.h"
#include "config/user_messages.h"

#include <array>
#include <cstdint>
#include <string>

namespace orvex::config {

// Starts the program at logon or stops doing so (the registry's Run key on
// Windows). Returns an empty text on success, else the error to show.
class IAutostart {
public:
    virtual ~IAutostart() = default;
    virtual std::string Apply(bool enabled) = 0;
};

inline constexpr const char* kGeneralSetupSection = "GeneralSetup";

class cSetupHolder {
public:
    // Keys of the section, in the order of the properties.
    enum Item : int {
        kAutoStart, kAutoQuit, kManualProfile, kLoadWithoutPanels,
        kOrvexPriority, kRelayboxPriority, kOrvexAffinity, kRelayboxAffinity,
        kClickThreshold, kEngineStarterMode,
        kSetupFormTop, kSetupFormLeft, kGetKeysFormTop, kGetKeysFormLeft,
        kProfilesFormTop, kProfilesFormLeft, kAircraftFormTop, kAircraftFormLeft,
        kProfileNameFormTop, kProfileNameFormLeft, kProfileImportFormTop, kProfileImportFormLeft,
        kGeneralSetupFormTop, kGeneralSetupFormLeft, kMainFormTop, kMainFormLeft,
        kSplash,
        kItemCount
    };
    static const char* KeyName(Item item);

    // iniPath is the full path of Orvex.ini. autostart, messages and badValues
    // may be null (then autostart is not applied / nothing is reported).
    cSetupHolder(IIniStore& store, std::string iniPath, IAutostart* autostart = nullptr,
                 IUserMessages* messages = nullptr, IBadValueSink* badValues = nullptr, NumberLocale locale = {});

    void LoadDefaults();
    // LoadDefaults, then the values of the file. A key whose value is not a
    // number (or does not fit) keeps its default and is reported.
    void LoadSetup();
    // Writes every property (defaults deleted, "Splash" never written) and
    // applies AutoStart. False when the file could not be written or the
    // autostart could not be applied (the user has been told of each); the
    // one does not keep the other from being done.
    bool SaveSetup();

    bool AutoStart() const { return values_[kAutoStart] != 0; }
    void AutoStart(bool v) { values_[kAutoStart] = v; }
    bool AutoQuit() const { return values_[kAutoQuit] != 0; }
    void AutoQuit(bool v) { values_[kAutoQuit] = v; }
    bool ManualProfile() const { return values_[kManualProfile] != 0; }
    void ManualProfile(bool v) { values_[kManualProfile] = v; }
    bool LoadWithoutPanels() const { return values_[kLoadWithoutPanels] != 0; }
    void LoadWithoutPanels(bool v) { values_[kLoadWithoutPanels] = v; }
    std::int32_t OrvexPriority() const { return values_[kOrvexPriority]; }
    void OrvexPriority(std::int32_t v) { values_[kOrvexPriority] = v; }
    std::int32_t RelayboxPriority() const { return values_[kRelayboxPriority]; }
    void RelayboxPriority(std::int32_t v) { values_[kRelayboxPriority] = v; }
    std::int32_t OrvexAffinity() const { return values_[kOrvexAffinity]; }
    void OrvexAffinity(std::int32_t v) { values_[kOrvexAffinity] = v; }
    std::int32_t RelayboxAffinity() const { return values_[kRelayboxAffinity]; }
    void RelayboxAffinity(std::int32_t v) { values_[kRelayboxAffinity] = v; }
    std::int32_t ClickThreshold() const { return values_[kClickThreshold]; }
    void ClickThreshold(std::int32_t v) { values_[kClickThreshold] = v; }
    std::uint8_t EngineStarterMode() const { return static_cast<std::uint8_t>(values_[kEngineStarterMode]); }
    void EngineStarterMode(std::uint8_t v) { values_[kEngineStarterMode] = v; }
    std::int32_t SetupFormTop() const { return values_[kSetupFormTop]; }
    void SetupFormTop(std::int32_t v) { values_[kSetupFormTop] = v; }
    std::int32_t SetupFormLeft() const { return values_[kSetupFormLeft]; }
    void SetupFormLeft(std::int32_t v) { values_[kSetupFormLeft] = v; }
    std::int32_t GetKeysFormTop() const { return values_[kGetKeysFormTop]; }
    void GetKeysFormTop(std::int32_t v) { values_[kGetKeysFormTop] = v; }
    std::int32_t GetKeysFormLeft() const { return values_[kGetKeysFormLeft]; }
    void GetKeysFormLeft(std::int32_t v) { values_[kGetKeysFormLeft] = v; }
    std::int32_t ProfilesFormTop() const { return values_[kProfilesFormTop]; }
    void ProfilesFormTop(std::int32_t v) { values_[kProfilesFormTop] = v; }
    std::int32_t ProfilesFormLeft() const { return values_[kProfilesFormLeft]; }
    void ProfilesFormLeft(std::int32_t v) { values_[kProfilesFormLeft] = v; }
    std::int32_t AircraftFormTop() const { return values_[kAircraftFormTop]; }
    void AircraftFormTop(std::int32_t v) { values_[kAircraftFormTop] = v; }
    std::int32_t AircraftFormLeft() const { return values_[kAircraftFormLeft]; }
    void AircraftFormLeft(std::int32_t v) { values_[kAircraftFormLeft] = v; }
    std::int32_t ProfileNameFormTop() const { return values_[kProfileNameFormTop]; }
    void ProfileNameFormTop(std::int32_t v) { values_[kProfileNameFormTop] = v; }
    std::int32_t ProfileNameFormLeft() const { return values_[kProfileNameFormLeft]; }
    void ProfileNameFormLeft(std::int32_t v) { values_[kProfileNameFormLeft] = v; }
    std::int32_t ProfileImportFormTop() const { return values_[kProfileImportFormTop]; }
    void ProfileImportFormTop(std::int32_t v) { values_[kProfileImportFormTop] = v; }
    std::int32_t ProfileImportFormLeft() const { return values_[kProfileImportFormLeft]; }
    void ProfileImportFormLeft(std::int32_t v) { values_[kProfileImportFormLeft] = v; }
    std::int32_t GeneralSetupFormTop() const { return values_[kGeneralSetupFormTop]; }
    void GeneralSetupFormTop(std::int32_t v) { values_[kGeneralSetupFormTop] = v; }
    std::int32_t GeneralSetupFormLeft() const { return values_[kGeneralSetupFormLeft]; }
    void GeneralSetupFormLeft(std::int32_t v) { values_[kGeneralSetupFormLeft] = v; }
    std::int32_t MainFormTop() const { return values_[kMainFormTop]; }
    void MainFormTop(std::int32_t v) { values_[kMainFormTop] = v; }
    std::int32_t MainFormLeft() const { return values_[kMainFormLeft]; }
    void MainFormLeft(std::int32_t v) { values_[kMainFormLeft] = v; }
    bool Splash() const { return values_[kSplash] != 0; }
    void Splash(bool v) { values_[kSplash] = v; }

    // Generic access by item (booleans as 0/1), for dialogs and tests.
    std::int32_t Get(Item item) const { return values_[item]; }
    void Set(Item item, std::int32_t value) { values_[item] = value; }

    const std::string& IniPath() const { return iniPath_; }

private:
    IIniStore& store_;
    std::string iniPath_;
    IAutostart* autostart_;
    IUserMessages* messages_;
    IBadValueSink* badValues_;
    NumberLocale locale_;
    std::array<std::int32_t, kItemCount> values_{};
};

} // namespace orvex::config
