// Helpers of the table tests: a temporary directory removed at the end,
// fixture copies, whole-file access and a second process running this test
// binary in a helper mode (see TestTwoProcesses.cpp).
#pragma once

#include "xbase/table/Table.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace xbtest {

class TempDir {
public:
    TempDir()
    {
        char pattern[] = "/tmp/xbtable-XXXXXX";
        const char *made = ::mkdtemp(pattern);
        m_path = made ? made : "/tmp";
    }
    ~TempDir() { std::filesystem::remove_all(m_path); }
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    const std::string &path() const { return m_path; }
    std::string file(const std::string &name) const { return m_path + "/" + name; }

    // Copies fixture files (relative to the fixtures folder) into the
    // directory and returns the path of the first.
    std::string copyFixture(const std::vector<std::string> &files) const
    {
        std::string first;
        for (const std::string &f : files) {
            const std::filesystem::path from = std::filesystem::path(TESSARON_FIXTURES_DIR) / f;
            const std::string to = file(from.filename().string());
            std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing);
            std::filesystem::permissions(to, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
            if (first.empty())
                first = to;
        }
        return first;
    }

private:
    std::string m_path;
};

inline std::string readAll(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeAll(const std::string &path, const std::string &bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The ADRESS table of the address collection: 26 fields, 556-byte records.
inline std::vector<xb::FieldSpec> adressFields()
{
    return {
        {"FAMNAME", 'C', 37, 0},  {"VORNAME", 'C', 37, 0},   {"STRASSE", 'C', 37, 0}, {"STAAT", 'C', 3, 0},
        {"PLZ", 'C', 6, 0},       {"ORT", 'C', 25, 0},       {"TELNU", 'C', 24, 0},   {"TELNU2", 'C', 24, 0},
        {"TELMOBIL", 'C', 24, 0}, {"TELFAX", 'C', 24, 0},    {"BEMERKUNG", 'C', 100, 0},
        {"CONTACT1", 'D', 8, 0},  {"CONTACTX", 'D', 8, 0},   {"GEB_DAT", 'D', 8, 0},  {"BABY", 'C', 15, 0},
        {"SEX", 'C', 1, 0},       {"TITEL", 'C', 18, 0},     {"ANREDE", 'C', 30, 0},  {"WWW", 'C', 50, 0},
        {"EMAIL", 'C', 25, 0},    {"FIDO", 'C', 15, 0},      {"CIS", 'C', 11, 0},     {"INR", 'C', 15, 0},
        {"SELECTED", 'C', 1, 0},  {"WICHTIG", 'C', 1, 0},    {"L_UPDATE", 'D', 8, 0},
    };
}

// Sets field `name` of `record` from text; fails the test when it does not fit.
void setField(const xb::Table &table, std::string &record, const char *name, const std::string &text);
std::string getField(const xb::Table &table, const std::string &record, const char *name);

// Runs this test binary as a helper process: argv = {"--xb-helper", args...}.
// Returns the child's pid; its stdout is readable from *readFd and its stdin
// writable through *writeFd (both closed by the caller).
pid_t spawnHelper(const std::vector<std::string> &args, int *readFd, int *writeFd);
// Waits for the child and returns its exit status (-1 when it did not exit).
int waitHelper(pid_t pid);
// Reads one line from a helper's stdout (without the newline).
std::string readLine(int fd);

} // namespace xbtest
