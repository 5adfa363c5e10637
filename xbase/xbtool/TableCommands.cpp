// The table commands of xbtool: info, create, append, dump, check.
#include "xbase/index/CdxOrderSet.h"
#include "xbase/text/Codepage.h"
#include "xbase/api/Engine.h"
#include "xbase/table/Env.h"
#include "xbase/table/FieldCodec.h"
#include "xbase/table/MemoFile.h"
#include "xbase/table/Table.h"
#include "xbase/api/WorkArea.h"
#include "xbase/xbtool/ToolCommon.h"

#include <cstdio>
#include <cstring>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>

using namespace xb;

namespace xbtool {

bool takesValue(const std::string &option)
{
    return option == "password" || option == "expr" || option == "order" || option == "blocksize" || option == "for";
}

int fail(const std::string &message)
{
    std::string line = message;
    for (char &c : line)
        if (c == '\n' || c == '\r')
            c = ' ';
    std::cerr << "xbtool: " << line << "\n";
    return 1;
}

int fail(const Status &status)
{
    return fail(status.toString());
}

std::string csvField(const std::string &text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string out = "\"";
    for (char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + "\"";
}

bool readCsvRecord(std::FILE *in, std::vector<std::string> &fields, std::string *error)
{
    fields.clear();
    std::string field;
    bool quoted = false, any = false, wasQuoted = false;
    for (;;) {
        const int c = std::fgetc(in);
        if (c == EOF) {
            if (quoted) {
                *error = "unterminated quote at the end of the input";
                return false;
            }
            if (!any)
                return false;
            fields.push_back(field);
            return true;
        }
        any = true;
        if (quoted) {
            if (c == '"') {
                const int next = std::fgetc(in);
                if (next == '"') {
                    field += '"';
                } else {
                    quoted = false;
                    if (next != EOF)
                        std::ungetc(next, in);
                }
            } else {
                field += static_cast<char>(c);
            }
        } else if (c == '"' && field.empty() && !wasQuoted) {
            quoted = wasQuoted = true;
        } else if (c == ',') {
            fields.push_back(field);
            field.clear();
            wasQuoted = false;
        } else if (c == '\n') {
            if (!field.empty() && field.back() == '\r')
                field.pop_back();
            fields.push_back(field);
            return true;
        } else {
            field += static_cast<char>(c);
        }
    }
}

namespace {

const char *typeName(uint8_t v)
{
    switch (v) {
    case 0x02: return "FoxBASE";
    case 0x03: return "FoxPro 2.x / dBASE III, no memo";
    case 0x30: return "Visual FoxPro";
    case 0x31: return "Visual FoxPro, autoincrement";
    case 0x32: return "Visual FoxPro, varchar";
    case 0x83: return "dBASE III with memo";
    case 0x8B: return "dBASE IV with memo";
    case 0xF5: return "FoxPro 2.x with memo";
    default: return "other xBase";
    }
}

const char *codePageName(uint8_t mark)
{
    switch (mark) {
    case 0x00: return "none";
    case 0x01: return "437";
    case 0x02: return "850";
    case 0x03: return "Windows-1252";
    case 0x64: return "852";
    case 0x65: return "866";
    case 0xC8: return "Windows-1250";
    case 0xC9: return "Windows-1251";
    default: return "other";
    }
}

std::string hexByte(unsigned v)
{
    char buf[8];
    std::snprintf(buf, sizeof buf, "0x%02X", v & 0xFF);
    return buf;
}

// Command-line text is UTF-8; tables hold Windows-1252.
Status toTableText(const std::string &what, const std::string &utf8, std::string &out)
{
    std::size_t bad = 0;
    if (!utf8ToCp1252(utf8, out, &bad))
        return Status::badArgument(what + ": character not in Windows-1252 at byte " + std::to_string(bad));
    return Status::ok();
}

} // namespace

Status passwordOf(const Args &args, std::string &out)
{
    out.clear();
    return args.has("password") ? toTableText("password", args.get("password"), out) : Status::ok();
}

Status applyPassword(const Args &args, Table &table)
{
    if (!args.has("password"))
        return Status::ok();
    std::string password;
    Status s = passwordOf(args, password);
    if (s)
        table.setPassword(password);
    return s;
}

Status requireReadable(const Args &args, Table &table)
{
    if (!table.isEncrypted() || table.passwordMatches())
        return Status::ok();
    return Status::badArgument(table.path() + (args.has("password") ? ": wrong password" : ": encrypted; give --password"));
}

namespace {

Status openTable(const Args &args, OpenMode mode, std::unique_ptr<Table> &out)
{
    if (args.positional.empty())
        return Status::badArgument("no table given");
    Status s = Table::open(Env::posix(), args.positional[0], mode, out);
    if (!s)
        return s;
    return applyPassword(args, *out);
}

// A field value for output: UTF-8, dates as yyyy-mm-dd, memo text.
Status outputValue(Table &table, int f, const std::string &record, std::string &out)
{
    const FieldInfo &field = table.fields()[f];
    if (table.isMemoField(f)) {
        uint32_t type = 1;
        std::string memo;
        Status s = table.readMemo(f, record.data(), memo, &type);
        if (!s)
            return s;
        if (type != 1 || field.type == 'G' || field.type == 'P' || field.type == 'W')
            out = memo.empty() ? std::string() : "<binary " + std::to_string(memo.size()) + " bytes>";
        else
            out = cp1252ToUtf8(memo);
        return Status::ok();
    }
    std::string text = FieldCodec::text(table, f, record.data());
    if (field.type == 'D' && text.size() == 8)
        text = text.substr(0, 4) + "-" + text.substr(4, 2) + "-" + text.substr(6, 2);
    else if (field.type == 'T' && text.size() == 14)
        text = text.substr(0, 4) + "-" + text.substr(4, 2) + "-" + text.substr(6, 2) + " " + text.substr(8, 2) + ":"
            + text.substr(10, 2) + ":" + text.substr(12, 2);
    out = cp1252ToUtf8(text);
    return Status::ok();
}

int cmdInfo(const Args &args)
{
    std::unique_ptr<Table> t;
    Status s = openTable(args, OpenMode::ReadOnly, t);
    if (!s && s.code() == Status::Code::Corrupt && s.detail().find("beyond the file size") != std::string::npos)
        return fail(s.toString() + " (xbtool repair recovers the whole records)");
    if (!s)
        return fail(s);
    uint32_t count = 0;
    if (!(s = t->recordCount(&count)))
        return fail(s);
    std::cout << "table:       " << t->path() << "\n"
              << "type:        " << hexByte(t->versionByte()) << " " << typeName(t->versionByte()) << "\n"
              << "records:     " << count << "\n"
              << "header:      " << t->headerLength() << " bytes\n"
              << "record:      " << t->recordLength() << " bytes\n"
              << "code page:   " << hexByte(t->codePageMark()) << " " << codePageName(t->codePageMark()) << "\n"
              << "flags:       " << hexByte(t->tableFlags())
              << (t->hasStructuralIndexFlag() ? " structural index" : "") << "\n";
    if (!t->memoPath().empty()) {
        std::unique_ptr<MemoFile> memo;
        std::cout << "memo:        " << t->memoPath() << ", block size " << t->memoBlockSize();
        if (MemoFile::open(Env::posix(), t->memoPath(), false, memo))
            std::cout << ", next free block " << memo->nextFree();
        std::cout << "\n";
    } else {
        std::cout << "memo:        none\n";
    }
    std::cout << "encrypted:   ";
    if (!t->isEncrypted())
        std::cout << "no\n";
    else if (!args.has("password"))
        std::cout << "yes\n";
    else
        std::cout << (t->passwordMatches() ? "yes, password matches\n" : "yes, wrong password\n");
    std::cout << "fields:      " << t->fields().size() << "\n";
    int number = 0;
    for (const FieldInfo &f : t->fields()) {
        char line[96];
        std::snprintf(line, sizeof line, "  %3d %-10s %c %5d %3d  offset %d%s\n", ++number, f.name.c_str(), f.type,
                      f.width, f.decimals, f.offset, f.nullable ? "  nullable" : "");
        std::cout << line;
    }
    return 0;
}

int cmdCreate(const Args &args)
{
    if (args.positional.size() < 2)
        return fail("usage: xbtool create F.DBF NAME:TYPE:WIDTH[:DEC]...");
    const std::string &path = args.positional[0];
    if (Env::posix()->fileExists(path) && !args.has("force"))
        return fail(path + ": exists (give --force to replace it)");
    std::vector<FieldSpec> fields;
    for (std::size_t i = 1; i < args.positional.size(); ++i) {
        std::vector<std::string> parts;
        std::stringstream in(args.positional[i]);
        std::string part;
        while (std::getline(in, part, ':'))
            parts.push_back(part);
        if (parts.size() < 2 || parts.size() > 4 || parts[1].size() != 1)
            return fail("bad field \"" + args.positional[i] + "\" (NAME:TYPE:WIDTH[:DEC])");
        FieldSpec f{parts[0], parts[1][0], 0, 0};
        try {
            if (parts.size() > 2)
                f.width = std::stoi(parts[2]);
            if (parts.size() > 3)
                f.decimals = std::stoi(parts[3]);
        } catch (...) {
            return fail("bad width in \"" + args.positional[i] + "\"");
        }
        fields.push_back(f);
    }
    Table::CreateOptions options;
    if (args.has("blocksize")) {
        const int size = std::atoi(args.get("blocksize").c_str());
        if (size < 1 || size > 65535)
            return fail("block size must be 1 to 65535");
        options.memoBlockSize = static_cast<uint16_t>(size);
    }
    Status s = Table::create(Env::posix(), path, fields, options);
    if (!s)
        return fail(s);
    if (args.has("password")) {
        std::unique_ptr<Table> t;
        std::string password;
        if (!(s = toTableText("password", args.get("password"), password)))
            return fail(s);
        if (!(s = Table::open(Env::posix(), path, OpenMode::Exclusive, t)))
            return fail(s);
        t->setPassword(password);
        if (!(s = t->encrypt()))
            return fail(s);
    }
    std::unique_ptr<Table> t;
    if (!(s = Table::open(Env::posix(), path, OpenMode::ReadOnly, t)))
        return fail(s);
    std::cout << "created " << path << ": " << fields.size() << " fields, " << t->recordLength() << "-byte records\n";
    return 0;
}

int cmdAppend(const Args &args)
{
    // Through a work area: the structural index opens with the table and
    // follows every appended record.
    if (args.positional.empty())
        return fail("no table given");
    Engine engine;
    int area = 0;
    Status s = engine.use(args.positional[0], "APPEND", OpenMode::Shared, &area);
    if (!s)
        return fail(s);
    WorkArea &wa = *engine.area(area);
    Table *t = &wa.table();
    if (!(s = applyPassword(args, *t)))
        return fail(s);
    if (t->isEncrypted() && !t->passwordMatches())
        return fail(t->path() + ": encrypted; give the right --password");
    std::vector<std::string> header, row;
    std::string error;
    if (!readCsvRecord(stdin, header, &error))
        return fail(error.empty() ? "no header line on stdin" : error);
    if (!header.empty() && header[0].compare(0, 3, "\xEF\xBB\xBF") == 0)
        header[0].erase(0, 3);
    std::vector<int> columns;
    for (const std::string &name : header) {
        const int f = t->fieldIndex(name);
        if (f < 0)
            return fail(t->path() + ": no field \"" + name + "\"");
        columns.push_back(f);
    }
    uint32_t added = 0;
    int line = 1;
    while (readCsvRecord(stdin, row, &error)) {
        ++line;
        if (row.size() == 1 && row[0].empty())
            continue; // blank line
        if (row.size() != columns.size())
            return fail("line " + std::to_string(line) + ": " + std::to_string(row.size()) + " values for "
                        + std::to_string(columns.size()) + " columns (" + std::to_string(added) + " records appended)");
        std::string record = t->blankRecord();
        std::vector<std::pair<int, std::string>> memos;
        for (std::size_t c = 0; c < columns.size(); ++c) {
            std::string bytes;
            std::size_t bad = 0;
            if (!utf8ToCp1252(row[c], bytes, &bad))
                return fail("line " + std::to_string(line) + ", column " + header[c]
                            + ": character not in Windows-1252 at byte " + std::to_string(bad));
            if (t->isMemoField(columns[c])) {
                memos.emplace_back(columns[c], bytes);
                continue;
            }
            if (!(s = FieldCodec::setText(*t, columns[c], record.data(), bytes)))
                return fail("line " + std::to_string(line) + ": " + s.detail());
        }
        // Memos before the record that points at them.
        for (const auto &[f, text] : memos)
            if (!text.empty() && !(s = wa.storeMemo(f, text, 1, record.data())))
                return fail(s);
        if (!(s = wa.appendRecord(record.data())))
            return fail(s);
        ++added;
    }
    if (!error.empty())
        return fail(error);
    if (!(s = t->commit()))
        return fail(s);
    std::cout << "appended " << added << " records\n";
    return 0;
}

int cmdDump(const Args &args)
{
    if (args.positional.empty())
        return fail("usage: xbtool dump F.DBF [--expr E] [--all] [--password P]");
    Engine engine;
    if (args.has("all"))
        engine.settings().hideDeleted = false;
    else
        engine.settings().hideDeleted = true;
    int area = 0;
    Status s = engine.use(args.positional[0], "DUMP", OpenMode::ReadOnly, &area);
    if (!s)
        return fail(s);
    WorkArea &wa = *engine.area(area);
    Table &t = wa.table();
    std::string text;
    if (args.has("password")) {
        if (!(s = toTableText("password", args.get("password"), text)))
            return fail(s);
        t.setPassword(text);
    }
    if (t.isEncrypted() && !t.passwordMatches())
        return fail(t.path() + (args.has("password") ? ": wrong password" : ": encrypted; give --password"));
    int64_t count = 0;
    if (args.has("expr")) {
        if (!(s = toTableText("expression", args.get("expr"), text)) || !(s = wa.setFilter(text, &count)))
            return fail(s);
    }
    if (args.has("order")) {
        CdxOrderSet *set = wa.indexes();
        const int number = set ? set->tagNumber(args.get("order")) : 0;
        if (number == 0)
            return fail(t.path() + ": no tag " + args.get("order"));
        set->setCurrent(number);
        wa.setOrder(set->order(number));
    }
    if (!(s = wa.goTop()))
        return fail(s);
    std::string line;
    std::vector<int> columns;
    for (int f = 0; f < int(t.fields().size()); ++f) {
        if (t.fields()[f].type == '0')
            continue;
        columns.push_back(f);
        line += (line.empty() ? "" : ",") + csvField(t.fields()[f].name);
    }
    if (args.has("all"))
        line += ",_DELETED";
    std::cout << line << "\n";
    std::string record(t.recordLength(), '\0'), value;
    while (!wa.eof()) {
        record.assign(wa.record(), t.recordLength());
        line.clear();
        for (int f : columns) {
            if (!(s = outputValue(t, f, record, value)))
                return fail(s);
            line += (f == columns.front() ? "" : ",") + csvField(value);
        }
        if (args.has("all"))
            line += record[0] == '*' ? ",*" : ",";
        std::cout << line << "\n";
        if (!(s = wa.skip(1)))
            return fail(s);
    }
    return 0;
}

int cmdCheck(const Args &args)
{
    std::unique_ptr<Table> t;
    Status s = openTable(args, OpenMode::ReadOnly, t);
    if (!s && s.code() == Status::Code::Corrupt && s.detail().find("beyond the file size") != std::string::npos)
        return fail(s.toString() + " (xbtool repair recovers the whole records)");
    if (!s)
        return fail(s);
    uint32_t count = 0;
    if (!(s = t->recordCount(&count)))
        return fail(s);
    std::vector<std::string> problems;
    auto problem = [&](const std::string &text) {
        if (problems.size() < 100)
            std::cout << "problem: " << text << "\n";
        problems.push_back(text);
    };
    uint64_t size = 0;
    {
        std::unique_ptr<File> f;
        if ((s = Env::posix()->openFile(t->path(), false, f)) && (s = f->size(&size))) {
            const uint64_t end = t->headerLength() + uint64_t(count) * t->recordLength();
            if (size > end + 1)
                problem(std::to_string(size - end) + " bytes after the last counted record (an interrupted append? xbtool repair cuts them)");
        }
    }
    const bool records = !t->isEncrypted() || (args.has("password") && t->passwordMatches());
    if (!records)
        std::cout << "note: encrypted; field values not checked (give the right --password)\n";
    std::map<uint32_t, uint32_t> memoOwner;
    std::string r(t->recordLength(), '\0'), memo;
    for (uint32_t recno = 1; recno <= count; ++recno) {
        if (!(s = t->read(recno, r.data()))) {
            problem(s.toString());
            break;
        }
        const std::string at = "record " + std::to_string(recno) + ": ";
        if (r[0] != ' ' && r[0] != '*')
            problem(at + "deletion byte " + hexByte(static_cast<unsigned char>(r[0])));
        if (!records)
            continue;
        for (int f = 0; f < int(t->fields().size()); ++f) {
            const FieldInfo &fi = t->fields()[f];
            const std::string text = FieldCodec::text(*t, f, r.data());
            double number = 0;
            if (t->isMemoField(f)) {
                const uint32_t block = t->memoBlock(f, r.data());
                if (block == 0)
                    continue;
                if ((s = t->readMemo(f, r.data(), memo))) {
                    auto [it, fresh] = memoOwner.emplace(block, recno);
                    if (!fresh)
                        problem(at + fi.name + " shares memo block " + std::to_string(block) + " with record "
                                + std::to_string(it->second));
                } else {
                    problem(at + s.detail());
                }
            } else if ((fi.type == 'N' || fi.type == 'F') && !text.empty() && !FieldCodec::parseNumber(text, &number)) {
                problem(at + fi.name + " is not a number: \"" + cp1252ToUtf8(text) + "\"");
            } else if (fi.type == 'D' && !text.empty()) {
                std::string probe = t->blankRecord();
                if (!FieldCodec::setText(*t, f, probe.data(), text))
                    problem(at + fi.name + " is not a date: \"" + cp1252ToUtf8(text) + "\"");
            } else if (fi.type == 'L' && !text.empty() && std::string("TFYN?tfyn").find(text[0]) == std::string::npos) {
                problem(at + fi.name + " is not a logical: \"" + cp1252ToUtf8(text) + "\"");
            }
        }
    }
    int damagedTags = 0;
    checkTags(*t, &damagedTags);
    if (!problems.empty() || damagedTags)
        return fail(t->path() + ": " + std::to_string(problems.size()) + " problems, " + std::to_string(damagedTags) +
                    " damaged tags (" +
                    (problems.empty() ? "xbtool reindex rebuilds the tags" : "xbtool repair recovers the table") + ")");
    std::cout << "ok: " << t->path() << ": " << count << " records, structure sound\n";
    return 0;
}

} // namespace

const std::vector<Command> &tableCommands()
{
    static const std::vector<Command> commands = {
        {"info", "info F.DBF                                  header, fields, memo, encryption", cmdInfo},
        {"create", "create F.DBF NAME:TYPE:WIDTH[:DEC]... [--force] [--blocksize N]", cmdCreate},
        {"append", "append F.DBF < rows.csv                     CSV with a header line, UTF-8", cmdAppend},
        {"dump", "dump F.DBF [--expr E] [--all] [--order TAG] CSV out, UTF-8", cmdDump},
        {"check", "check F.DBF                                 structure, values and index tags", cmdCheck},
    };
    return commands;
}

} // namespace xbtool
