#pragma once
// Checking a report without preparing it: the script compiles, and so does
// every expression the band engine would evaluate (text views, highlights,
// group conditions, sort keys of data bands, report variables), with every
// data field they name present in its data set. Used by the command-line
// check and wherever a report is to be checked before it runs.

#include <QStringList>

namespace valmoro::report {
class TfrxReport;
}

namespace valmoro::report::engine {

// The errors preparing would stop at, each once, in the order the objects
// come in the report ("Name: message" for an object's expression). Compiles
// the report's script (PrepareScript) on the way.
QStringList CheckReport(TfrxReport& report);

}  // namespace valmoro::report::engine
