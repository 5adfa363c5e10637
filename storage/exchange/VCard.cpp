// vCard content lines and the address mapping.
#include "storage/exchange/VCard.h"

#include "xbase/text/Codepage.h"

#include <QStringDecoder>

#include <algorithm>

namespace vcard {

namespace {

using exchange::Finding;
using exchange::Problem;
using exchange::Record;

const QString kX = QStringLiteral("X-TESSARON-");
// Fields that no standard property holds, written as X-TESSARON-<field>.
const char *const kPrivateFields[] = {"ANREDE", "BEMERKUNG", "CONTACT1", "CONTACTX", "WICHTIG", "FIDO", "CIS", "BABY"};


QString decodeCharset(const QByteArray &bytes, const QString &charset)
{
    const QString name = charset.toUpper();
    if (name == QLatin1String("ISO-8859-1") || name == QLatin1String("LATIN1"))
        return QString::fromLatin1(bytes);
    if (name == QLatin1String("WINDOWS-1252") || name == QLatin1String("CP1252"))
        return QString::fromStdString(xb::cp1252ToUtf8(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size()))));
    // UTF-8 (the default), falling back to Windows-1252 for bytes that are not.
    return exchange::decodeText(bytes);
}

int hexDigit(QChar c)
{
    const ushort u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    return -1;
}

QByteArray decodeQuotedPrintable(const QString &value)
{
    QByteArray out;
    const QByteArray utf8 = value.toUtf8();
    for (qsizetype i = 0; i < utf8.size(); ++i) {
        const char c = utf8.at(i);
        if (c == '=' && i + 2 < utf8.size()) {
            const int hi = hexDigit(QChar(utf8.at(i + 1)));
            const int lo = hexDigit(QChar(utf8.at(i + 2)));
            if (hi >= 0 && lo >= 0) {
                out.append(static_cast<char>(hi * 16 + lo));
                i += 2;
                continue;
            }
        }
        if (c == '=' && i == utf8.size() - 1)
            break; // a soft line break left at the end
        out.append(c);
    }
    return out;
}

QString unescape(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\\') || i + 1 >= text.size()) {
            out.append(c);
            continue;
        }
        const QChar n = text.at(++i);
        switch (n.unicode()) {
        case 'n':
        case 'N': out.append(QLatin1Char('\n')); break;
        case '\\':
        case ',':
        case ';':
        case ':': out.append(n); break;
        default:
            // Not an escape of the standard: both characters stay.
            out.append(c);
            out.append(n);
        }
    }
    return out;
}

// Splits at `separator` where it is not escaped by a backslash.
QList<QStringView> splitUnescaped(QStringView text, QChar separator)
{
    QList<QStringView> parts;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('\\')) {
            ++i;
            continue;
        }
        if (text.at(i) == separator) {
            parts << text.mid(start, i - start);
            start = i + 1;
        }
    }
    parts << text.mid(start);
    return parts;
}

// Splits a parameter list at `separator` outside double quotes.
QStringList splitOutsideQuotes(QStringView text, QChar separator)
{
    QStringList parts;
    QString current;
    bool quoted = false;
    for (const QChar c : text) {
        if (c == QLatin1Char('"')) {
            quoted = !quoted;
            continue;
        }
        if (c == separator && !quoted) {
            parts << current;
            current.clear();
            continue;
        }
        current.append(c);
    }
    parts << current;
    return parts;
}

