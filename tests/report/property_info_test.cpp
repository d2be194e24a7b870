// What the designer's inspector learns of published properties: categories,
// editors and units by kind and by name, and their class-info overrides.

#include <gtest/gtest.h>

#include "document_support.h"
#include "qt_printers.h"
#include "report/model/band.h"
#include "report/model/class_registry.h"
#include "report/model/dialog.h"
#include "report/model/frame.h"
#include "report/model/highlight.h"
#include "report/model/memo_view.h"
#include "report/model/property_info.h"
#include "report/model/published.h"
#include "report/model/report_font.h"
#include "report/model/report_page.h"
#include "report/model/style.h"

namespace valmoro::report::inspected {

// Overrides by class info, and overrides of overrides further down.
class InspectedMemo : public TfrxMemoView {
  Q_OBJECT
  Q_CLASSINFO("category:Left", "data")
  Q_CLASSINFO("editor:Memo", "text")
  Q_CLASSINFO("unit:GapX", "mm")
  Q_CLASSINFO("editor:Tag", "slider")

public:
  explicit InspectedMemo(TfrxComponent* parent = nullptr) : TfrxMemoView(parent) {}
};

class MoreInspectedMemo : public InspectedMemo {
  Q_OBJECT
  Q_CLASSINFO("category:Left", "events")
  Q_CLASSINFO("unit:Width", "none")

public:
  explicit MoreInspectedMemo(TfrxComponent* parent = nullptr) : InspectedMemo(parent) {}
};

}  // namespace valmoro::report::inspected

using namespace valmoro;
using namespace valmoro::report;

namespace {

using valmoro::report::testing::prop;

QString editorName(PropertyEditor editor) {
  switch (editor) {
    case PropertyEditor::None: return "None";
    case PropertyEditor::Boolean: return "Boolean";
    case PropertyEditor::Number: return "Number";
    case PropertyEditor::Length: return "Length";
    case PropertyEditor::Enumeration: return "Enumeration";
    case PropertyEditor::Set: return "Set";
    case PropertyEditor::Color: return "Color";
    case PropertyEditor::Font: return "Font";
    case PropertyEditor::Frame: return "Frame";
    case PropertyEditor::Text: return "Text";
    case PropertyEditor::LongText: return "LongText";
    case PropertyEditor::StringList: return "StringList";
    case PropertyEditor::DataSet: return "DataSet";
    case PropertyEditor::DataField: return "DataField";
    case PropertyEditor::ObjectReference: return "ObjectReference";
    case PropertyEditor::Object: return "Object";
    case PropertyEditor::Picture: return "Picture";
    case PropertyEditor::Event: return "Event";
  }
  return "?";
}

// "Left: Length px / Położenie i rozmiar" for each name.
QStringList describe(const QMetaObject& cls, std::initializer_list<const char*> names) {
  QStringList out;
  for (const char* name : names) {
    const PublishedProperty& p = prop(cls, name);
    QString line = QString::fromLatin1(name) + ": " + editorName(p.editor());
    if (p.unit() != LengthUnit::None) line += " " + lengthUnitSymbol(p.unit());
    out << line + " / " + categoryCaption(p.category());
  }
  return out;
}

QStringList warnings;
void recordWarning(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtWarningMsg) warnings << message;
}

}  // namespace

// --- Categories, editors, units ----------------------------------------------------------

TEST(PropertyInfo, TextViewByKindAndWellKnownNames) {
  EXPECT_EQ(describe(TfrxMemoView::staticMetaObject,
                     {"Name", "Tag", "Align", "Left", "Top", "Width", "Height", "Visible", "Restrictions",
                      "OnBeforePrint", "Color", "Font", "Frame", "Highlight", "DisplayFormat", "HAlign",
                      "GapX", "DataSet", "DataSetName", "DataField", "FlowTo", "Memo", "Hint", "Rotation"}),
            QStringList({"Name: Text / Inne",
                         "Tag: Number / Inne",
                         "Align: Enumeration / Położenie i rozmiar",
                         "Left: Length px / Położenie i rozmiar",
                         "Top: Length px / Położenie i rozmiar",
                         "Width: Length px / Położenie i rozmiar",
                         "Height: Length px / Położenie i rozmiar",
                         "Visible: Boolean / Zachowanie",
                         "Restrictions: Set / Zachowanie",
                         "OnBeforePrint: Event / Zdarzenia",
                         "Color: Color / Wygląd",
                         "Font: Font / Wygląd",
                         "Frame: Frame / Wygląd",
                         "Highlight: Object / Wygląd",
                         "DisplayFormat: Object / Wygląd",
                         "HAlign: Enumeration / Wygląd",
                         "GapX: Length px / Wygląd",
                         "DataSet: DataSet / Dane",
                         "DataSetName: DataSet / Dane",
                         "DataField: DataField / Dane",
                         "FlowTo: ObjectReference / Zachowanie",
                         "Memo: LongText / Dane",
                         "Hint: Text / Zachowanie",
                         "Rotation: Number / Wygląd"}));
}

