// cInifile: the one class through which the program reads and writes its
// INI files, over the Windows profile string functions. The caller sets Path,
// Section and Key, then reads or assigns Value. It also serves as the
// IIniStore of the configuration model (stateless calls naming the file).
#pragma once

#include "config/ini_store.h"
#include "config/number_text.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace orvex::config::win32 {

// The user's decimal separator from the regional settings.
NumberLocale UserNumberLocale();

class cInifile final : public IIniStore {
public:
    std::int32_t LastReturnCode() const { return lastReturnCode_; }
    bool Success() const { return lastReturnCode_ != 0; }

    const std::string& Default() const { return default_; }
    void Default(std::string v) { default_ = std::move(v); }
    const std::string& Path() const { return path_; }
    void Path(std::string v) { path_ = std::move(v); }
    const std::string& Key() const { return key_; }
    void Key(std::string v) { key_ = std::move(v); }
    const std::string& Section() const { return section_; }
    void Section(std::string v) { section_ = std::move(v); }

    // The value of Key in Section, or Default; at most 254 characters.
    std::string Value() const;
    // Writes the text with NUL characters removed; result in LastReturnCode.
    void Value(const std::string& text);
    void DeleteKey();
    void DeleteSection();

    // The key names of Section / the section names of the file, each followed
    // by a NUL. The read buffer grows until the whole list fits.
    std::string INISection() const;
    std::string Sections() const;
    // Clear the list, then fill it with the names in file order; count is the
    // number of names. EnumerateAllSections skips empty names.
    void EnumerateCurrentSection(std::vector<std::string>& names, std::int32_t& count) const;
    void EnumerateAllSections(std::vector<std::string>& names, std::int32_t& count) const;

    // Window state and geometry under the current section ("Maximised",
    // "Left", "Top", "Width", "Height", in pixels).
    void SaveFormPosition(HWND form);
    void LoadFormPosition(HWND form, int width = 0, int height = 0);

    // The text as a 32-bit integer (user's locale), the fallback when it does
    // not convert.
    static std::int32_t CLngDefault(const std::string& text, std::int32_t fallback);

    // IIniStore.
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
    std::string path_;
    std::string key_;
    std::string section_;
    std::string default_;
    std::int32_t lastReturnCode_ = 0;
};

} // namespace orvex::config::win32
