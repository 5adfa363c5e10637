// The loaded language file: every translatable text of the program by number.
//
// A language file is 8-bit text, one "N=text" entry per line; see the program
// documentation for escapes and quoting. The file is parsed once into a table
// at load; lookups never scan the file again.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QVariantList>

namespace tk {

class Language {
public:
    // Maximum length of an entry's raw text, counted before escapes are decoded.
    static constexpr int kMaxRawText = 500;

    // Parses the bytes of a language file and replaces the current table. An
    // empty file leaves the language "not loaded".
    void load(const QByteArray &fileBytes);
    void clear();

    bool isLoaded() const { return m_loaded; }

    // The Windows character-set number of the "[chs=NNN]" marker; 0 when none.
    int charset() const { return m_charset; }

    // The text of entry N, escapes decoded and converted from the file's code
    // page; empty when nothing is loaded or the number has no entry.
    QString text(int number) const;

    // The same as raw bytes in the file's code page.
    QByteArray rawText(int number) const;

    // Decodes 8-bit bytes of the given character set to Unicode.
    static QString decode(const QByteArray &bytes, int charset);

    // The process-wide language every window and message uses.
    static Language &current();

private:
    QHash<int, QByteArray> m_entries;
    int m_charset = 0;
    bool m_loaded = false;
};

// Short for Language::current().text(number).
QString langText(int number);

// Fills the printf-style placeholders of a language text: %s (text), %d and
// %u (integer), %% (a percent sign), each with an optional width ("%5d").
// Missing arguments count as empty or 0; surplus ones are ignored.
QString formatText(const QString &pattern, const QVariantList &args);

} // namespace tk
