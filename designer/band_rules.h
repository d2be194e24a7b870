#pragma once
// Where bands stand on a page in the designer and which may be added: the
// order follows the band engine (which band it prints when, and which
// header, footer and group belongs to which data band by their order from
// the top), so a page laid out here prints as it is shown. Each action is
// one undo step; a refused one returns its Polish message and changes
// nothing.

#include <QList>
#include <QPair>
#include <QRectF>
#include <QString>
#include <QUndoCommand>
#include <memory>

#include "report/model/units.h"

namespace valmoro::report {
class TfrxBand;
class TfrxReportPage;
}  // namespace valmoro::report

namespace valmoro::designer {

class DesignerDocument;

// The space above each band, where the workspace draws the band's caption.
inline constexpr double kBandGap = 0.5 * report::fr1cm;

enum class BandDirection { Up, Down };

// --- Order ------------------------------------------------------------------------
// The page's horizontal bands in the designer's order (vertical bands and
// the engine's null bands are not stacked and are left out).
QList<report::TfrxBand*> BandStackOrder(const report::TfrxReportPage& page);
// Bounds (as SetBoundsCommand takes them): the bands of `order` one below
// the other, each kBandGap below the previous one's bottom (the first
// kBandGap below the top of the printable area); left, width and height
// stay. The steps below stack bands locked against moving too: their place
// in the order stays.
QList<QPair<QString, QRectF>> StackBands(const QList<report::TfrxBand*>& order);
QList<QPair<QString, QRectF>> StackBands(const report::TfrxReportPage& page);

// --- Rules ------------------------------------------------------------------------
// Why a band of the class (a report class name, "TfrxMasterData") cannot
// be added to the page, or nothing when it can. `anchor` is the band the
// user points at: the data band a header, footer, group or detail band is
// for, the band a child band follows.
QString BandInsertRefusal(const report::TfrxReportPage& page, const QString& className,
                          const report::TfrxBand* anchor = nullptr);
// The height a new band of the class gets.
double DefaultBandHeight(const QString& className);

// --- Steps (checked and ready to push; not applied) --------------------------------
// Each throws ReportError with the Polish refusal instead.
// A new band at its place (full width, default height, a data band bound
// to the report's first data set), every band stacked again. A group
// header inside a group that has a footer comes with a footer of its own,
// so that the groups around keep theirs.
std::unique_ptr<QUndoCommand> MakeInsertBand(report::TfrxReportPage& page, const QString& className,
                                             const report::TfrxBand* anchor = nullptr,
                                             QString* insertedName = nullptr);
// A data band with its header, footer, groups, details and child bands
// past the next one of its level under the same master; a group header
// with its footer past the next group of its data band.
std::unique_ptr<QUndoCommand> MakeMoveBand(report::TfrxBand& band, BandDirection direction);
// The band with its views; the band it was the child of lets go of it;
// the rest stacked again.
std::unique_ptr<QUndoCommand> MakeDeleteBand(report::TfrxBand& band);
// The bands stacked in the designer's order; none when all stand so.
std::unique_ptr<QUndoCommand> MakeRestackBands(report::TfrxReportPage& page);

// --- Through the document -------------------------------------------------------
// The band the selection points at: the first selected band, or the band
// holding the first selected view; none.
report::TfrxBand* SelectedBand(const DesignerDocument& document);
// On the current page, anchored at SelectedBand; the new band is selected.
// Each returns the refusal, empty when done.
QString InsertBand(DesignerDocument& document, const QString& className);
QString MoveBand(DesignerDocument& document, report::TfrxBand& band, BandDirection direction);
QString DeleteBand(DesignerDocument& document, report::TfrxBand& band);

}  // namespace valmoro::designer
