#pragma once
// Page ranges typed by a user: "1,3-5,8-" (1-based, "-" up to the last).

#include <QList>
#include <QString>

namespace valmoro::tools {

// The pages in the order written, each once; empty with a Polish message in
// error for a malformed range or a page outside 1..pageCount.
QList<int> parsePageRange(const QString& text, int pageCount, QString* error);

}  // namespace valmoro::tools
