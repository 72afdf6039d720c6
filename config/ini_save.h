// One save of the program's settings to its INI files. Every change goes
// through this store, which forwards it and notes the first one that fails:
//  - before the first change of a file, the file is checked to be writable
//    (a read-only file or folder is found before anything is touched);
//  - after a failure nothing more is written, so a save is never left half
//    done (a list deleted but not written again);
// Finish tells the user once, naming the file, when the save failed.
//
//     IniSave save(store);
//     save.WriteString(path, "Section", "Key", "value");
//     save.Finish(messages);
#pragma once

#include "config/ini_store.h"
#include "config/user_messages.h"

#include <set>
#include <string>
#include <vector>

namespace orvex::config {

class IniSave final : public IIniStore {
public:
    explicit IniSave(IIniStore& store) : store_(store) {}
    IniSave(const IniSave&) = delete;
    IniSave& operator=(const IniSave&) = delete;

    bool Ok() const { return failedPath_.empty(); }
    // The file whose change failed ("" while none did).
    const std::string& FailedPath() const { return failedPath_; }
    // Shows the failure (when there was one) and returns Ok().
    bool Finish(IUserMessages* messages) const;

    // IIniStore: reads go straight to the store; changes as described above.
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

private:
    // Whether a change of `path` may go ahead: none has failed and the file
    // can be written.
    bool Begin(const std::string& path);
    bool Note(const std::string& path, bool ok);

    IIniStore& store_;
    std::set<std::string> writable_;  // files checked, lower-cased
    std::string failedPath_;
};

// The message of a save that failed.
std::string SaveFailedText(const std::string& path);

} // namespace orvex::config
