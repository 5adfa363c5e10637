#include "util/TextUtil.h"

#include <algorithm>

namespace {

constexpr int kShortText = 80;
constexpr int kMaxWidth = 127;

bool blank(char c)
{
    return static_cast<unsigned char>(c) <= 32;
}

bool blank(QChar c)
{
    return c.unicode() <= 32;
}

template <typename Text>
Text trimmed(const Text &text, bool leading)
{
    qsizetype begin = 0;
    qsizetype end = static_cast<qsizetype>(text.size());
    while (end > 0 && blank(text[end - 1]))
        --end;
    while (leading && begin < end && blank(text[begin]))
        ++begin;
    return text.substr(begin, end - begin);
}

enum class Direction { Scramble, Unscramble };

std::string scramble(std::string_view text, uint16_t key, Direction direction)
{
    std::string out(text.size(), '\0');
    uint16_t k = key;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto in = static_cast<uint8_t>(text[i]);
        const auto result = static_cast<uint8_t>(in ^ (k >> 8));
        out[i] = static_cast<char>(result);
        const uint8_t fed = direction == Direction::Scramble ? result : in;
        k = static_cast<uint16_t>((static_cast<uint32_t>(k) + fed) * 29113u + 18077u);
    }
    return out;
}

} // namespace

std::string AllTrim(std::string_view text)
{
    return std::string(trimmed(text, true));
}

QString AllTrim(const QString &text)
{
    qsizetype begin = 0, end = text.size();
    while (end > 0 && blank(text[end - 1]))
        --end;
    while (begin < end && blank(text[begin]))
        ++begin;
    return text.mid(begin, end - begin);
}

std::string RTrim(std::string_view text)
{
    return std::string(trimmed(text, false));
}

QString RTrim(const QString &text)
{
    qsizetype end = text.size();
    while (end > 0 && blank(text[end - 1]))
        --end;
    return text.left(end);
}

bool IsBlank(std::string_view text)
{
    text = text.substr(0, std::min<std::size_t>(text.size(), kShortText));
    return std::all_of(text.begin(), text.end(), [](char c) { return blank(c); });
}

bool IsBlank(const QString &text)
{
    const QString head = text.left(kShortText);
    return std::all_of(head.begin(), head.end(), [](QChar c) { return blank(c); });
}

std::string PadRight(std::string_view text, int width)
{
    width = std::clamp(width, 0, kMaxWidth);
    std::string out(text.substr(0, std::min<std::size_t>(text.size(), width)));
    out.resize(width, ' ');
    return out;
}

QString PadRight(const QString &text, int width)
{
    width = std::clamp(width, 0, kMaxWidth);
    return text.left(width).leftJustified(width, QLatin1Char(' '));
}

std::string Replicate(char c, int count)
{
    return count > 0 ? std::string(std::min(count, kMaxWidth), c) : std::string();
}

std::string RemoveChar(char c, std::string_view text)
{
    std::string out(text.substr(0, std::min<std::size_t>(text.size(), kShortText)));
    out.erase(std::remove(out.begin(), out.end(), c), out.end());
    return out;
}

std::string StripTrailing(char c, std::string_view text)
{
    while (!text.empty() && text.back() == c)
        text.remove_suffix(1);
    return std::string(text);
}

QString StripTrailing(QChar c, const QString &text)
{
    qsizetype end = text.size();
    while (end > 0 && text[end - 1] == c)
        --end;
    return text.left(end);
}

std::string IfThenStr(bool flag, std::string_view ifTrue, std::string_view ifFalse)
{
    return std::string(flag ? ifTrue : ifFalse);
}

QString IfThenStr(bool flag, const QString &ifTrue, const QString &ifFalse)
{
    return flag ? ifTrue : ifFalse;
}

int IfThenInt(bool flag, int ifTrue, int ifFalse)
{
    return flag ? ifTrue : ifFalse;
}

std::string ScrambleText(std::string_view text, uint16_t key)
{
    return scramble(text, key, Direction::Scramble);
}

std::string UnscrambleText(std::string_view text, uint16_t key)
{
    return scramble(text, key, Direction::Unscramble);
}
