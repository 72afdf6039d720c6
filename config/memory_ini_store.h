// An INI store held in memory, following the rules of the Windows profile
// functions closely enough for the configuration code: names match without
// regard to case, sections and keys keep file order, new keys go to the end
// of their section, values are trimmed of surrounding blanks on reading,
// lose one pair of surrounding quotes and are cut at kMaxValueLength
// characters. Used by the tests and the fuzz test.
#pragma once

#include "config/ini_store.h"
#include "config/text_util.h"

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace orvex::config {

class MemoryIniStore final : public IIniStore {
public:
    std::string ReadString(const std::string& path, const std::string& section, const std::string& key,
                           const std::string& defaultValue) override;
    std::vector<std::pair<std::string, std::string>> ReadSection(const std::string& path,
                                                                 const std::string& section) override;
    bool WriteString(const std::string& path, const std::string& section, const std::string& key,
                     const std::string& value) override;
    bool WriteSection(const std::string& path, const std::string& section,
                      const std::vector<std::pair<std::string, std::string>>& entries) override;
    bool DeleteKey(const std::string& path, const std::string& section, const std::string& key) override;
    bool DeleteSection(const std::string& path, const std::string& section) override;
    std::vector<std::string> SectionNames(const std::string& path) override;
    std::vector<std::string> KeyNames(const std::string& path, const std::string& section) override;
    bool FileExists(const std::string& path) override;
    bool CanWrite(const std::string& path) override;
    bool MoveFileTo(const std::string& from, const std::string& to) override;
    bool DeleteFileAt(const std::string& path) override;

    // Replaces a file by the parse of an INI text ("[Section]" lines and
    // "key=value" lines; other lines are ignored; a NUL ends its line).
    void SetFileText(const std::string& path, const std::string& text);
    // The file as INI text, "\r\n" line ends, as the profile functions write it.
    std::string FileText(const std::string& path) const;
    void RemoveFile(const std::string& path);
    // A file (existing or not) that cannot be written: every change of it
    // fails and leaves it as it is.
    void SetReadOnly(const std::string& path, bool readOnly);

private:
    struct Section {
        std::string Name;
        std::vector<std::pair<std::string, std::string>> Keys;
    };
    using File = std::vector<Section>;

    File* Find(const std::string& path);
    static Section* FindSection(File& file, const std::string& name);
    // The section, created (and its file) when missing.
    Section* Created(const std::string& path, const std::string& name);

    bool ReadOnly(const std::string& path) const;
    // Removes a file from the map.
    void Forget(const std::string& path);

    std::map<std::string, File, LessNoCase> files_;     // paths match without regard to case
    std::set<std::string, LessNoCase> readOnly_;
    // The file Find found last, under the path it was asked for: nodes of
    // the map stay where they are until they are erased (see Forget).
    std::string lastPath_;
    File* lastFound_ = nullptr;
};

} // namespace orvex::config
