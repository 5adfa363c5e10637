#include "storage/TXbBlobStream.h"

#include "toolkit/data/Field.h"

TXbBlobStream::TXbBlobStream(tk::Field *field, QIODevice::OpenMode mode) : m_field(field), m_mode(mode)
{
    if (!(mode & QIODevice::Truncate) && (mode & QIODevice::ReadOnly))
        setData(field->AsBytes());
    open(mode);
    seek(0);
}

TXbBlobStream::~TXbBlobStream()
{
    if (m_mode & QIODevice::WriteOnly) {
        try {
            m_field->SetAsBytes(data());
        } catch (...) {
            // A destructor cannot report; the field keeps its old data.
        }
    }
}
