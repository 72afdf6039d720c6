#include "config/text_util.h"

#include "config/ini_store.h"

#include <algorithm>

namespace orvex::config {

namespace {
char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
} // namespace

std::string ToLowerAscii(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), LowerAscii);
    return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

bool LessNoCase::operator()(std::string_view a, std::string_view b) const {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(LowerAscii(x)) < static_cast<unsigned char>(LowerAscii(y));
    });
}

std::vector<std::string_view> SplitAll(std::string_view text, char separator) {
    std::vector<std::string_view> items;
    std::size_t start = 0;
    for (;;) {
        const std::size_t p = text.find(separator, start);
        if (p == std::string_view::npos) {
            items.push_back(text.substr(start));
            return items;
        }
        items.push_back(text.substr(start, p - start));
        start = p + 1;
    }
}

std::vector<std::string> SplitNulList(std::string_view list, bool keepEmpty) {
    std::vector<std::string> names;
    std::size_t start = 0;
    std::size_t p;
    while ((p = list.find('\0', start)) != std::string_view::npos) {
        if (p > start || keepEmpty) names.emplace_back(list.substr(start, p - start));
        start = p + 1;
    }
    return names;
}

std::string JoinPath(std::string_view folder, std::string_view fileName) {
    std::string path(folder);
    if (path.empty() || (path.back() != '\\' && path.back() != '/')) path += '\\';
    path += fileName;
    return path;
}

std::string WithoutNul(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '\0'), text.end());
    return text;
}

std::string TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return std::string(text);
}

} // namespace orvex::config
