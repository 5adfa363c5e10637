// The bound read-only text.
#include "toolkit/controls/DBText.h"

namespace tk {

DBText::DBText(QWidget *parent) : QLabel(parent), m_link(this)
{
    setTextFormat(Qt::PlainText);
    m_link.OnDataChange = [this] {
        const Field *f = field();
        setText(f ? f->DisplayText() : QString());
    };
}

} // namespace tk
