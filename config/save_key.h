// Saving one key of a section without losing what its loader could not
// read. The loaders take a key only when its name matches exactly (with
// case) and keep the default for a text they cannot read; the INI store
// matches names without regard to case. Writers delete a key whose value
// is the default, so that files hold only what differs; but a line whose
// text the loader could not read stays as the user wrote it for as long as
// the value is still the default the loader fell back to, and a line the
// loader does not see (a name in another case) is never taken for the key.
#pragma once

#include "config/ini_store.h"

#include <functional>
#include <optional>
#include <string>

namespace orvex::config {

// How the loader reads a key's text against the value being saved.
enum class SeenText { Unreadable, Same, Different };
using ReadSeenText = std::function<SeenText(const std::string& text)>;

// Saves one key: `text` is what to store, `isDefault` whether the value is
// the default (the one the loader falls back to); a default value is not
// stored unless `text` is given (keys written whatever their value). A key
// that is stored is written as `text`, under the exact name. False when a
// write or delete failed.
bool SaveKey(IIniStore& store, const std::string& path, const std::string& section, const std::string& key,
             const std::optional<std::string>& text, bool isDefault, const ReadSeenText& read);

// The common case of a value the loader reads with `read` (nothing for a
// text it does not take). The key is deleted for the default value, else
// written as `text`; `alwaysWritten` keeps a default value in the file.
template <class T, class Read>
bool SaveValueKey(IIniStore& store, const std::string& path, const std::string& section, const std::string& key,
                  T value, T defaultValue, const std::string& text, Read read, bool alwaysWritten = false) {
    const bool isDefault = value == defaultValue;
    return SaveKey(store, path, section, key,
                   isDefault && !alwaysWritten ? std::nullopt : std::optional<std::string>(text), isDefault,
                   [&](const std::string& seen) {
                       const auto loaded = read(seen);
                       if (!loaded) return SeenText::Unreadable;
                       return static_cast<T>(*loaded) == value ? SeenText::Same : SeenText::Different;
                   });
}

} // namespace orvex::config
