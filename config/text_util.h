// Small text helpers shared by the configuration code.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orvex::config {

std::string ToLowerAscii(std::string_view text);
bool EqualsNoCase(std::string_view a, std::string_view b);

// Ordering without regard to (ASCII) case, for maps keyed like INI names.
struct LessNoCase {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const;
};

// Splits at every separator; an empty text gives one empty item.
std::vector<std::string_view> SplitAll(std::string_view text, char separator);

// Splits a NUL-separated list where every name is followed by a NUL, as the
// profile functions return it. keepEmpty keeps empty names (two NULs in a row).
std::vector<std::string> SplitNulList(std::string_view list, bool keepEmpty);

// The text without blanks and tabs at either end.
std::string TrimBlanks(std::string_view text);

// Folder + "\" + file name, without doubling a trailing backslash.
std::string JoinPath(std::string_view folder, std::string_view fileName);

} // namespace orvex::config
