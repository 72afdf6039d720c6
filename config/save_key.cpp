#include "config/save_key.h"

#include "config/text_util.h"

#include <algorithm>

namespace orvex::config {

namespace {

// A default no value can equal (a value never holds a line break): what
// ReadString gives when no line of the name exists in any case.
constexpr const char* kAbsent = "\n";

bool HasExactKey(IIniStore& store, const std::string& path, const std::string& section, const std::string& key) {
    const auto names = store.KeyNames(path, section);
    return std::find(names.begin(), names.end(), key) != names.end();
}

std::size_t KeysOfAnyCase(IIniStore& store, const std::string& path, const std::string& section,
                          const std::string& key) {
    const auto names = store.KeyNames(path, section);
    return static_cast<std::size_t>(
        std::count_if(names.begin(), names.end(), [&](const std::string& n) { return EqualsNoCase(n, key); }));
}

} // namespace

bool SaveKey(IIniStore& store, const std::string& path, const std::string& section, const std::string& key,
             const std::optional<std::string>& text, bool isDefault, const ReadSeenText& read) {
    // What the loader would read: the store's value of the key (the first
    // line of the name in any case), but only when a line carries the
    // exact name.
    const auto seen = [&]() -> std::optional<SeenText> {
        const std::string value = store.ReadString(path, section, key, kAbsent);
        if (value == kAbsent || !HasExactKey(store, path, section, key)) return std::nullopt;
        return read(value);
    };
    std::optional<SeenText> now = seen();
    // A text the loader cannot read stays while the value is its fallback.
    if (now == SeenText::Unreadable && isDefault) return true;

    if (!text) {
        if (!now) return true;  // no line the loader reads: nothing to delete
        // The store deletes the first line of the name in any case: go on
        // until the loader sees no line it reads.
        for (std::size_t lines = KeysOfAnyCase(store, path, section, key); now && lines > 0; --lines) {
            if (!store.DeleteKey(path, section, key)) return false;
            now = seen();
            if (now == SeenText::Unreadable) return true;
        }
        return true;
    }
    // A line of the name in another case would take the value and keep its
    // own spelling, which the loader does not see: it goes first.
    if (!now && store.ReadString(path, section, key, kAbsent) != kAbsent)
        for (std::size_t lines = KeysOfAnyCase(store, path, section, key); lines > 0; --lines)
            if (!store.DeleteKey(path, section, key)) return false;
    return store.WriteString(path, section, key, *text);
}

} // namespace orvex::config
