// Profile files are parsed line by line on every call; they are small, and
// reading afresh keeps concurrent writers honest.
#include "platform/Profile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view trim(std::string_view s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool equalNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x += 32;
        if (y >= 'A' && y <= 'Z')
            y += 32;
        if (x != y)
            return false;
    }
    return true;
}

// One line of a profile without its line end, plus the line end itself.
struct Line {
    std::string_view text;
    std::string_view end;
};

std::vector<Line> splitLines(std::string_view text)
{
    std::vector<Line> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t nl = text.find('\n', pos);
        std::size_t stop = nl == std::string_view::npos ? text.size() : nl;
        std::size_t contentEnd = stop;
        if (contentEnd > pos && text[contentEnd - 1] == '\r')
            --contentEnd;
        const std::size_t next = nl == std::string_view::npos ? text.size() : nl + 1;
        lines.push_back({text.substr(pos, contentEnd - pos), text.substr(contentEnd, next - contentEnd)});
        pos = next;
    }
    return lines;
}

// The section name of a "[name]" line, or nothing.
std::optional<std::string_view> sectionOf(std::string_view line)
{
    line = trim(line);
    if (line.size() < 2 || line.front() != '[')
        return std::nullopt;
    const std::size_t close = line.find(']');
    if (close == std::string_view::npos)
        return std::nullopt;
    return trim(line.substr(1, close - 1));
}

// Key and raw value of a "key=value" line, or nothing for comments and others.
bool keyValueOf(std::string_view line, std::string_view &key, std::string_view &value)
{
    const std::string_view t = trim(line);
    if (t.empty() || t.front() == ';')
        return false;
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos)
        return false;
    key = trim(line.substr(0, eq));
    value = trim(line.substr(eq + 1));
    return !key.empty();
}

std::string unquote(std::string_view value)
{
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
    return std::string(value);
}

// Visits every value of `key` in `section`; stops when the visitor returns false.
template <typename Visitor>
void forEachValue(std::string_view text, std::string_view section, std::string_view key, Visitor visit)
{
    bool inSection = false;
    for (const Line &line : splitLines(text)) {
        if (auto name = sectionOf(line.text)) {
            inSection = equalNoCase(*name, section);
            continue;
        }
        std::string_view k, v;
        if (inSection && keyValueOf(line.text, k, v) && equalNoCase(k, key)) {
            if (!visit(v))
                return;
        }
    }
}

// The process's file creation mask, read without changing it for good.
mode_t currentUmask()
{
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

} // namespace

Profile::Profile(std::string path) : m_path(std::move(path)) {}