TEST(PropertyInfo, PaperIsMillimetresAndTheLayoutPixels) {
  EXPECT_EQ(describe(TfrxReportPage::staticMetaObject,
                     {"Orientation", "PaperWidth", "PaperHeight", "LeftMargin", "BottomMargin", "Columns",
                      "ColumnWidth", "ColumnPositions", "BackPicture", "Color", "HGuides", "OnManualBuild"}),
            QStringList({"Orientation: Enumeration / Położenie i rozmiar",
                         "PaperWidth: Length mm / Położenie i rozmiar",
                         "PaperHeight: Length mm / Położenie i rozmiar",
                         "LeftMargin: Length mm / Położenie i rozmiar",
                         "BottomMargin: Length mm / Położenie i rozmiar",
                         "Columns: Number / Położenie i rozmiar",
                         "ColumnWidth: Length mm / Położenie i rozmiar",
                         "ColumnPositions: StringList / Położenie i rozmiar",
                         "BackPicture: Picture / Wygląd",
                         "Color: Color / Wygląd",
                         "HGuides: StringList / Inne",
                         "OnManualBuild: Event / Zdarzenia"}));
  // A data band's columns are pixels like the rest of the layout.
  EXPECT_EQ(describe(TfrxMasterData::staticMetaObject, {"Height", "ColumnWidth", "ColumnGap", "RowCount", "Child"}),
            QStringList({"Height: Length px / Położenie i rozmiar", "ColumnWidth: Length px / Położenie i rozmiar",
                         "ColumnGap: Length px / Położenie i rozmiar", "RowCount: Number / Dane",
                         "Child: ObjectReference / Zachowanie"}));
  EXPECT_EQ(describe(TfrxDialogPage::staticMetaObject, {"ClientWidth", "Color", "OnShow"}),
            QStringList({"ClientWidth: Length px / Położenie i rozmiar", "Color: Color / Wygląd",
                         "OnShow: Event / Zdarzenia"}));
  // Inside a frame a width is a line's, edited with the frame: no length.
  EXPECT_EQ(describe(TfrxFrame::staticMetaObject, {"Width", "Color", "ShadowColor", "LeftLine"}),
            QStringList({"Width: Number / Inne", "Color: Color / Wygląd", "ShadowColor: Color / Wygląd",
                         "LeftLine: Frame / Wygląd"}));
  EXPECT_EQ(describe(ReportFont::staticMetaObject, {"Color"}), QStringList({"Color: Color / Wygląd"}));
}

TEST(PropertyInfo, ClassInfoOverridesTheMostDerivedFirst) {
  warnings.clear();
  const QtMessageHandler previous = qInstallMessageHandler(recordWarning);
  const QStringList inspected =
      describe(inspected::InspectedMemo::staticMetaObject, {"Left", "Memo", "GapX", "Tag", "Width", "Color"});
  const QStringList more =
      describe(inspected::MoreInspectedMemo::staticMetaObject, {"Left", "Memo", "GapX", "Tag", "Width", "Color"});
  qInstallMessageHandler(previous);
  EXPECT_EQ(inspected, QStringList({"Left: Length px / Dane", "Memo: Text / Dane", "GapX: Length mm / Wygląd",
                                    "Tag: Number / Inne", "Width: Length px / Położenie i rozmiar",
                                    "Color: Color / Wygląd"}));
  // Inherited entries hold until a subclass says otherwise; a unit taken
  // away makes a plain number.
  EXPECT_EQ(more, QStringList({"Left: Length px / Zdarzenia", "Memo: Text / Dane", "GapX: Length mm / Wygląd",
                               "Tag: Number / Inne", "Width: Number / Inne", "Color: Color / Wygląd"}));
  // An unknown key is reported and the default kept.
  EXPECT_TRUE(warnings.contains("Unknown editor of property Tag: slider")) << warnings.join('\n').toStdString();
}

TEST(PropertyInfo, EveryPublishedPropertyHasAnEditor) {
  QList<const QMetaObject*> classes;
  for (const QString& name : registeredClassNames()) classes.append(findClass(name));
  classes << &ReportFont::staticMetaObject << &TfrxFrame::staticMetaObject << &TfrxFrameLine::staticMetaObject
          << &TfrxHighlight::staticMetaObject << &TfrxStyleItem::staticMetaObject;
  int colours = 0;
  for (const QMetaObject* cls : classes) {
    ASSERT_NE(cls, nullptr);
    for (const PublishedProperty& p : publishedProperties(*cls)) {
      const QString name = QString::fromLatin1(p.name());
      const std::string where = std::string(cls->className()) + "." + p.name();
      EXPECT_NE(p.editor(), PropertyEditor::None) << where;
      // No colour is left a plain number.
      if (name.endsWith("Color")) {
        ++colours;
        EXPECT_EQ(p.kind(), PropertyKind::Color) << where;
        EXPECT_EQ(p.editor(), PropertyEditor::Color) << where;
      }
      if (name.size() > 2 && name.startsWith("On") && name[2].isUpper()) {
        EXPECT_EQ(p.editor(), PropertyEditor::Event) << where;
        EXPECT_EQ(p.category(), PropertyCategory::Events) << where;
      }
      if (p.unit() != LengthUnit::None) {
        EXPECT_EQ(p.kind(), PropertyKind::Float) << where;
      }
    }
  }
  EXPECT_GE(colours, 12);
}

#include "property_info_test.moc"