// Parses one unfolded content line; false when it is not one.
bool parseLine(const QString &line, Property &property, QString *error)
{
    bool quoted = false;
    qsizetype colon = -1;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (c == QLatin1Char(':') && !quoted) {
            colon = i;
            break;
        }
    }
    if (colon <= 0) {
        *error = QStringLiteral("no \":\" after the property name");
        return false;
    }
    const QStringView head = QStringView(line).left(colon);
    property.value = line.mid(colon + 1);
    // Parameters keep their quotes until their values are split at commas
    // outside quotes, so that separators inside quotes stay.
    QStringList rawParts;
    {
        QString current;
        bool inQuotes = false;
        for (const QChar c : head) {
            if (c == QLatin1Char('"'))
                inQuotes = !inQuotes;
            if (c == QLatin1Char(';') && !inQuotes) {
                rawParts << current;
                current.clear();
                continue;
            }
            current.append(c);
        }
        rawParts << current;
    }
    QString name = rawParts.takeFirst().trimmed();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot >= 0) {
        property.group = name.left(dot);
        name = name.mid(dot + 1);
    }
    if (name.isEmpty()) {
        *error = QStringLiteral("a property without a name");
        return false;
    }
    for (const QChar c : name) {
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != QLatin1Char('-') && c != QLatin1Char('_')) {
            *error = QStringLiteral("the property name \"%1\" is not one").arg(name);
            return false;
        }
    }
    property.name = name.toUpper();
    for (const QString &raw : rawParts) {
        if (raw.isEmpty())
            continue;
        const qsizetype eq = raw.indexOf(QLatin1Char('='));
        if (eq < 0) {
            // A bare type of version 2.1: TEL;HOME;VOICE, or ENCODING words.
            const QString bare = raw.trimmed().toUpper();
            if (bare == QLatin1String("QUOTED-PRINTABLE") || bare == QLatin1String("BASE64") || bare == QLatin1String("8BIT"))
                property.parameters.append({QStringLiteral("ENCODING"), {bare}});
            else
                property.parameters.append({QStringLiteral("TYPE"), {bare}});
            continue;
        }
        const QString paramName = raw.left(eq).trimmed().toUpper();
        property.parameters.append({paramName, splitOutsideQuotes(QStringView(raw).mid(eq + 1), QLatin1Char(','))});
    }
    return true;
}

bool isQuotedPrintable(const QString &line)
{
    const qsizetype colon = line.indexOf(QLatin1Char(':'));
    return colon > 0 && line.left(colon).contains(QLatin1String("QUOTED-PRINTABLE"), Qt::CaseInsensitive);
}

QString field(const Record &r, const char *name)
{
    QString v = r.fields.value(QString::fromLatin1(name));
    while (!v.isEmpty() && v.back().isSpace())
        v.chop(1);
    return v;
}

void add(QByteArray &out, const QString &nameAndParams, const QString &escapedValue)
{
    out += fold(nameAndParams + QLatin1Char(':') + escapedValue);
}

QString joined(const QStringList &parts)
{
    QStringList kept;
    for (const QString &p : parts)
        if (!p.trimmed().isEmpty())
            kept << p.trimmed();
    return kept.join(QLatin1Char(' '));
}

// "yyyyMMdd" of a vCard date; empty with *noYear set for "--MMdd".
QString dateOf(const QString &value, bool *noYear)
{
    QString v = value.trimmed();
    *noYear = v.startsWith(QLatin1String("--"));
    if (*noYear)
        return {};
    const qsizetype t = v.indexOf(QLatin1Char('T'));
    if (t >= 0)
        v = v.left(t);
    v.remove(QLatin1Char('-'));
    const QDate d = QDate::fromString(v, QStringLiteral("yyyyMMdd"));
    return d.isValid() ? v : value.trimmed();
}

} // namespace

QStringList Property::parameter(const QString &name) const
{
    QStringList values;
    for (const auto &[n, v] : parameters)
        if (n == name)
            values << v;
    return values;
}

QStringList Property::types() const
{
    QStringList out;
    for (const QString &t : parameter(QStringLiteral("TYPE")))
        for (const QString &part : t.split(QLatin1Char(','), Qt::SkipEmptyParts))
            out << part.trimmed().toLower();
    return out;
}

QString Property::text() const
{
    return unescape(value);
}

