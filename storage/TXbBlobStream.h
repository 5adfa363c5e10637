// A stream over one memo or blob field of the current record. Reading
// loads the field's data (once per record, then cached); a stream opened for
// writing starts empty and, when it is destroyed, replaces the field's data,
// which the next Post stores.
#pragma once

#include <QBuffer>

namespace tk {
class Field;
}

class TXbBlobStream : public QBuffer {
    Q_OBJECT

public:
    // `field` must outlive the stream; the dataset must be editing for a
    // stream opened for writing.
    TXbBlobStream(tk::Field *field, QIODevice::OpenMode mode);
    ~TXbBlobStream() override;

private:
    tk::Field *m_field;
    QIODevice::OpenMode m_mode;
};
