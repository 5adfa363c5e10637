// vCard files (RFC 6350; the versions 2.1 and 3.0 are read too): content
// lines with folding, parameters and escaping, and the mapping of a card
// onto the fields of an address.
#pragma once

#include "storage/exchange/Exchange.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

namespace vcard {

// One content line: [group "."] name *(";" parameter) ":" value. Names and
// parameter names are held in upper case; the value is still escaped.
struct Property {
    int line = 0;
    QString group;
    QString name;
    QList<QPair<QString, QStringList>> parameters; // name -> values, in order
    QString value;

    // The values of parameter `name` (upper case); empty when it is absent.
    QStringList parameter(const QString &name) const;
    // TYPE values in lower case, with the bare types of version 2.1
    // ("TEL;HOME;VOICE") counted as TYPE.
    QStringList types() const;
    // The value unescaped as text.
    QString text() const;
    // The value as structured components (N, ADR): split at ";", each
    // component unescaped.
    QStringList components() const;
};

struct Card {
    int line = 0; // line of BEGIN:VCARD
    QString version;
    std::vector<Property> properties;

    // The first property named `name`; nullptr when there is none.
    const Property *first(const QString &name) const;
};

// Reads every card of a file. The bytes are UTF-8, or Windows-1252 when they
// are not valid UTF-8. Quoted-printable values (version 2.1) are decoded
// with their CHARSET. A card that is not closed, or a line outside the
// content-line syntax, is reported in `findings` and skipped.
std::vector<Card> readCards(const QByteArray &bytes, std::vector<exchange::Finding> *findings);

// Escapes a text value (backslash, comma, semicolon, newline).
QString escape(const QString &text);
// Folds one content line to lines of at most 75 octets (a continuation
// begins with a blank) and ends it with CRLF. Never splits a UTF-8 sequence.
QByteArray fold(const QString &line);

// --- Addresses.

// A vCard 4.0 card of an address: N, FN, KIND, GENDER, ADR with the country
// code, TEL by kind, EMAIL, URL, BDAY, NOTE, and X-TESSARON- properties for
// the fields no standard property holds. `address.fields` holds ADRESS
// fields by name.
QByteArray writeAddress(const exchange::Record &address);

// The address of a card, with the findings of values that found no field.
// `countryCode` turns a country name into its code (empty: unknown); the
// name is kept when it is no longer than the field.
exchange::Record addressOf(const Card &card, std::vector<exchange::Finding> *findings,
                           const std::function<QString(const QString &)> &countryCode = {});

// readCards and addressOf for a whole file.
exchange::Parsed readAddresses(const QByteArray &bytes,
                               const std::function<QString(const QString &)> &countryCode = {});

} // namespace vcard
