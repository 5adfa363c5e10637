// The numeric Tag every translatable control carries. The translator looks a
// control's texts up by its window's base number plus this Tag, so a window
// sets the Tag of each control once, right after creating it.
#pragma once

class QObject;

namespace tk {

// Sets the Tag of a control, menu action or window (stored as the dynamic
// property "Tag"). 0 means "not translated".
void setTag(QObject *object, int tag);

// The Tag of an object; 0 when none was set.
int tag(const QObject *object);

} // namespace tk
