#include "config/memory_ini_store.h"

#include "config/text_util.h"

#include <algorithm>

namespace orvex::config {

namespace {

std::string_view Trim(std::string_view t) {
    while (!t.empty() && (t.front() == ' ' || t.front() == '\t')) t.remove_prefix(1);
    while (!t.empty() && (t.back() == ' ' || t.back() == '\t' || t.back() == '\r')) t.remove_suffix(1);
    return t;
}

std::string Cut(std::string_view t) { return std::string(t.substr(0, std::min(t.size(), kMaxValueLength))); }

// One pair of matching quotes around a value goes, as the profile functions
// take it.
std::string_view Unquoted(std::string_view t) {
    if (t.size() >= 2 && (t.front() == '"' || t.front() == '\'') && t.back() == t.front()) return t.substr(1, t.size() - 2);
    return t;
}

} // namespace

MemoryIniStore::File* MemoryIniStore::Find(const std::string& path) {
    // A run of calls names one file: the one found last is checked first.
    if (lastFound_ && lastPath_ == path) return lastFound_;
    auto it = files_.find(path);
    if (it == files_.end()) return nullptr;
    lastPath_ = path;
    lastFound_ = &it->second;
    return lastFound_;
}

void MemoryIniStore::Forget(const std::string& path) {
    files_.erase(path);
    lastFound_ = nullptr;
}

MemoryIniStore::Section* MemoryIniStore::FindSection(File& file, const std::string& name) {
    for (auto& s : file)
        if (EqualsNoCase(s.Name, name)) return &s;
    return nullptr;
}

std::string MemoryIniStore::ReadString(const std::string& path, const std::string& section, const std::string& key,
                                       const std::string& defaultValue) {
    if (File* f = Find(path))
        if (Section* s = FindSection(*f, section))
            for (auto& [k, v] : s->Keys)
                if (EqualsNoCase(k, key)) return Cut(Unquoted(Trim(v)));
    return Cut(defaultValue);
}

std::vector<std::pair<std::string, std::string>> MemoryIniStore::ReadSection(const std::string& path,
                                                                             const std::string& section) {
    std::vector<std::pair<std::string, std::string>> entries;
    if (File* f = Find(path))
        if (Section* s = FindSection(*f, section))
            for (auto& [k, v] : s->Keys) entries.emplace_back(k, std::string(Trim(v)));
    return entries;
}

bool MemoryIniStore::WriteSection(const std::string& path, const std::string& section,
                                  const std::vector<std::pair<std::string, std::string>>& entries) {
    if (ReadOnly(path)) return false;
    Section* s = Created(path, section);
    s->Keys.clear();
    for (const auto& [k, v] : entries) s->Keys.emplace_back(k, WithoutNul(v));
    return true;
}

MemoryIniStore::Section* MemoryIniStore::Created(const std::string& path, const std::string& name) {
    File& f = files_[path];
    if (Section* s = FindSection(f, name)) return s;
    f.push_back(Section{name, {}});
    return &f.back();
}

bool MemoryIniStore::CanWrite(const std::string& path) { return !ReadOnly(path); }

bool MemoryIniStore::ReadOnly(const std::string& path) const { return readOnly_.count(path) != 0; }

void MemoryIniStore::SetReadOnly(const std::string& path, bool readOnly) {
    if (readOnly) readOnly_.insert(path);
    else readOnly_.erase(path);
}

bool MemoryIniStore::WriteString(const std::string& path, const std::string& section, const std::string& key,
                                 const std::string& value) {
    if (ReadOnly(path)) return false;
    Section* s = Created(path, section);
    const std::string clean = WithoutNul(value);
    for (auto& [k, v] : s->Keys)
        if (EqualsNoCase(k, key)) {
            v = clean;
            return true;
        }
    s->Keys.emplace_back(key, clean);
    return true;
}

bool MemoryIniStore::DeleteKey(const std::string& path, const std::string& section, const std::string& key) {
    if (ReadOnly(path)) return false;
    if (File* f = Find(path))
        if (Section* s = FindSection(*f, section)) {
            auto it = std::find_if(s->Keys.begin(), s->Keys.end(),
                                   [&](const auto& kv) { return EqualsNoCase(kv.first, key); });
            if (it != s->Keys.end()) s->Keys.erase(it);
        }
    return true;
}

bool MemoryIniStore::DeleteSection(const std::string& path, const std::string& section) {
    if (ReadOnly(path)) return false;
    if (File* f = Find(path))
        f->erase(std::remove_if(f->begin(), f->end(), [&](const Section& s) { return EqualsNoCase(s.Name, section); }),
                 f->end());
    return true;
}

std::vector<std::string> MemoryIniStore::SectionNames(const std::string& path) {
    std::vector<std::string> names;
    if (File* f = Find(path))
        for (auto& s : *f) names.push_back(s.Name);
    return names;
}

std::vector<std::string> MemoryIniStore::KeyNames(const std::string& path, const std::string& section) {
    std::vector<std::string> names;
    if (File* f = Find(path))
        if (Section* s = FindSection(*f, section))
            for (auto& kv : s->Keys) names.push_back(kv.first);
    return names;
}

bool MemoryIniStore::FileExists(const std::string& path) { return Find(path) != nullptr; }

bool MemoryIniStore::MoveFileTo(const std::string& from, const std::string& to) {
    File* f = Find(from);
    if (!f || Find(to) || ReadOnly(from)) return false;
    File moved = std::move(*f);
    Forget(from);
    files_[to] = std::move(moved);
    return true;
}

bool MemoryIniStore::DeleteFileAt(const std::string& path) {
    if (ReadOnly(path) || !Find(path)) return false;
    Forget(path);
    return true;
}

void MemoryIniStore::SetFileText(const std::string& path, const std::string& text) {
    File file;
    Section* current = nullptr;
    for (std::string_view line : SplitAll(text, '\n')) {
        // The profile functions hand out C strings: a NUL ends what they
        // read of a line.
        line = Trim(line.substr(0, line.find('\0')));
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            const std::size_t close = line.find(']');
            const std::string name(Trim(line.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1)));
            current = FindSection(file, name);
            if (!current) {
                file.push_back(Section{name, {}});
                current = &file.back();
            }
            continue;
        }
        const std::size_t eq = line.find('=');
        if (!current || eq == std::string_view::npos) continue;
        current->Keys.emplace_back(std::string(Trim(line.substr(0, eq))), std::string(Trim(line.substr(eq + 1))));
    }
    files_[path] = std::move(file);
}

std::string MemoryIniStore::FileText(const std::string& path) const {
    std::string out;
    auto it = files_.find(path);
    if (it == files_.end()) return out;
    for (const auto& s : it->second) {
        out += "[" + s.Name + "]\r\n";
        for (const auto& [k, v] : s.Keys) out += k + "=" + v + "\r\n";
    }
    return out;
}

void MemoryIniStore::RemoveFile(const std::string& path) { Forget(path); }

} // namespace orvex::config
