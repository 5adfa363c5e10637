// Profile (INI) files: the only code that reads or writes them.
//
// Behaves like the classic profile functions the program's settings were
// designed around: sections and keys match without regard to case, a missing
// file or key reads as the default, the first of duplicate keys wins, and a
// write replaces one key in place, leaving every other line, comment and the
// order untouched. Every call reads the file afresh, so two programs sharing
// one file see each other's writes. Values are 8-bit byte strings.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class Profile {
public:
    // Names the file; opening never creates it.
    explicit Profile(std::string path);

    const std::string &path() const { return m_path; }
    bool exists() const;

    // The value of a key, blanks around it removed and one pair of enclosing
    // double quotes dropped; `fallback` when the file, section or key is missing.
    std::string readString(std::string_view section, std::string_view key,
                           std::string_view fallback = {}) const;

    // A decimal integer (optional sign); `fallback` when the key is missing or
    // its value is not a number.
    int readInt(std::string_view section, std::string_view key, int fallback) const;

    // Every value of a key that the section repeats, in file order.
    std::vector<std::string> readAll(std::string_view section, std::string_view key) const;

    // True when the section holds the key.
    bool hasKey(std::string_view section, std::string_view key) const;

    // Writes one key, creating the file and section as needed. The file is
    // written to a temporary file of a unique name beside it and renamed over
    // the old one, so a crash leaves either the old or the new file. A
    // symbolic link is written through to its target; the file keeps its
    // mode. Returns false when the file cannot be written, also when it is
    // read-only (errno tells why).
    bool writeString(std::string_view section, std::string_view key, std::string_view value);
    bool writeInt(std::string_view section, std::string_view key, int value);

    // Reads values from profile text held in memory (an answer received over
    // the network, for example), with the same rules as the file functions.
    static std::string readString(std::string_view text, std::string_view section,
                                  std::string_view key, std::string_view fallback);
    static std::vector<std::string> readAll(std::string_view text, std::string_view section,
                                            std::string_view key);

private:
    std::optional<std::string> load() const;

    std::string m_path;
};

} // namespace platform