QStringList Property::components() const
{
    QStringList out;
    for (QStringView part : splitUnescaped(value, QLatin1Char(';')))
        out << unescape(part);
    return out;
}

const Property *Card::first(const QString &name) const
{
    for (const Property &p : properties)
        if (p.name == name)
            return &p;
    return nullptr;
}

std::vector<Card> readCards(const QByteArray &bytes, std::vector<Finding> *findings)
{
    const QString text = exchange::decodeText(bytes);
    // Physical lines with their numbers.
    QStringList lines;
    {
        qsizetype start = 0;
        for (qsizetype i = 0; i <= text.size(); ++i) {
            if (i == text.size() || text.at(i) == QLatin1Char('\n') || text.at(i) == QLatin1Char('\r')) {
                lines << text.mid(start, i - start);
                if (i + 1 < text.size() && text.at(i) == QLatin1Char('\r') && text.at(i + 1) == QLatin1Char('\n'))
                    ++i;
                start = i + 1;
            }
        }
    }
    // Logical lines: a line beginning with a blank or a tab continues the
    // one before; a quoted-printable value ending in "=" continues on the next.
    struct Logical {
        int line;
        QString text;
    };
    std::vector<Logical> logical;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString &l = lines.at(i);
        if (!logical.empty() && !l.isEmpty() && (l.at(0) == QLatin1Char(' ') || l.at(0) == QLatin1Char('\t'))) {
            logical.back().text += l.mid(1);
            continue;
        }
        if (!logical.empty() && isQuotedPrintable(logical.back().text) && logical.back().text.endsWith(QLatin1Char('='))) {
            logical.back().text.chop(1);
            logical.back().text += l;
            continue;
        }
        if (l.trimmed().isEmpty())
            continue;
        logical.push_back({static_cast<int>(i + 1), l});
    }

    std::vector<Card> cards;
    bool inCard = false;
    bool broken = false;
    int depth = 0;
    Card card;
    auto report = [&](int line, const QString &what) {
        if (findings)
            findings->push_back({line, Problem::Syntax, QString(), what, true});
    };
    for (const Logical &l : logical) {
        Property p;
        QString error;
        const bool ok = parseLine(l.text, p, &error);
        if (ok && p.name == QLatin1String("BEGIN") && p.value.trimmed().compare(QLatin1String("VCARD"), Qt::CaseInsensitive) == 0) {
            if (inCard) {
                ++depth; // an embedded card (AGENT of version 2.1) is skipped
                continue;
            }
            inCard = true;
            broken = false;
            card = Card();
            card.line = l.line;
            continue;
        }
        if (!inCard) {
            report(l.line, QStringLiteral("text outside BEGIN:VCARD ... END:VCARD"));
            continue;
        }
        if (ok && p.name == QLatin1String("END") && p.value.trimmed().compare(QLatin1String("VCARD"), Qt::CaseInsensitive) == 0) {
            if (depth > 0) {
                --depth;
                continue;
            }
            inCard = false;
            if (!broken)
                cards.push_back(std::move(card));
            continue;
        }
        if (depth > 0)
            continue;
        if (!ok) {
            if (!broken) // the card is refused at its first bad line
                report(l.line, error);
            broken = true;
            continue;
        }
        p.line = l.line;
        const QStringList encoding = p.parameter(QStringLiteral("ENCODING"));
        if (!encoding.isEmpty() && encoding.first().compare(QLatin1String("QUOTED-PRINTABLE"), Qt::CaseInsensitive) == 0) {
            const QStringList charset = p.parameter(QStringLiteral("CHARSET"));
            p.value = decodeCharset(decodeQuotedPrintable(p.value), charset.isEmpty() ? QString() : charset.first());
        }
        if (p.name == QLatin1String("VERSION"))
            card.version = p.value.trimmed();
        card.properties.push_back(std::move(p));
    }
    if (inCard)
        report(card.line, QStringLiteral("BEGIN:VCARD without END:VCARD"));
    return cards;
}

