#include "config/setup_holder.h"

#include "config/save_key.h"
#include "config/ini_save.h"

#include <optional>
#include <utility>

namespace orvex::config {

namespace {

enum class Type { Bool, Long, Byte, Splash };

struct ItemInfo {
    const char* Name;
    Type ValueType;
    std::int32_t Default;
};

constexpr ItemInfo kItems[cSetupHolder::kItemCount] = {
    {"AutoStart", Type::Bool, 0},
    {"AutoQuit", Type::Bool, 0},
    {"ManualProfile", Type::Bool, 0},
    {"LoadWithoutPanels", Type::Bool, 0},
    {"OrvexPriority", Type::Long, 32},        // normal priority class
    {"RelayboxPriority", Type::Long, 32768},  // above-normal priority class
    {"OrvexAffinity", Type::Long, -1},        // -1: the program chooses
    {"RelayboxAffinity", Type::Long, -1},
    {"ClickThreshold", Type::Long, 500},
    {"EngineStarterMode", Type::Byte, 0},
    {"SetupFormTop", Type::Long, 0},
    {"SetupFormLeft", Type::Long, 0},
    {"GetKeysFormTop", Type::Long, 0},
    {"GetKeysFormLeft", Type::Long, 0},
    {"ProfilesFormTop", Type::Long, 0},
    {"ProfilesFormLeft", Type::Long, 0},
    {"AircraftFormTop", Type::Long, 0},
    {"AircraftFormLeft", Type::Long, 0},
    {"ProfileNameFormTop", Type::Long, 0},
    {"ProfileNameFormLeft", Type::Long, 0},
    {"ProfileImportFormTop", Type::Long, 0},
    {"ProfileImportFormLeft", Type::Long, 0},
    {"GeneralSetupFormTop", Type::Long, 0},
    {"GeneralSetupFormLeft", Type::Long, 0},
    {"MainFormTop", Type::Long, 0},
    {"MainFormLeft", Type::Long, 0},
    {"Splash", Type::Splash, 1},
};

} // namespace

const char* cSetupHolder::KeyName(Item item) { return kItems[item].Name; }

cSetupHolder::cSetupHolder(IIniStore& store, std::string iniPath, IAutostart* autostart, IUserMessages* messages,
                           IBadValueSink* badValues, NumberLocale locale)
    : store_(store), iniPath_(std::move(iniPath)), autostart_(autostart), messages_(messages),
      badValues_(badValues), locale_(locale) {
    LoadDefaults();
}

void cSetupHolder::LoadDefaults() {
    for (int i = 0; i < kItemCount; ++i) values_[i] = kItems[i].Default;
}

// The value of an item's text; nothing when it does not convert.
static std::optional<std::int32_t> ReadItem(int item, const std::string& text, NumberLocale locale) {
    switch (kItems[item].ValueType) {
    case Type::Bool:
        if (auto n = ParseRoundedInteger(text, locale)) return (*n == 1) ? 1 : 0;
        return std::nullopt;
    case Type::Splash:
        if (auto n = ParseRoundedInteger(text, locale)) return (*n == 0) ? 0 : 1;
        return std::nullopt;
    case Type::Byte:
        if (auto n = ToByte(text, locale)) return *n;
        return std::nullopt;
    case Type::Long:
        return ToLong(text, locale);
    }
    return std::nullopt;
}

void cSetupHolder::LoadSetup() {
    LoadDefaults();
    for (const std::string& key : store_.KeyNames(iniPath_, kGeneralSetupSection)) {
        for (int i = 0; i < kItemCount; ++i) {
            if (key != kItems[i].Name) continue; // names of the table match exactly
            const std::string text = store_.ReadString(iniPath_, kGeneralSetupSection, key, "");
            const std::optional<std::int32_t> value = ReadItem(i, text, locale_);
            if (value) values_[i] = *value;
            else if (badValues_) badValues_->BadValue(iniPath_, kGeneralSetupSection, key, text);
            break;
        }
    }
}

bool cSetupHolder::SaveSetup() {
    // A key whose text did not convert stays while the value is still the
    // default it fell back to (see SaveKey). Every change goes through one
    // IniSave, which tells the user once when the file cannot be written.
    IniSave save(store_);
    auto writeOrDelete = [this, &save](Item item, bool write) {
        const std::int32_t value = values_[item];
        const bool isDefault = value == kItems[item].Default;
        SaveKey(save, iniPath_, kGeneralSetupSection, kItems[item].Name,
                write ? std::optional<std::string>(DecimalText(value)) : std::nullopt, isDefault,
                [&](const std::string& t) {
                    const auto loaded = ReadItem(item, t, locale_);
                    if (!loaded) return SeenText::Unreadable;
                    return *loaded == value ? SeenText::Same : SeenText::Different;
                });
    };
    bool ok = true;
    writeOrDelete(kAutoStart, AutoStart());
    if (autostart_) {
        const std::string error = autostart_->Apply(AutoStart());
        if (!error.empty()) {
            ok = false;
            if (messages_) messages_->Show(kMessageTitle, error, true);
        }
    }
    for (Item item : {kAutoQuit, kManualProfile, kLoadWithoutPanels}) writeOrDelete(item, values_[item] != 0);
    for (Item item : {kOrvexPriority, kOrvexAffinity, kRelayboxPriority, kRelayboxAffinity}) writeOrDelete(item, true);
    writeOrDelete(kClickThreshold, ClickThreshold() != 500);
    writeOrDelete(kEngineStarterMode, EngineStarterMode() != 0);
    for (int i = kSetupFormTop; i <= kMainFormLeft; ++i) {
        const auto item = static_cast<Item>(i);
        writeOrDelete(item, values_[item] != 0);
    }
    // "Splash" is never written: a hand-entered 0 survives every save.
    return save.Finish(messages_) && ok;
}

} // namespace orvex::config
