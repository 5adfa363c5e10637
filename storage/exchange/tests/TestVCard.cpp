// vCard reading and writing, the address mapping, and the round trip through
// python3-vobject.
#include "storage/exchange/TableExchange.h"
#include "storage/exchange/VCard.h"

#include "ExchangeTestData.h"
#include "storage/DatabaseSchema.h"
#include "storage/TXbaseDataSet.h"

#include <QFile>
#include <QTest>

#include "testing/TestRegistry.h"

using exchange::Problem;

namespace {

void addAddress(const QString &dir, const QMap<QString, QString> &values, const QString &note)
{
    exchange::Parsed parsed;
    exchange::Record r;
    r.fields = values;
    r.note = note;
    parsed.records.push_back(r);
    const exchange::ImportResult result = exchange::importRecords(dir, schema::kAdress, parsed);
    QCOMPARE(result.added, 1);
}

QMap<QString, QString> withoutKeys(QMap<QString, QString> fields)
{
    fields.remove(QStringLiteral("INR"));
    fields.remove(QStringLiteral("L_UPDATE"));
    return fields;
}

const exchange::Finding *findingOf(const std::vector<exchange::Finding> &findings, Problem problem)
{
    for (const exchange::Finding &f : findings)
        if (f.problem == problem)
            return &f;
    return nullptr;
}

} // namespace

class TestVCard : public QObject {
    Q_OBJECT

private slots:
    void foldingKeepsCharactersWhole();
    void escapingAndParametersReadBack();
    void readsVersions21And30();
    void roundTripThroughVobjectKeepsEveryField();
    void importsCardsVobjectWrote();
    void refusesTextOutsideWindows1252ByLine();
};

void TestVCard::foldingKeepsCharactersWhole()
{
    // 40 umlauts are 80 octets: the fold must fall between two characters.
    const QString value = QString(40, QChar(0x00E4)) + QStringLiteral("x").repeated(100);
    const QByteArray folded = vcard::fold(QStringLiteral("NOTE:") + value);
    const QList<QByteArray> lines = folded.split('\n');
    for (const QByteArray &line : lines) {
        QVERIFY2(line.size() <= 76, line.constData()); // 75 octets and the CR
        QVERIFY(QString::fromUtf8(line).indexOf(QChar::ReplacementCharacter) < 0);
    }
    QVERIFY(lines.size() > 3);
    QVERIFY(folded.endsWith("\r\n"));
    const QByteArray card = "BEGIN:VCARD\r\nVERSION:4.0\r\n" + folded + "END:VCARD\r\n";
    const std::vector<vcard::Card> cards = vcard::readCards(card, nullptr);
    QCOMPARE(cards.size(), std::size_t(1));
    QCOMPARE(cards[0].first(QStringLiteral("NOTE"))->text(), value);
}

void TestVCard::escapingAndParametersReadBack()
{
    const QString tricky = QStringLiteral("a,b;c\\d\nzweite Zeile");
    QCOMPARE(vcard::escape(tricky), QStringLiteral("a\\,b\\;c\\\\d\\nzweite Zeile"));
    const QByteArray text = "BEGIN:VCARD\nVERSION:4.0\n"
                            "item1.ADR;TYPE=\"home,pref\";LABEL=\"Hof 3: links; oben\":;;Weg 1\\; Hof;Graz;;8010;A\n"
                            "NOTE:" + vcard::escape(tricky).toUtf8() + "\nEND:VCARD\n";
    const std::vector<vcard::Card> cards = vcard::readCards(text, nullptr);
    QCOMPARE(cards.size(), std::size_t(1));
    const vcard::Property *adr = cards[0].first(QStringLiteral("ADR"));
    QVERIFY(adr);
    QCOMPARE(adr->group, QStringLiteral("item1"));
    QCOMPARE(adr->types(), (QStringList{QStringLiteral("home"), QStringLiteral("pref")}));
    QCOMPARE(adr->parameter(QStringLiteral("LABEL")), QStringList{QStringLiteral("Hof 3: links; oben")});
    QCOMPARE(adr->components().value(2), QStringLiteral("Weg 1; Hof"));
    QCOMPARE(cards[0].first(QStringLiteral("NOTE"))->text(), tricky);
}

