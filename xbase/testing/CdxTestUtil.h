// Helpers of the compound-index tests: a temporary directory removed at the
// end of the test, fixture copies, and a reference model of a tag's entries.
#pragma once

#include <filesystem>
#include <random>
#include <string>

#include <gtest/gtest.h>
#include <unistd.h>

namespace xbtest {

class TempDir {
public:
    TempDir()
    {
        std::string tmpl = (std::filesystem::temp_directory_path() / "cdxtest-XXXXXX").string();
        char *made = mkdtemp(tmpl.data());
        EXPECT_NE(made, nullptr);
        m_path = tmpl;
    }
    ~TempDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    std::string file(const std::string &name) const { return m_path + "/" + name; }
    const std::string &path() const { return m_path; }

    // Copies every file of fixture folder `folder` here; returns this dir.
    std::string copyFixture(const std::string &folder) const
    {
        for (auto &e : std::filesystem::directory_iterator(std::string(TESSARON_FIXTURES_DIR) + "/" + folder)) {
            auto to = std::filesystem::path(m_path) / e.path().filename();
            std::filesystem::copy_file(e.path(), to, std::filesystem::copy_options::overwrite_existing);
            std::filesystem::permissions(to, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
                                         std::filesystem::perm_options::add);
        }
        return m_path;
    }

private:
    std::string m_path;
};

} // namespace xbtest
