// Per-record evaluation of compiled expressions; see ExprEvaluator.h.
#include "xbase/expr/ExprEvaluator.h"

#include "xbase/text/Codepage.h"
#include "xbase/text/Dates.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace xb {

namespace {

using Node = Expression::Node;

const int64_t kFirstJulian = toJulian(Date{1, 1, 1});
const int64_t kLastJulian = toJulian(Date{9999, 12, 31});

bool isValidJulian(double j)
{
    return j >= static_cast<double>(kFirstJulian) && j <= static_cast<double>(kLastJulian);
}

// A number as a count or position; NaN counts as `low`.
int toInt(double v, int low, int high)
{
    if (std::isnan(v))
        return low;
    return static_cast<int>(std::clamp(std::trunc(v), static_cast<double>(low), static_cast<double>(high)));
}

// Rounds half away from zero. Values such as 1.005 * 100 come out a hair
// below .5 in binary; the nudge makes them round as written.
double roundScaled(double scaled)
{
    if (std::abs(scaled) < 1e13)
        scaled += std::copysign(std::abs(scaled) * 1e-14, scaled);
    return std::round(scaled);
}

double roundTo(double value, int decimals)
{
    if (!std::isfinite(value))
        return value;
    const double p = std::pow(10.0, decimals);
    return roundScaled(value * p) / p;
}

// The Julian day of a field's "yyyymmdd", 0 for blanks and anything else
// that is no date. Runs for every record a date filter reads.
double julianOfDbfDate(const char *p)
{
    int digits[8];
    for (int i = 0; i < 8; ++i) {
        digits[i] = p[i] - '0';
        if (digits[i] < 0 || digits[i] > 9)
            return 0;
    }
    const int year = digits[0] * 1000 + digits[1] * 100 + digits[2] * 10 + digits[3];
    const int month = digits[4] * 10 + digits[5];
    const int day = digits[6] * 10 + digits[7];
    if (year < 1 || month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month))
        return 0;
    return static_cast<double>(toJulian(Date{year, month, day}));
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\0'; }

std::string_view rtrim(std::string_view s)
{
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

std::string_view ltrim(std::string_view s)
{
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    return s;
}

template <typename T> T readLittle(const char *p)
{
    T value;
    std::memcpy(&value, p, sizeof value); // the engine runs on little-endian machines only
    return value;
}

bool fieldIsNull(const Node &node, const char *record)
{
    return node.nullFlagsOffset >= 0
        && (static_cast<unsigned char>(record[node.nullFlagsOffset]) >> (node.field.nullBit % 8)) & 1;
}

void appendDigits(std::string &out, int value, int digits)
{
    char buf[8];
    for (int i = digits - 1; i >= 0; --i) {
        buf[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    out.append(buf, digits);
}

bool tooLong(std::size_t length, const Node &node, EvalState &state)
{
    if (length <= kMaxStringLength)
        return false;
    if (state.status.isOk()) {
        state.status = Status::badArgument("character value longer than "
                                           + std::to_string(kMaxStringLength) + " bytes at position "
                                           + std::to_string(node.position));
    }
    return true;
}

// UPPER and LOWER by table: they run for every byte of every key.
const struct CaseTables {
    unsigned char upper[256];
    unsigned char lower[256];
    CaseTables()
    {
        for (int c = 0; c < 256; ++c) {
            upper[c] = cp1252Upper(static_cast<unsigned char>(c));
            lower[c] = cp1252Lower(static_cast<unsigned char>(c));
        }
    }
} kCase;

// compareText of the left side mapped through a case table.
int compareMapped(std::string_view left, const unsigned char *table, std::string_view right, bool exact)
{
    const std::size_t common = std::min(left.size(), right.size());
    for (std::size_t i = 0; i < common; ++i) {
        const unsigned char l = table[static_cast<unsigned char>(left[i])];
        const auto r = static_cast<unsigned char>(right[i]);
        if (l != r)
            return l < r ? -1 : 1;
    }
    if (!exact && left.size() >= right.size())
        return 0;
    for (std::size_t i = common; i < left.size(); ++i) {
        const unsigned char c = table[static_cast<unsigned char>(left[i])];
        if (c != ' ')
            return c < ' ' ? -1 : 1;
    }
    for (std::size_t i = common; i < right.size(); ++i) {
        const auto c = static_cast<unsigned char>(right[i]);
        if (c != ' ')
            return c < ' ' ? 1 : -1;
    }
    return 0;
}

double today(EvalState &state)
{
    if (state.today < 0)
        state.today = toJulian(xb::today());
    return static_cast<double>(state.today);
}

} // namespace

double ExprEvaluator::parseNumber(std::string_view text)
{
    text = ltrim(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
        text = ltrim(text);
    }
    // Fast path for what numeric fields hold: digits, a point, digits. The
    // quotient of two exact integers is the correctly rounded number.
    {
        long long mantissa = 0;
        int digits = 0, decimals = 0;
        bool point = false;
        std::size_t i = 0;
        for (; i < text.size() && digits <= 15; ++i) {
            const char c = text[i];
            if (c >= '0' && c <= '9') {
                mantissa = mantissa * 10 + (c - '0');
                ++digits;
                decimals += point;
            } else if (c == '.' && !point) {
                point = true;
            } else {
                break;
            }
        }
        const bool end = i == text.size() || text[i] == ' ';
        if (digits > 0 && digits <= 15 && end) {
            static constexpr double kPowers[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7,
                                                 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
            const double value = static_cast<double>(mantissa) / kPowers[decimals];
            return negative ? -value : value;
        }
    }
    double value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc())
        return 0;
    return negative ? -value : value;
}

double ExprEvaluator::parseDate(std::string_view text, const EvalSettings &settings)
{
    if (rtrim(ltrim(text)).empty())
        return 0;
    const auto date = xb::parseDate(text, settings.dateFormat, settings.epoch);
    return date ? static_cast<double>(toJulian(*date)) : 0;
}

void ExprEvaluator::formatNumber(double number, int width, int decimals, std::string &out)
{
    if (width <= 0)
        return;
    decimals = std::clamp(decimals, 0, 18);
    if (std::isfinite(number)) {
        char buf[400];
        for (int d = decimals; d >= 0; --d) {
            const double scaled = roundScaled(number * std::pow(10.0, d));
            int length;
            if (std::abs(scaled) < 9e18) {
                // Exact digits from the rounded integer, no binary surprises.
                const long long whole = static_cast<long long>(std::abs(scaled));
                const bool negative = scaled < 0 && whole != 0;
                char digits[32]; // at least d + 1 digits, with leading zeros
                int n = 0;
                for (long long rest = whole; rest > 0 || n <= d; rest /= 10)
                    digits[n++] = static_cast<char>('0' + rest % 10);
                std::reverse(digits, digits + n);
                length = 0;
                if (negative)
                    buf[length++] = '-';
                std::memcpy(buf + length, digits, n - d);
                length += n - d;
                if (d > 0) {
                    buf[length++] = '.';
                    std::memcpy(buf + length, digits + n - d, d);
                    length += d;
                }
            } else {
                length = static_cast<int>(
                    std::to_chars(buf, buf + sizeof buf, number, std::chars_format::fixed, d).ptr - buf);
            }
            if (length <= width) {
                out.append(width - length, ' ');
                out.append(buf, length);
                return;
            }
            if (d == 0)
                break;
        }
    }
    out.append(width, '*');
}

int ExprEvaluator::compareText(std::string_view left, std::string_view right, bool exact)
{
    const std::size_t common = std::min(left.size(), right.size());
    if (common > 0) {
        const int c = std::memcmp(left.data(), right.data(), common);
        if (c != 0)
            return c;
    }
    if (!exact && left.size() >= right.size())
        return 0; // compared as many characters as the right side has
    // The shorter side counts as padded with blanks.
    for (std::size_t i = common; i < left.size(); ++i) {
        const auto c = static_cast<unsigned char>(left[i]);
        if (c != ' ')
            return c < ' ' ? -1 : 1;
    }
    for (std::size_t i = common; i < right.size(); ++i) {
        const auto c = static_cast<unsigned char>(right[i]);
        if (c != ' ')
            return c < ' ' ? 1 : -1;
    }
    return 0;
}

bool ExprEvaluator::logical(const Node &node, EvalState &state)
{
    switch (node.kind) {
    case NodeKind::Literal:
        return node.literal.logical;
    case NodeKind::Field: {
        const char *record = state.record->record();
        if (fieldIsNull(node, record) || node.field.width < 1)
            return false;
        const char c = record[node.field.offset];
        return c == 'T' || c == 't' || c == 'Y' || c == 'y';
    }
    case NodeKind::Not:
        return !logical(*node.args[0], state);
    case NodeKind::And:
        return logical(*node.args[0], state) && logical(*node.args[1], state);
    case NodeKind::Or:
        return logical(*node.args[0], state) || logical(*node.args[1], state);
    case NodeKind::Compare: {
        const Node &a = *node.args[0];
        const Node &b = *node.args[1];
        int c = 0;
        switch (a.type) {
        case ValueType::Character: {
            if (node.compare != CompareOp::ContainedIn && a.kind == NodeKind::Call
                && (a.func == Func::Upper || a.func == Func::Lower)) {
                // UPPER(FAMNAME) >= "M" converts only the bytes it compares.
                const std::string_view l = text(*a.args[0], state);
                const std::string_view r = text(b, state);
                const unsigned char *table = a.func == Func::Upper ? kCase.upper : kCase.lower;
                if (node.compare == CompareOp::ExactEqual)
                    return l.size() == r.size() && compareMapped(l, table, r, true) == 0;
                c = compareMapped(l, table, r, state.settings->exact);
                break;
            }
            const std::string_view l = text(a, state);
            const std::string_view r = text(b, state);
            switch (node.compare) {
            case CompareOp::ContainedIn:
                return !l.empty() && r.find(l) != std::string_view::npos;
            case CompareOp::ExactEqual:
                return l == r;
            default:
                c = compareText(l, r, state.settings->exact);
                break;
            }
            break;
        }
        case ValueType::Numeric:
        case ValueType::Date: {
            const double l = number(a, state);
            const double r = number(b, state);
            if (std::isnan(l) || std::isnan(r))
                return node.compare == CompareOp::NotEqual;
            c = l < r ? -1 : (l > r ? 1 : 0);
            break;
        }
        case ValueType::Logical:
            c = static_cast<int>(logical(a, state)) - static_cast<int>(logical(b, state));
            break;
        }
        switch (node.compare) {
        case CompareOp::Equal:
        case CompareOp::ExactEqual: return c == 0;
        case CompareOp::NotEqual: return c != 0;
        case CompareOp::Less: return c < 0;
        case CompareOp::LessEqual: return c <= 0;
        case CompareOp::Greater: return c > 0;
        case CompareOp::GreaterEqual: return c >= 0;
        default: return false;
        }
    }
    case NodeKind::Call:
        switch (node.func) {
        case Func::Deleted:
            return state.record->record()[0] == '*';
        case Func::Iif:
            return logical(*node.args[0], state) ? logical(*node.args[1], state) : logical(*node.args[2], state);
        case Func::Empty: {
            const Node &a = *node.args[0];
            switch (a.type) {
            case ValueType::Character: {
                const std::string_view s = text(a, state);
                return std::all_of(s.begin(), s.end(), isBlank);
            }
            case ValueType::Numeric:
            case ValueType::Date:
                return number(a, state) == 0;
            case ValueType::Logical:
                return !logical(a, state);
            }
            return false;
        }
        default:
            return false;
        }
    default:
        return false;
    }
}

double ExprEvaluator::number(const Node &node, EvalState &state)
{
    switch (node.kind) {
    case NodeKind::Literal:
        return node.literal.number;
    case NodeKind::Field: {
        const char *record = state.record->record();
        if (fieldIsNull(node, record))
            return 0;
        const char *p = record + node.field.offset;
        switch (node.field.type) {
        case 'I':
            return readLittle<int32_t>(p);
        case 'Y':
            return static_cast<double>(readLittle<int64_t>(p)) / 10000.0;
        case 'B': {
            const double d = readLittle<double>(p);
            return std::isfinite(d) ? d : 0;
        }
        case 'T': {
            const int32_t julian = readLittle<int32_t>(p);
            return isValidJulian(julian) ? julian : 0;
        }
        case 'D':
            return node.field.width == 8 ? julianOfDbfDate(p) : 0;
        default:
            return parseNumber(std::string_view(p, node.field.width));
        }
    }
    case NodeKind::Add:
    case NodeKind::Sub: {
        const double a = number(*node.args[0], state);
        const double b = number(*node.args[1], state);
        if (node.args[0]->type == ValueType::Date) {
            if (node.args[1]->type == ValueType::Date) // date - date: days between
                return a == 0 || b == 0 ? 0 : a - b;
            if (a == 0 || std::isnan(b))
                return 0;
            const double r = std::trunc(node.kind == NodeKind::Add ? a + b : a - b);
            return isValidJulian(r) ? r : 0;
        }
        return node.kind == NodeKind::Add ? a + b : a - b;
    }
    case NodeKind::Mul:
        return number(*node.args[0], state) * number(*node.args[1], state);
    case NodeKind::Div:
        return number(*node.args[0], state) / number(*node.args[1], state);
    case NodeKind::Mod: {
        const double a = number(*node.args[0], state);
        const double b = number(*node.args[1], state);
        if (b == 0 || !std::isfinite(a) || !std::isfinite(b))
            return 0;
        return a - b * std::floor(a / b); // the sign of the divisor
    }
    case NodeKind::Pow: {
        const double r = std::pow(number(*node.args[0], state), number(*node.args[1], state));
        return std::isnan(r) ? 0 : r;
    }
    case NodeKind::Neg:
        return -number(*node.args[0], state);
    case NodeKind::Call:
        break;
    default:
        return 0;
    }

    const auto &a = node.args;
    switch (node.func) {
    case Func::Val:
        return parseNumber(text(*a[0], state));
    case Func::Ctod: {
        const EvalSettings &settings = *state.settings;
        if (node.cacheable && node.cacheValid && node.cachedEpoch == settings.epoch
            && node.cachedFormat == settings.dateFormat) {
            return node.cachedNumber;
        }
        const double julian = parseDate(text(*a[0], state), settings);
        if (node.cacheable) {
            node.cachedNumber = julian;
            node.cachedEpoch = settings.epoch;
            node.cachedFormat = settings.dateFormat;
            node.cacheValid = true;
        }
        return julian;
    }
    case Func::Date:
        return today(state);
    case Func::Year:
    case Func::Month:
    case Func::Day: {
        const double j = number(*a[0], state);
        if (!isValidJulian(j))
            return 0;
        const Date d = fromJulian(static_cast<int64_t>(j));
        return node.func == Func::Year ? d.year : (node.func == Func::Month ? d.month : d.day);
    }
    case Func::Len:
        return static_cast<double>(text(*a[0], state).size());
    case Func::Recno:
        return state.record->recNo();
    case Func::At: {
        const std::string_view needle = text(*a[0], state);
        const std::string_view hay = text(*a[1], state);
        if (needle.empty())
            return 0;
        const std::size_t at = hay.find(needle);
        return at == std::string_view::npos ? 0 : static_cast<double>(at + 1);
    }
    case Func::Abs:
        return std::abs(number(*a[0], state));
    case Func::Int:
        return std::trunc(number(*a[0], state));
    case Func::Round: {
        const double v = number(*a[0], state);
        return roundTo(v, toInt(number(*a[1], state), -18, 18));
    }
    case Func::Min:
    case Func::Max: {
        const double x = number(*a[0], state);
        const double y = number(*a[1], state);
        return node.func == Func::Min ? std::min(x, y) : std::max(x, y);
    }
    case Func::Asc: {
        const std::string_view s = text(*a[0], state);
        return s.empty() ? 0 : static_cast<unsigned char>(s[0]);
    }
    case Func::Iif:
        return logical(*a[0], state) ? number(*a[1], state) : number(*a[2], state);
    default:
        return 0;
    }
}

std::string_view ExprEvaluator::text(const Node &node, EvalState &state)
{
    std::string &buf = node.buffer;
    switch (node.kind) {
    case NodeKind::Literal:
        return node.literal.text;
    case NodeKind::Field: {
        const char *record = state.record->record();
        if (fieldIsNull(node, record)) {
            buf.assign(static_cast<std::size_t>(node.field.width), ' ');
            return buf;
        }
        return std::string_view(record + node.field.offset, node.field.width);
    }
    case NodeKind::Memo: {
        buf.clear();
        if (fieldIsNull(node, state.record->record()))
            return buf;
        Status s = state.record->memo(node.fieldIndex, buf);
        if (!s.isOk()) {
            if (state.status.isOk())
                state.status = std::move(s);
            buf.clear();
        }
        return buf;
    }
    case NodeKind::Concat:
    case NodeKind::ConcatTrim: {
        const std::string_view a = text(*node.args[0], state);
        const std::string_view b = text(*node.args[1], state);
        if (tooLong(a.size() + b.size(), node, state))
            return {};
        if (node.kind == NodeKind::Concat) {
            buf.assign(a);
            buf.append(b);
        } else {
            const std::string_view trimmed = rtrim(a);
            buf.assign(trimmed);
            buf.append(b);
            buf.append(a.size() - trimmed.size(), ' ');
        }
        return buf;
    }
    case NodeKind::Call:
        break;
    default:
        return {};
    }

    const auto &a = node.args;
    switch (node.func) {
    case Func::Upper:
    case Func::Lower: {
        const std::string_view s = text(*a[0], state);
        buf.resize(s.size());
        const unsigned char *table = node.func == Func::Upper ? kCase.upper : kCase.lower;
        const auto *in = reinterpret_cast<const unsigned char *>(s.data());
        char *out = buf.data();
        for (std::size_t i = 0, n = s.size(); i < n; ++i)
            out[i] = static_cast<char>(table[in[i]]);
        return buf;
    }
    case Func::Note: {
        const std::string key(text(*a[0], state));
        buf.clear();
        if (const NoteProvider &provider = noteProvider())
            provider(key, buf);
        return buf;
    }
    case Func::Rtrim:
        return rtrim(text(*a[0], state));
    case Func::Ltrim:
        return ltrim(text(*a[0], state));
    case Func::Alltrim:
        return rtrim(ltrim(text(*a[0], state)));
    case Func::Str: {
        const double v = number(*a[0], state);
        const int width = a.size() > 1 ? toInt(number(*a[1], state), 0, 255) : 10;
        const int decimals = a.size() > 2 ? toInt(number(*a[2], state), 0, 18) : 0;
        buf.clear();
        formatNumber(v, width, decimals, buf);
        return buf;
    }
    case Func::Dtos: {
        const double j = number(*a[0], state);
        buf.clear();
        if (!isValidJulian(j)) {
            buf.append(8, ' ');
        } else {
            const Date d = fromJulian(static_cast<int64_t>(j));
            appendDigits(buf, d.year, 4);
            appendDigits(buf, d.month, 2);
            appendDigits(buf, d.day, 2);
        }
        return buf;
    }
    case Func::Dtoc: {
        const double j = number(*a[0], state);
        if (isValidJulian(j)) {
            buf = formatDate(fromJulian(static_cast<int64_t>(j)), state.settings->dateFormat);
        } else {
            // The empty date keeps the separators: "  .  .    ".
            buf = formatDate(Date{2000, 10, 10}, state.settings->dateFormat);
            std::replace_if(buf.begin(), buf.end(), [](char c) { return c >= '0' && c <= '9'; }, ' ');
        }
        return buf;
    }
    case Func::Substr: {
        const std::string_view s = text(*a[0], state);
        const int size = static_cast<int>(s.size());
        const int start = toInt(number(*a[1], state), 1, size + 1);
        int count = size - start + 1;
        if (a.size() > 2)
            count = std::min(count, toInt(number(*a[2], state), 0, size));
        return s.substr(start - 1, count);
    }
    case Func::Left:
    case Func::Right: {
        const std::string_view s = text(*a[0], state);
        const auto count = static_cast<std::size_t>(toInt(number(*a[1], state), 0, static_cast<int>(s.size())));
        return node.func == Func::Left ? s.substr(0, count) : s.substr(s.size() - count);
    }
    case Func::Space: {
        const double n = number(*a[0], state);
        if (tooLong(static_cast<std::size_t>(toInt(n, 0, kMaxStringLength + 1)), node, state))
            return {};
        buf.assign(static_cast<std::size_t>(toInt(n, 0, kMaxStringLength)), ' ');
        return buf;
    }
    case Func::Replicate: {
        const std::string_view s = text(*a[0], state);
        const auto n = static_cast<std::size_t>(toInt(number(*a[1], state), 0, kMaxStringLength + 1));
        if (!s.empty() && tooLong(n > kMaxStringLength ? n : n * s.size(), node, state))
            return {};
        buf.clear();
        if (!s.empty()) {
            for (std::size_t i = 0; i < n; ++i)
                buf.append(s);
        }
        return buf;
    }
    case Func::Padl:
    case Func::Padr: {
        const std::string_view s = text(*a[0], state);
        const double n = number(*a[1], state);
        char fill = ' ';
        if (a.size() > 2) {
            const std::string_view f = text(*a[2], state);
            if (!f.empty())
                fill = f[0];
        }
        if (tooLong(static_cast<std::size_t>(toInt(n, 0, kMaxStringLength + 1)), node, state))
            return {};
        const auto width = static_cast<std::size_t>(toInt(n, 0, kMaxStringLength));
        const std::string_view kept = s.substr(0, std::min(width, s.size()));
        buf.clear();
        if (node.func == Func::Padl)
            buf.append(width - kept.size(), fill);
        buf.append(kept);
        if (node.func == Func::Padr)
            buf.append(width - kept.size(), fill);
        return buf;
    }
    case Func::Chr:
        buf.assign(1, static_cast<char>(toInt(number(*a[0], state), 0, 255)));
        return buf;
    case Func::Iif:
        return logical(*a[0], state) ? text(*a[1], state) : text(*a[2], state);
    case Func::Min:
    case Func::Max: {
        const std::string_view x = text(*a[0], state);
        const std::string_view y = text(*a[1], state);
        const bool xFirst = compareText(x, y, true) <= 0;
        return (node.func == Func::Min) == xFirst ? x : y;
    }
    default:
        return {};
    }
}

void ExprEvaluator::value(const Node &node, EvalState &state, Value &out)
{
    out.type = node.type;
    switch (node.type) {
    case ValueType::Character: {
        const std::string_view s = text(node, state);
        out.text.assign(s.data(), s.size());
        break;
    }
    case ValueType::Numeric:
    case ValueType::Date:
        out.number = number(node, state);
        break;
    case ValueType::Logical:
        out.logical = logical(node, state);
        break;
    }
}

} // namespace xb