void TestVCard::readsVersions21And30()
{
    // Version 2.1: bare types, quoted-printable with its character set and
    // a soft line break; version 3.0: TYPE lists and an ISO birthday.
    const QByteArray text =
        "BEGIN:VCARD\r\nVERSION:2.1\r\n"
        "N;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:M=C3=BCller;J=C3=BCrgen;;Dr.;\r\n"
        "TEL;HOME;VOICE:0316/12345\r\nTEL;CELL:0664 123\r\nTEL;WORK;FAX:0316/999\r\n"
        "ADR;HOME:;;Hauptplatz 1;Graz;;8010;A\r\n"
        "NOTE;ENCODING=QUOTED-PRINTABLE;CHARSET=ISO-8859-1:Erste Zeile=0D=0Azweite Zeile, mit Gr=FC=\r\n"
        "=DFen\r\n"
        "BDAY:1970-05-17\r\nEND:VCARD\r\n"
        "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Firma Huber\r\nN:;;;;\r\nORG:Huber GmbH\r\n"
        "TEL;TYPE=WORK,VOICE:01 234\r\nTEL;TYPE=HOME:05 678\r\nTEL;TYPE=VOICE:09 999\r\n"
        "EMAIL;TYPE=INTERNET:a@b.at\r\nEMAIL;TYPE=INTERNET,PREF:chef@huber.at\r\n"
        "ADR;TYPE=WORK:;;Werkstr. 2;Linz;;4020;Österreich\r\nBDAY:1999-12-31T00:00:00Z\r\nEND:VCARD\r\n";
    const exchange::Parsed parsed = vcard::readAddresses(text, [](const QString &name) {
        return name == QStringLiteral("Österreich") ? QStringLiteral("A") : QString();
    });
    QCOMPARE(parsed.records.size(), std::size_t(2));
    const auto &a = parsed.records[0].fields;
    QCOMPARE(a.value("FAMNAME"), QStringLiteral("Müller"));
    QCOMPARE(a.value("VORNAME"), QStringLiteral("Jürgen"));
    QCOMPARE(a.value("TITEL"), QStringLiteral("Dr."));
    QCOMPARE(a.value("TELNU"), QStringLiteral("0316/12345"));
    QCOMPARE(a.value("TELMOBIL"), QStringLiteral("0664 123"));
    QCOMPARE(a.value("TELFAX"), QStringLiteral("0316/999"));
    QCOMPARE(a.value("STRASSE"), QStringLiteral("Hauptplatz 1"));
    QCOMPARE(a.value("PLZ"), QStringLiteral("8010"));
    QCOMPARE(a.value("STAAT"), QStringLiteral("A"));
    QCOMPARE(a.value("GEB_DAT"), QStringLiteral("19700517"));
    QCOMPARE(parsed.records[0].note, QStringLiteral("Erste Zeile\nzweite Zeile, mit Grüßen"));
    QCOMPARE(parsed.records[0].line, 1);

    const auto &b = parsed.records[1].fields;
    QCOMPARE(b.value("FAMNAME"), QStringLiteral("Huber")); // FN split: last word
    QCOMPARE(b.value("VORNAME"), QStringLiteral("Firma"));
    QCOMPARE(b.value("TELNU2"), QStringLiteral("01 234"));
    QCOMPARE(b.value("TELNU"), QStringLiteral("05 678"));
    QCOMPARE(b.value("EMAIL"), QStringLiteral("chef@huber.at")); // the preferred one
    QCOMPARE(b.value("STAAT"), QStringLiteral("A"));             // by its name
    QCOMPARE(b.value("GEB_DAT"), QStringLiteral("19991231"));
    // The third number and the second e-mail address had no field left.
    int notTaken = 0;
    for (const exchange::Finding &f : parsed.findings) {
        QVERIFY(!f.refused);
        if (f.problem == Problem::NotTaken)
            ++notTaken;
    }
    QCOMPARE(notTaken, 2);
}