QString escape(const QString &text)
{
    QString out;
    out.reserve(text.size() + 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        switch (c.unicode()) {
        case '\\': out += QLatin1String("\\\\"); break;
        case ',': out += QLatin1String("\\,"); break;
        case ';': out += QLatin1String("\\;"); break;
        case '\r':
            if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            out += QLatin1String("\\n");
            break;
        case '\n': out += QLatin1String("\\n"); break;
        default: out.append(c);
        }
    }
    return out;
}

QByteArray fold(const QString &line)
{
    const QByteArray utf8 = line.toUtf8();
    QByteArray out;
    out.reserve(utf8.size() + utf8.size() / 70 * 3 + 2);
    qsizetype pos = 0;
    qsizetype limit = 75;
    while (utf8.size() - pos > limit) {
        qsizetype cut = pos + limit;
        while (cut > pos && (static_cast<unsigned char>(utf8.at(cut)) & 0xC0) == 0x80)
            --cut;
        out.append(utf8.constData() + pos, cut - pos);
        out.append("\r\n ");
        pos = cut;
        limit = 74; // the blank counts
    }
    out.append(utf8.constData() + pos, utf8.size() - pos);
    out.append("\r\n");
    return out;
}

QByteArray writeAddress(const Record &a)
{
    QByteArray out;
    out += fold(QStringLiteral("BEGIN:VCARD"));
    out += fold(QStringLiteral("VERSION:4.0"));
    const QString sex = field(a, "SEX").toUpper();
    if (sex == QLatin1String("F"))
        add(out, QStringLiteral("KIND"), QStringLiteral("org"));
    else if (sex == QLatin1String("V"))
        add(out, QStringLiteral("KIND"), QStringLiteral("group"));
    add(out, QStringLiteral("FN"), escape(joined({field(a, "TITEL"), field(a, "VORNAME"), field(a, "FAMNAME")})));
    add(out, QStringLiteral("N"),
        escape(field(a, "FAMNAME")) + QLatin1Char(';') + escape(field(a, "VORNAME")) + QStringLiteral(";;")
            + escape(field(a, "TITEL")) + QLatin1Char(';'));
    if (sex == QLatin1String("M"))
        add(out, QStringLiteral("GENDER"), QStringLiteral("M"));
    else if (sex == QLatin1String("W"))
        add(out, QStringLiteral("GENDER"), QStringLiteral("F"));
    else if (sex == QLatin1String("S"))
        add(out, QStringLiteral("GENDER"), QStringLiteral("O"));
    const QString bday = field(a, "GEB_DAT");
    if (!bday.isEmpty())
        add(out, QStringLiteral("BDAY"), bday);
    if (!field(a, "STRASSE").isEmpty() || !field(a, "ORT").isEmpty() || !field(a, "PLZ").isEmpty()
        || !field(a, "STAAT").isEmpty())
        add(out, QStringLiteral("ADR;TYPE=home"),
            QStringLiteral(";;") + escape(field(a, "STRASSE")) + QLatin1Char(';') + escape(field(a, "ORT"))
                + QStringLiteral(";;") + escape(field(a, "PLZ")) + QLatin1Char(';') + escape(field(a, "STAAT")));
    const std::pair<const char *, const char *> phones[] = {
        {"TELNU", "TEL;TYPE=home,voice"}, {"TELNU2", "TEL;TYPE=work,voice"},
        {"TELMOBIL", "TEL;TYPE=cell"}, {"TELFAX", "TEL;TYPE=fax"}};
    for (const auto &[name, property] : phones) {
        const QString number = field(a, name);
        if (!number.isEmpty())
            add(out, QString::fromLatin1(property), escape(number));
    }
    if (!field(a, "EMAIL").isEmpty())
        add(out, QStringLiteral("EMAIL"), escape(field(a, "EMAIL")));
    if (!field(a, "WWW").isEmpty())
        add(out, QStringLiteral("URL"), escape(field(a, "WWW")));
    if (!a.note.isEmpty())
        add(out, QStringLiteral("NOTE"), escape(a.note));
    for (const char *name : kPrivateFields) {
        const QString value = field(a, name);
        if (!value.isEmpty())
            add(out, kX + QString::fromLatin1(name), escape(value));
    }
    out += fold(QStringLiteral("END:VCARD"));
    return out;
}

