#include "toolkit/text/Tag.h"

#include <QObject>
#include <QVariant>

namespace tk {

namespace {
constexpr char kTagProperty[] = "Tag";
}

void setTag(QObject *object, int tag)
{
    object->setProperty(kTagProperty, tag);
}

int tag(const QObject *object)
{
    return object->property(kTagProperty).toInt();
}

} // namespace tk