void TestVCard::roundTripThroughVobjectKeepsEveryField()
{
    auto dir = exchangetest::dataDir();
    auto back = exchangetest::dataDir();
    QVERIFY(exchangetest::createDatabase(dir->path()));
    QVERIFY(exchangetest::createDatabase(back->path()));
    const QMap<QString, QString> full = {
        {"FAMNAME", "Öhlinger-Weiß"}, {"VORNAME", "Anna Maria"}, {"STRASSE", "Hauptstraße 3; Hof, 2. Stock"},
        {"STAAT", "A"}, {"PLZ", "8010"}, {"ORT", "Graz"}, {"TELNU", "0316/12345"}, {"TELNU2", "0316/999-0"},
        {"TELMOBIL", "+43 664 1234567"}, {"TELFAX", "0316/999-9"}, {"BEMERKUNG", "Kurz: ruft \\ abends an"},
        {"CONTACT1", "19990301"}, {"CONTACTX", "20261201"}, {"GEB_DAT", "19720229"}, {"BABY", "Lena"},
        {"SEX", "W"}, {"TITEL", "Dr.med."}, {"ANREDE", "Sehr geehrte Frau Dr."}, {"WWW", "https://example.org/ä?a=1,2"},
        {"EMAIL", "anna@example.org"}, {"FIDO", "2:313/1"}, {"CIS", "100000,123"}, {"SELECTED", ""}, {"WICHTIG", "W"}};
    addAddress(dir->path(), full, QStringLiteral("Erste Zeile; mit Komma, Strichpunkt\nund € und „Anführung“"));
    addAddress(dir->path(), {{"FAMNAME", "Verein der Freunde"}, {"SEX", "V"}, {"ORT", "Wien"}}, QString());
    addAddress(dir->path(), {{"FAMNAME", "Huber & Co"}, {"SEX", "F"}, {"EMAIL", "office@huber.at"}}, QString());
    addAddress(dir->path(), {{"FAMNAME", "Meier"}, {"VORNAME", "Max"}, {"SEX", "M"}}, QStringLiteral("x"));
    addAddress(dir->path(), {{"FAMNAME", "Anders"}, {"SEX", "S"}}, QString());

    const std::vector<exchange::Record> before = exchangetest::records(dir->path(), schema::kAdress);
    QCOMPARE(before.size(), std::size_t(5));
    QByteArray file;
    for (const exchange::Record &r : before)
        file += vcard::writeAddress(r);
    const QString ours = dir->filePath(QStringLiteral("ours.vcf"));
    const QString theirs = dir->filePath(QStringLiteral("theirs.vcf"));
    {
        QFile out(ours);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(file);
    }
    // vobject reads our cards, checks a few values its own way, and writes
    // them again in its own form.
    bool ok = false;
    const QByteArray said = exchangetest::python(QStringLiteral(R"(
import sys, vobject
text = open(sys.argv[1], encoding='utf-8').read()
cards = list(vobject.readComponents(text))
assert len(cards) == 5, len(cards)
first = [c for c in cards if c.n.value.family.startswith('\u00d6hl')][0]
assert first.n.value.given == 'Anna Maria', first.n.value.given
assert first.adr.value.street == 'Hauptstra\u00dfe 3; Hof, 2. Stock', first.adr.value.street
assert first.note.value.startswith('Erste Zeile; mit Komma, Strichpunkt\nund'), repr(first.note.value)
assert sorted(t.type_param.lower() if isinstance(t.type_param, str) else ','.join(t.type_paramlist).lower() for t in first.tel_list)
with open(sys.argv[2], 'w', encoding='utf-8', newline='') as out:
    for c in cards:
        out.write(c.serialize())
print(len(cards))
)"), {ours, theirs}, &ok);
    QVERIFY2(ok, said.constData());
    QFile in(theirs);
    QVERIFY(in.open(QIODevice::ReadOnly));
    const QByteArray rewritten = in.readAll();
    QVERIFY(rewritten != file); // vobject's own form, not a copy of ours
    const exchange::Parsed parsed = vcard::readAddresses(rewritten);
    QCOMPARE(parsed.records.size(), std::size_t(5));
    const exchange::ImportResult result = exchange::importRecords(back->path(), schema::kAdress, parsed);
    QCOMPARE(result.added, 5);
    QCOMPARE(result.refused, 0);

    const std::vector<exchange::Record> after = exchangetest::records(back->path(), schema::kAdress);
    QCOMPARE(after.size(), before.size());
    for (std::size_t i = 0; i < before.size(); ++i) {
        QCOMPARE(withoutKeys(after[i].fields), withoutKeys(before[i].fields));
        QCOMPARE(after[i].note, before[i].note);
        QVERIFY(after[i].fields.value("INR").startsWith(QLatin1String("AD")));
        QVERIFY(after[i].fields.value("INR") != before[i].fields.value("INR"));
        QCOMPARE(after[i].fields.value("L_UPDATE"), QDate::currentDate().toString(QStringLiteral("yyyyMMdd")));
    }
}

void TestVCard::importsCardsVobjectWrote()
{
    auto dir = exchangetest::dataDir();
    const QString path = dir->filePath(QStringLiteral("vobject.vcf"));
    bool ok = false;
    const QByteArray said = exchangetest::python(QStringLiteral(R"(
import sys, datetime, vobject
out = open(sys.argv[1], 'w', encoding='utf-8', newline='')
for i in range(3):
    c = vobject.vCard()
    c.add('n').value = vobject.vcard.Name(family='Gr\u00fcnwald-%d' % i, given='J\u00f6rg', prefix='Mag.')
    c.add('fn').value = 'Mag. J\u00f6rg Gr\u00fcnwald-%d' % i
    a = c.add('adr'); a.value = vobject.vcard.Address(street='Lange Gasse 7, Stiege 2; T\u00fcr 9', city='Linz', code='4020', country='A'); a.type_param = 'HOME'
    t = c.add('tel'); t.value = '0732/7%d' % i; t.type_param = 'HOME'
    t = c.add('tel'); t.value = '0699/1%d' % i; t.type_param = 'CELL'
    t = c.add('tel'); t.value = '0732/9%d' % i; t.type_param = 'FAX'
    c.add('email').value = 'joerg%d@example.at' % i
    c.add('url').value = 'http://example.at/~j%d' % i
    c.add('bday').value = '1980-0%d-15' % (i + 1)
    c.add('note').value = 'Sehr lange Notiz mit Umlauten \u00e4\u00f6\u00fc und Zeichen ,;: ' * 3 + '\nzweite Zeile'
    out.write(c.serialize())
)"), {path}, &ok);
    QVERIFY2(ok, said.constData());
    QFile in(path);
    QVERIFY(in.open(QIODevice::ReadOnly));
    const exchange::Parsed parsed = vcard::readAddresses(in.readAll());
    QCOMPARE(parsed.records.size(), std::size_t(3));
    const exchange::Record &r = parsed.records[2];
    QCOMPARE(r.fields.value("FAMNAME"), QStringLiteral("Grünwald-2"));
    QCOMPARE(r.fields.value("VORNAME"), QStringLiteral("Jörg"));
    QCOMPARE(r.fields.value("TITEL"), QStringLiteral("Mag."));
    QCOMPARE(r.fields.value("STRASSE"), QStringLiteral("Lange Gasse 7, Stiege 2; Tür 9"));
    QCOMPARE(r.fields.value("ORT"), QStringLiteral("Linz"));
    QCOMPARE(r.fields.value("PLZ"), QStringLiteral("4020"));
    QCOMPARE(r.fields.value("STAAT"), QStringLiteral("A"));
    QCOMPARE(r.fields.value("TELNU"), QStringLiteral("0732/72"));
    QCOMPARE(r.fields.value("TELMOBIL"), QStringLiteral("0699/12"));
    QCOMPARE(r.fields.value("TELFAX"), QStringLiteral("0732/92"));
    QCOMPARE(r.fields.value("EMAIL"), QStringLiteral("joerg2@example.at"));
    QCOMPARE(r.fields.value("WWW"), QStringLiteral("http://example.at/~j2"));
    QCOMPARE(r.fields.value("GEB_DAT"), QStringLiteral("19800315"));
    QCOMPARE(r.note, QStringLiteral("Sehr lange Notiz mit Umlauten äöü und Zeichen ,;: ").repeated(3) + QStringLiteral("\nzweite Zeile"));
}

void TestVCard::refusesTextOutsideWindows1252ByLine()
{
    auto dir = exchangetest::dataDir();
    QVERIFY(exchangetest::createDatabase(dir->path()));
    const QByteArray text = "BEGIN:VCARD\r\nVERSION:4.0\r\nN:Gut;Anna;;;\r\nFN:Anna Gut\r\nEND:VCARD\r\n"
                            "BEGIN:VCARD\r\nVERSION:4.0\r\nN:Nowak;Łukasz;;;\r\nFN:x\r\nEND:VCARD\r\n"
                            "BEGIN:VCARD\r\nVERSION:4.0\r\nN:Lang;Eva;;;\r\nFN:Eva Lang\r\n"
                            "EMAIL:eine.sehr.lange.adresse@beispiel.example.org\r\nNOTE:Gruß 😀\r\nEND:VCARD\r\n"
                            "BEGIN:VCARD\r\nVERSION:4.0\r\nN:Kurz;Karl;;;\r\nFN:Karl Kurz\r\n"
                            "EMAIL:karl.kurz.mit.langer.adresse@beispiel.example.org\r\nEND:VCARD\r\n"
                            "BEGIN:VCARD\r\nVERSION:4.0\r\nN:Kaputt\r\nFN Karl\r\nEND:VCARD\r\n";
    const exchange::Parsed parsed = vcard::readAddresses(text);
    const exchange::ImportResult result = exchange::importRecords(dir->path(), schema::kAdress, parsed);
    QCOMPARE(result.added, 2);
    QCOMPARE(result.refused, 3);
    std::vector<exchange::Finding> refused;
    for (const exchange::Finding &f : result.findings)
        if (f.refused)
            refused.push_back(f);
    QCOMPARE(refused.size(), std::size_t(3));
    QCOMPARE(refused[0].line, 6);
    QCOMPARE(refused[0].problem, Problem::NotWindows1252);
    QCOMPARE(refused[0].field, QStringLiteral("VORNAME"));
    QVERIFY2(refused[0].detail.contains(QStringLiteral("U+0141")), qPrintable(refused[0].detail));
    QCOMPARE(refused[1].line, 11);
    QCOMPARE(refused[1].field, QStringLiteral("NOTIZEN"));
    QCOMPARE(refused[2].problem, Problem::Syntax);
    QCOMPARE(refused[2].line, 27);
    // The long address of Karl was cut to its field and said so.
    const exchange::Finding *cut = findingOf(result.findings, Problem::Shortened);
    QVERIFY(cut);
    QCOMPARE(cut->line, 18);
    QCOMPARE(cut->field, QStringLiteral("EMAIL"));
    QCOMPARE(cut->detail, QStringLiteral("25"));
    const std::vector<exchange::Record> stored = exchangetest::records(dir->path(), schema::kAdress);
    QCOMPARE(stored.size(), std::size_t(2));
    QCOMPARE(stored[0].fields.value("FAMNAME"), QStringLiteral("Gut"));
    QCOMPARE(stored[1].fields.value("EMAIL"), QStringLiteral("karl.kurz.mit.langer.adre"));
}

TESSARON_TEST(TestVCard)
#include "TestVCard.moc"
