// The result of an engine operation: a code plus a detail text for the
// developer (file name, offset, expression position). The engine never throws
// and never shows text to the user; the layers above map codes to messages.
#pragma once

#include <string>
#include <utility>

namespace xb {

class Status {
public:
    enum class Code {
        Ok,
        NotFound,    // no such file, field, tag, alias or key
        Corrupt,     // a file's bytes contradict its format
        IoError,     // the operating system refused a read or write
        BadArgument, // the caller asked for something impossible
        Locked,      // another holder has the record, header or file
        ReadOnly,    // a change on a table opened read-only
        Syntax,      // an expression that does not parse or type-check
    };

    Status() = default;

    static Status ok() { return Status(); }
    static Status notFound(std::string detail) { return Status(Code::NotFound, std::move(detail)); }
    static Status corrupt(std::string detail) { return Status(Code::Corrupt, std::move(detail)); }
    static Status ioError(std::string detail) { return Status(Code::IoError, std::move(detail)); }
    static Status badArgument(std::string detail) { return Status(Code::BadArgument, std::move(detail)); }
    static Status locked(std::string detail) { return Status(Code::Locked, std::move(detail)); }
    static Status readOnly(std::string detail) { return Status(Code::ReadOnly, std::move(detail)); }
    static Status syntax(std::string detail) { return Status(Code::Syntax, std::move(detail)); }

    bool isOk() const { return m_code == Code::Ok; }
    explicit operator bool() const { return isOk(); }
    Code code() const { return m_code; }
    const std::string &detail() const { return m_detail; }

    // "Corrupt: ADRESS.DBF: record count 90 beyond the file size" and the like.
    std::string toString() const;

private:
    Status(Code code, std::string detail) : m_code(code), m_detail(std::move(detail)) {}

    Code m_code = Code::Ok;
    std::string m_detail;
};

} // namespace xb