bool Profile::exists() const
{
    struct stat st {};
    return ::stat(m_path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::optional<std::string> Profile::load() const
{
    std::ifstream in(m_path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

std::string Profile::readString(std::string_view text, std::string_view section, std::string_view key,
                                std::string_view fallback)
{
    std::optional<std::string> found;
    forEachValue(text, section, key, [&](std::string_view v) {
        found = unquote(v);
        return false;
    });
    return found ? *found : std::string(fallback);
}

std::vector<std::string> Profile::readAll(std::string_view text, std::string_view section, std::string_view key)
{
    std::vector<std::string> values;
    forEachValue(text, section, key, [&](std::string_view v) {
        values.push_back(unquote(v));
        return true;
    });
    return values;
}

std::string Profile::readString(std::string_view section, std::string_view key, std::string_view fallback) const
{
    const auto text = load();
    if (!text)
        return std::string(fallback);
    return readString(*text, section, key, fallback);
}

int Profile::readInt(std::string_view section, std::string_view key, int fallback) const
{
    const auto text = load();
    if (!text)
        return fallback;
    bool present = false;
    std::string value;
    forEachValue(*text, section, key, [&](std::string_view v) {
        present = true;
        value = unquote(v);
        return false;
    });
    if (!present)
        return fallback;
    std::size_t i = 0;
    bool negative = false;
    if (i < value.size() && (value[i] == '-' || value[i] == '+'))
        negative = value[i++] == '-';
    if (i == value.size())
        return fallback;
    long long result = 0;
    for (; i < value.size(); ++i) {
        if (value[i] < '0' || value[i] > '9')
            return fallback;
        result = result * 10 + (value[i] - '0');
        if (result > 0x7FFFFFFFLL)
            return fallback;
    }
    return static_cast<int>(negative ? -result : result);
}

std::vector<std::string> Profile::readAll(std::string_view section, std::string_view key) const
{
    const auto text = load();
    return text ? readAll(*text, section, key) : std::vector<std::string>{};
}

bool Profile::hasKey(std::string_view section, std::string_view key) const
{
    const auto text = load();
    if (!text)
        return false;
    bool present = false;
    forEachValue(*text, section, key, [&](std::string_view) {
        present = true;
        return false;
    });
    return present;
}

bool Profile::writeString(std::string_view section, std::string_view key, std::string_view value)
{
    const std::string old = load().value_or(std::string());
    const std::vector<Line> lines = splitLines(old);

    // Line end of the file, so that added lines match the ones already there.
    std::string_view eol = "\r\n";
    for (const Line &line : lines) {
        if (!line.end.empty()) {
            eol = line.end;
            break;
        }
    }
    std::string entry = std::string(key) + "=" + std::string(value);

    std::string out;
    out.reserve(old.size() + entry.size() + 32);
    bool inSection = false;
    bool sectionSeen = false;
    bool done = false;
    std::size_t insertAt = std::string::npos; // after the section's last non-blank line
    for (const Line &line : lines) {
        if (!done) {
            if (auto name = sectionOf(line.text)) {
                if (inSection && insertAt != std::string::npos) {
                    out.insert(insertAt, entry + std::string(eol));
                    done = true;
                }
                inSection = equalNoCase(*name, section);
                if (inSection) {
                    sectionSeen = true;
                    out.append(line.text).append(line.end.empty() ? eol : line.end);
                    insertAt = out.size();
                    continue;
                }
            } else if (inSection) {
                std::string_view k, v;
                if (keyValueOf(line.text, k, v) && equalNoCase(k, key)) {
                    out.append(entry).append(line.end);
                    done = true;
                    continue;
                }
                if (keyValueOf(line.text, k, v)) {
                    // New keys go after the section's last entry, before any
                    // blank lines or comments that lead into the next section.
                    out.append(line.text).append(line.end.empty() ? eol : line.end);
                    insertAt = out.size();
                    continue;
                }
            }
        }
        out.append(line.text).append(line.end);
    }
    if (!done) {
        if (inSection && insertAt != std::string::npos) {
            out.insert(insertAt, entry + std::string(eol));
        } else if (!sectionSeen) {
            if (!out.empty() && out.back() != '\n')
                out.append(eol);
            out.append("[").append(section).append("]").append(eol).append(entry).append(eol);
        }
    }

    // Through a symbolic link the file it points to is rewritten, so the
    // link stays. A file that may not be written is not replaced either: the
    // rename would otherwise overrule its read-only mode.
    std::string target = m_path;
    if (char *resolved = ::realpath(m_path.c_str(), nullptr)) {
        target = resolved;
        std::free(resolved);
    }
    struct stat st {};
    const bool existed = ::stat(target.c_str(), &st) == 0;
    if (existed && ::access(target.c_str(), W_OK) != 0)
        return false;
    const mode_t mode = existed ? (st.st_mode & 07777) : mode_t(0666 & ~currentUmask());

    std::string tmp = target + ".XXXXXX";
    const int fd = ::mkstemp(tmp.data());
    if (fd < 0)
        return false;
    auto fail = [&](int error) {
        ::close(fd);
        ::unlink(tmp.c_str());
        errno = error;
        return false;
    };
    std::size_t written = 0;
    while (written < out.size()) {
        const ssize_t n = ::write(fd, out.data() + written, out.size() - written);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return fail(errno);
        }
        written += static_cast<std::size_t>(n);
    }
    if (::fchmod(fd, mode) != 0 || ::fsync(fd) != 0)
        return fail(errno);
    if (::close(fd) != 0) {
        const int saved = errno;
        ::unlink(tmp.c_str());
        errno = saved;
        return false;
    }
    if (std::rename(tmp.c_str(), target.c_str()) != 0) {
        const int saved = errno;
        ::unlink(tmp.c_str());
        errno = saved;
        return false;
    }
    return true;
}

bool Profile::writeInt(std::string_view section, std::string_view key, int value)
{
    return writeString(section, key, std::to_string(value));
}

} // namespace platform
