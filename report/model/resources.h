#pragma once
// The Polish texts of the report subsystem, by name. One table for the whole
// subsystem: messages, captions of object kinds, and later window texts.

#include <QString>
#include <QStringView>

namespace valmoro::report::resources {

// The text of a resource name ("prDupl" gives "Nazwa jest już użyta"); an
// unknown name gives the name itself, so a missing entry shows up as such.
QString text(QStringView name);

}  // namespace valmoro::report::resources