Record addressOf(const Card &card, std::vector<Finding> *findings, const std::function<QString(const QString &)> &countryCode)
{
    Record r;
    r.line = card.line;
    auto notTaken = [&](const Property &p, const QString &what) {
        if (findings)
            findings->push_back({p.line, Problem::NotTaken, p.name, what, false});
    };
    auto set = [&](const char *name, const QString &value) { r.fields.insert(QString::fromLatin1(name), value); };
    auto has = [&](const char *name) { return !r.fields.value(QString::fromLatin1(name)).isEmpty(); };

    if (const Property *n = card.first(QStringLiteral("N"))) {
        const QStringList c = n->components();
        set("FAMNAME", c.value(0).trimmed());
        set("VORNAME", joined({c.value(1).split(QLatin1Char(',')).join(QLatin1Char(' ')),
                               c.value(2).split(QLatin1Char(',')).join(QLatin1Char(' '))}));
        set("TITEL", joined(c.value(3).split(QLatin1Char(','))));
    }
    QString kind;
    if (const Property *k = card.first(QStringLiteral("KIND")))
        kind = k->text().trimmed().toLower();
    if (!has("FAMNAME") && !has("VORNAME")) {
        const Property *org = card.first(QStringLiteral("ORG"));
        const Property *fn = card.first(QStringLiteral("FN"));
        if (kind == QLatin1String("org") && org)
            set("FAMNAME", org->components().value(0).trimmed());
        else if (fn && !fn->text().trimmed().isEmpty()) {
            QStringList words = fn->text().simplified().split(QLatin1Char(' '));
            set("FAMNAME", words.takeLast());
            set("VORNAME", words.join(QLatin1Char(' ')));
        } else if (org)
            set("FAMNAME", org->components().value(0).trimmed());
    }

    QString sex;
    if (const Property *g = card.first(QStringLiteral("GENDER"))) {
        const QString code = g->components().value(0).trimmed().toUpper();
        if (code == QLatin1String("M"))
            sex = QStringLiteral("M");
        else if (code == QLatin1String("F"))
            sex = QStringLiteral("W");
        else if (code == QLatin1String("O"))
            sex = QStringLiteral("S");
    } else if (const Property *x = card.first(QStringLiteral("X-GENDER"))) {
        const QString value = x->text().trimmed().toLower();
        if (value.startsWith(QLatin1Char('m')))
            sex = QStringLiteral("M");
        else if (value.startsWith(QLatin1Char('f')) || value.startsWith(QLatin1Char('w')))
            sex = QStringLiteral("W");
    }
    if (sex.isEmpty() && kind == QLatin1String("org"))
        sex = QStringLiteral("F");
    else if (sex.isEmpty() && kind == QLatin1String("group"))
        sex = QStringLiteral("V");
    if (!sex.isEmpty())
        set("SEX", sex);

    // The postal address: the home one, else the preferred, else the first.
    const Property *adr = nullptr;
    for (const Property &p : card.properties) {
        if (p.name != QLatin1String("ADR"))
            continue;
        const QStringList t = p.types();
        if (!adr || (t.contains(QLatin1String("home")) && !adr->types().contains(QLatin1String("home")))
            || (t.contains(QLatin1String("pref")) && !adr->types().contains(QLatin1String("home"))
                && !adr->types().contains(QLatin1String("pref"))))
            adr = &p;
    }
    for (const Property &p : card.properties) {
        if (p.name == QLatin1String("ADR") && &p != adr)
            notTaken(p, joined(p.components()));
    }
    if (adr) {
        const QStringList c = adr->components();
        const QString street = c.value(2).trimmed();
        const QString extended = c.value(1).trimmed();
        set("STRASSE", extended.isEmpty() ? street : (street.isEmpty() ? extended : street + QStringLiteral(", ") + extended));
        set("ORT", c.value(3).trimmed());
        set("PLZ", c.value(5).trimmed());
        const QString country = c.value(6).trimmed();
        if (country.size() <= 3) {
            set("STAAT", country.toUpper());
        } else {
            const QString code = countryCode ? countryCode(country) : QString();
            if (!code.isEmpty())
                set("STAAT", code);
            else
                notTaken(*adr, country);
        }
    }

    for (const Property &p : card.properties) {
        if (p.name != QLatin1String("TEL"))
            continue;
        QString number = p.text().trimmed();
        if (number.startsWith(QLatin1String("tel:"), Qt::CaseInsensitive))
            number = number.mid(4);
        if (number.isEmpty())
            continue;
        const QStringList t = p.types();
        std::vector<const char *> targets;
        if (t.contains(QLatin1String("cell")))
            targets = {"TELMOBIL"};
        else if (t.contains(QLatin1String("fax")))
            targets = {"TELFAX"};
        else if (t.contains(QLatin1String("work")))
            targets = {"TELNU2", "TELNU"};
        else
            targets = {"TELNU", "TELNU2"};
        bool placed = false;
        for (const char *target : targets) {
            if (!has(target)) {
                set(target, number);
                placed = true;
                break;
            }
        }
        if (!placed)
            notTaken(p, number);
    }

    auto single = [&](const char *property, const char *target) {
        const Property *chosen = nullptr;
        for (const Property &p : card.properties) {
            if (p.name != QLatin1String(property) || p.text().trimmed().isEmpty())
                continue;
            const bool pref = p.types().contains(QLatin1String("pref")) || p.parameter(QStringLiteral("PREF")).value(0) == QLatin1String("1");
            if (!chosen || (pref && !chosen->types().contains(QLatin1String("pref"))
                            && chosen->parameter(QStringLiteral("PREF")).value(0) != QLatin1String("1")))
                chosen = &p;
        }
        for (const Property &p : card.properties)
            if (p.name == QLatin1String(property) && &p != chosen && !p.text().trimmed().isEmpty())
                notTaken(p, p.text().trimmed());
        if (chosen)
            set(target, chosen->text().trimmed());
    };
    single("EMAIL", "EMAIL");
    single("URL", "WWW");

    if (const Property *b = card.first(QStringLiteral("BDAY"))) {
        bool noYear = false;
        const QString date = dateOf(b->text(), &noYear);
        if (noYear)
            notTaken(*b, b->text().trimmed());
        else
            set("GEB_DAT", date);
    }
    QStringList notes;
    for (const Property &p : card.properties) {
        if (p.name == QLatin1String("NOTE"))
            notes << p.text();
        else if (p.name.startsWith(kX)) {
            const QString name = p.name.mid(kX.size());
            for (const char *known : kPrivateFields)
                if (name == QLatin1String(known))
                    r.fields.insert(name, p.text());
        }
    }
    r.note = notes.join(QLatin1Char('\n'));
    // Line ends of the note as the notes page keeps them.
    r.note.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return r;
}

exchange::Parsed readAddresses(const QByteArray &bytes, const std::function<QString(const QString &)> &countryCode)
{
    exchange::Parsed parsed;
    const std::vector<Card> cards = readCards(bytes, &parsed.findings);
    parsed.records.reserve(cards.size());
    for (const Card &card : cards)
        parsed.records.push_back(addressOf(card, &parsed.findings, countryCode));
    return parsed;
}

} // namespace vcard
