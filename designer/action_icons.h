#pragma once
// Icons of the designer's own actions (alignment, stacking, locking), drawn
// once with QPainter at 16 and 24 pixels: the same look on every desktop,
// no picture files to ship.

#include <QIcon>
#include <QString>

namespace valmoro::designer {

// The icon of the action with this object name ("actAlignLefts", …); a null
// icon for actions that have none of their own.
QIcon ActionIcon(const QString& actionName);

}  // namespace valmoro::designer
