#include "xbase/table/Status.h"

namespace xb {

std::string Status::toString() const
{
    const char *name = "OK";
    switch (m_code) {
    case Code::Ok: return "OK";
    case Code::NotFound: name = "Not found"; break;
    case Code::Corrupt: name = "Corrupt"; break;
    case Code::IoError: name = "I/O error"; break;
    case Code::BadArgument: name = "Bad argument"; break;
    case Code::Locked: name = "Locked"; break;
    case Code::ReadOnly: name = "Read-only"; break;
    case Code::Syntax: name = "Syntax error"; break;
    }
    return m_detail.empty() ? std::string(name) : std::string(name) + ": " + m_detail;
}

} // namespace xb
