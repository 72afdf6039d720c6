#include "config/ini_save.h"

#include "config/text_util.h"

namespace orvex::config {

std::string SaveFailedText(const std::string& path) {
    return "The settings could not be saved: the file " + path +
           " cannot be written (it or its folder may be read-only).\r\n"
           "The file has been left as it was; your last changes will be lost when Orvex ends.";
}

bool IniSave::Finish(IUserMessages* messages) const {
    if (!Ok() && messages) messages->Show(kMessageTitle, SaveFailedText(failedPath_), true);
    return Ok();
}

bool IniSave::Begin(const std::string& path) {
    if (!Ok()) return false;
    const std::string key = ToLowerAscii(path);
    if (writable_.count(key) != 0) return true;
    if (!store_.CanWrite(path)) {
        failedPath_ = path;
        return false;
    }
    writable_.insert(key);
    return true;
}

bool IniSave::Note(const std::string& path, bool ok) {
    if (!ok && Ok()) failedPath_ = path;
    return ok;
}

std::string IniSave::ReadString(const std::string& path, const std::string& section, const std::string& key,
                                const std::string& defaultValue) {
    return store_.ReadString(path, section, key, defaultValue);
}

std::vector<std::pair<std::string, std::string>> IniSave::ReadSection(const std::string& path,
                                                                      const std::string& section) {
    return store_.ReadSection(path, section);
}

bool IniSave::WriteString(const std::string& path, const std::string& section, const std::string& key,
                          const std::string& value) {
    return Begin(path) && Note(path, store_.WriteString(path, section, key, value));
}

bool IniSave::WriteSection(const std::string& path, const std::string& section,
                           const std::vector<std::pair<std::string, std::string>>& entries) {
    return Begin(path) && Note(path, store_.WriteSection(path, section, entries));
}

// Deleting what is not there is reported as a failure by some systems and
// changes nothing, so a delete's result counts only through the check of
// the file made before it.
bool IniSave::DeleteKey(const std::string& path, const std::string& section, const std::string& key) {
    if (!Begin(path)) return false;
    store_.DeleteKey(path, section, key);
    return true;
}

bool IniSave::DeleteSection(const std::string& path, const std::string& section) {
    if (!Begin(path)) return false;
    store_.DeleteSection(path, section);
    return true;
}

std::vector<std::string> IniSave::SectionNames(const std::string& path) { return store_.SectionNames(path); }

std::vector<std::string> IniSave::KeyNames(const std::string& path, const std::string& section) {
    return store_.KeyNames(path, section);
}

bool IniSave::FileExists(const std::string& path) { return store_.FileExists(path); }

bool IniSave::CanWrite(const std::string& path) { return store_.CanWrite(path); }

bool IniSave::MoveFileTo(const std::string& from, const std::string& to) {
    return Begin(from) && Note(from, store_.MoveFileTo(from, to));
}

bool IniSave::DeleteFileAt(const std::string& path) {
    return Begin(path) && Note(path, store_.DeleteFileAt(path));
}

} // namespace orvex::config
