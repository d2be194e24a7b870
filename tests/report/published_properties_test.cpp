// Published properties as documents and scripts see them: names in order,
// kinds, declared defaults, stored conditions, dotted paths, and creating
// objects by class name.

#include <gtest/gtest.h>

#include "qt_printers.h"
#include "report/model/band.h"
#include "report/model/class_registry.h"
#include "report/model/dialog.h"
#include "report/model/line_view.h"
#include "report/model/memo_view.h"
#include "report/model/picture_view.h"
#include "report/model/published.h"
#include "report/model/report.h"
#include "report/model/report_error.h"
#include "report/model/report_page.h"
#include "report/model/style.h"

using namespace valmoro::report;

namespace {

QString defaultText(const PublishedProperty& p) {
  const QVariant& value = p.defaultValue();
  switch (p.kind()) {
    case PropertyKind::Enumeration:
      return QString::fromLatin1(p.enumerator().valueToKey(*static_cast<const int*>(value.constData())));
    case PropertyKind::Set:
      return "[" + QString::fromLatin1(p.enumerator().valueToKeys(*static_cast<const int*>(value.constData()))) +
             "]";
    case PropertyKind::Boolean:
      return value.toBool() ? "true" : "false";
    default:
      return value.toString();
  }
}

// "Name" alone, or "Name=default" when one is declared.
QStringList describe(const QMetaObject& cls) {
  QStringList result;
  for (const PublishedProperty& p : publishedProperties(cls))
    result.append(p.hasDefault() ? QString::fromLatin1(p.name()) + "=" + defaultText(p)
                                 : QString::fromLatin1(p.name()));
  return result;
}

QStringList storedNames(QObject* object) {
  QStringList result;
  for (const PublishedProperty& p : publishedProperties(*object->metaObject()))
    if (p.isStored(object)) result.append(QString::fromLatin1(p.name()));
  return result;
}

const PublishedProperty& prop(const QObject& object, const char* name) {
  const PublishedProperty* p = findPublishedProperty(*object.metaObject(), QString::fromLatin1(name));
  if (!p) throw std::runtime_error(std::string("no property ") + name);
  return *p;
}

}  // namespace

TEST(Published, TextViewPropertiesInDocumentOrder) {
  EXPECT_EQ(describe(TfrxMemoView::staticMetaObject),
            QStringList({"Name",
                         "Tag=0",
                         "Align=baNone",
                         "Printable=true",
                         "ShiftMode=smAlways",
                         "Left",
                         "Top",
                         "Width",
                         "Height",
                         "GroupIndex=0",
                         "Restrictions=[]",
                         "Visible=true",
                         "OnAfterData",
                         "OnAfterPrint",
                         "OnBeforePrint",
                         "OnPreviewClick",
                         "OnPreviewDblClick",
                         "Hint",
                         "ShowHint=false",
                         "StretchMode=smDontStretch",
                         "FirstParaBreak=false",
                         "LastParaBreak=false",
                         "Cursor=0",
                         "TagStr",
                         "URL",
                         "AutoWidth=false",
                         "AllowExpressions=true",
                         "AllowHTMLTags=false",
                         "BrushStyle=bsSolid",
                         "CharSpacing",
                         "Clipped=true",
                         "Color=536870911",
                         "DataField",
                         "DataSet",
                         "DataSetName",
                         "DisplayFormat",
                         "ExpressionDelimiters=[,]",
                         "FlowTo",
                         "Font",
                         "Frame",
                         "GapX",
                         "GapY",
                         "HAlign=haLeft",
                         "HideZeros=false",
                         "Highlight",
                         "LineSpacing",
                         "Memo",
                         "ParagraphGap",
                         "ParentFont=true",
                         "Rotation=0",
                         "RTLReading=false",
                         "Style",
                         "SuppressRepeated=false",
                         "Underlines=false",
                         "UseDefaultCharset=false",
                         "WordBreak=false",
                         "WordWrap=true",
                         "Wysiwyg=true",
                         "VAlign=vaTop"}));
}

TEST(Published, OtherClassesInDocumentOrder) {
  EXPECT_EQ(describe(TfrxSysMemoView::staticMetaObject).mid(25),
            QStringList({"AutoWidth=false", "BrushStyle=bsSolid", "CharSpacing", "Color=536870911", "DisplayFormat",
                         "Font", "Frame", "GapX", "GapY", "HAlign=haLeft", "HideZeros=false", "Highlight", "Memo",
                         "ParentFont=true", "Rotation=0", "RTLReading=false", "Style", "SuppressRepeated=false",
                         "VAlign=vaTop", "WordWrap=true"}));
  EXPECT_EQ(describe(TfrxLineView::staticMetaObject).mid(19),
            QStringList({"TagStr", "ArrowEnd=false", "ArrowLength=20", "ArrowSolid=false", "ArrowStart=false",
                         "ArrowWidth=5", "Frame", "Diagonal=false"}));
  EXPECT_EQ(describe(TfrxMasterData::staticMetaObject),
            QStringList({"Name",
                         "Tag=0",
                         "Font",
                         "Height",
                         "Left",
                         "ParentFont=true",
                         "Restrictions=[]",
                         "Top",
                         "Vertical=false",
                         "Visible=true",
                         "Width",
                         "OnAfterCalcHeight",
                         "OnAfterPrint",
                         "OnBeforePrint",
                         "AllowSplit=false",
                         "Child",
                         "Columns=0",
                         "ColumnWidth",
                         "ColumnGap",
                         "DataSet",
                         "DataSetName",
                         "FooterAfterEach=false",
                         "KeepChild=false",
                         "KeepFooter=false",
                         "KeepHeader=false",
                         "KeepTogether=false",
                         "OutlineText",
                         "PrintChildIfInvisible=false",
                         "PrintIfDetailEmpty=false",
                         "RowCount",
                         "SortExpressions",
                         "StartNewPage=false",
                         "Stretched=false",
                         "OnMasterDetail"}));
  EXPECT_EQ(describe(TfrxPageFooter::staticMetaObject).mid(14),
            QStringList({"PrintOnFirstPage=true", "PrintOnLastPage=true"}));
  EXPECT_EQ(describe(TfrxReportPage::staticMetaObject),
            QStringList({"Name",
                         "Tag=0",
                         "Font",
                         "Visible=true",
                         "Orientation=poPortrait",
                         "PaperWidth",
                         "PaperHeight",
                         "PaperSize",
                         "LeftMargin",
                         "RightMargin",
                         "TopMargin",
                         "BottomMargin",
                         "MirrorMargins=false",
                         "Columns=0",
                         "ColumnWidth",
                         "ColumnPositions",
                         "Bin=7",
                         "BinOtherPages=7",
                         "BackPicture",
                         "BackPictureVisible=true",
                         "BackPicturePrintable=true",
                         "PageCount=1",
                         "Color=536870911",
                         "DataSet",
                         "DataSetName",
                         "Duplex=dmNone",
                         "Frame",
                         "EndlessHeight=false",
                         "EndlessWidth=false",
                         "LargeDesignHeight=false",
                         "OutlineText",
                         "PrintIfEmpty=true",
                         "PrintOnPreviousPage=false",
                         "ResetPageNumbers=false",
                         "TitleBeforeHeader=true",
                         "HGuides",
                         "VGuides",
                         "OnAfterPrint",
                         "OnBeforePrint",
                         "OnManualBuild"}));
  EXPECT_EQ(describe(TfrxFrame::staticMetaObject),
            QStringList({"Color=0", "DropShadow=false", "ShadowColor=0", "ShadowWidth", "Style=fsSolid", "Typ=[]",
                         "Width", "LeftLine", "TopLine", "RightLine", "BottomLine"}));
  EXPECT_EQ(describe(ReportFont::staticMetaObject),
            QStringList({"Charset", "Color", "Height", "Name=Arial", "Size", "Style=[]"}));
  EXPECT_EQ(describe(TfrxDialogControl::staticMetaObject),
            QStringList({"Name", "Tag=0", "Left", "Top", "Width", "Height", "Font", "GroupIndex=0",
                         "ParentFont=true", "Enabled=true", "Hint", "ShowHint=false", "Visible=true"}));
}

TEST(Published, KindsOfProperties) {
  TfrxMemoView memo;
  EXPECT_EQ(prop(memo, "Tag").kind(), PropertyKind::Integer);
  EXPECT_EQ(prop(memo, "Color").kind(), PropertyKind::Color);
  EXPECT_EQ(prop(memo, "Visible").kind(), PropertyKind::Boolean);
  EXPECT_EQ(prop(memo, "Align").kind(), PropertyKind::Enumeration);
  EXPECT_EQ(prop(memo, "Restrictions").kind(), PropertyKind::Set);
  EXPECT_EQ(prop(memo, "Left").kind(), PropertyKind::Float);
  EXPECT_EQ(prop(memo, "DataField").kind(), PropertyKind::Text);
  EXPECT_EQ(prop(memo, "Memo").kind(), PropertyKind::StringList);
  EXPECT_EQ(prop(memo, "DataSet").kind(), PropertyKind::Reference);
  EXPECT_EQ(prop(memo, "FlowTo").kind(), PropertyKind::Reference);
  EXPECT_EQ(prop(memo, "Font").kind(), PropertyKind::Object);
  EXPECT_EQ(prop(memo, "Highlight").kind(), PropertyKind::Object);
  EXPECT_EQ(prop(memo, "DisplayFormat").kind(), PropertyKind::Object);
  EXPECT_EQ(prop(memo, "Frame").objectClass(), &TfrxFrame::staticMetaObject);
  EXPECT_EQ(prop(memo, "dataset").objectClass(), &TfrxDataSet::staticMetaObject);
  EXPECT_EQ(prop(memo, "Align").enumerator().valueToKey(baClient), QByteArray("baClient"));
}

// Look-ups alternate between classes as a page is read (view, font, frame,
// band): each class answers with its own table, whatever the letter case.
TEST(Published, LookUpsByNameAcrossClassesAndLetterCase) {
  const QMetaObject* classes[] = {&TfrxMemoView::staticMetaObject, &TfrxFrame::staticMetaObject,
                                  &TfrxMasterData::staticMetaObject, &TfrxMemoView::staticMetaObject,
                                  &TfrxPictureView::staticMetaObject};
  for (int round = 0; round < 3; ++round) {
    for (const QMetaObject* cls : classes) {
      const PublishedProperty* width = findPublishedProperty(*cls, u"wIDTH");
      ASSERT_NE(width, nullptr) << cls->className();
      EXPECT_STREQ(width->name(), "Width");
      EXPECT_EQ(findPublishedProperty(*cls, u"NoSuchProperty"), nullptr);
    }
    EXPECT_NE(findPublishedProperty(TfrxMemoView::staticMetaObject, u"HALIGN"), nullptr);
    EXPECT_EQ(findPublishedProperty(TfrxFrame::staticMetaObject, u"HAlign"), nullptr);
    EXPECT_STREQ(findPublishedProperty(TfrxReportPage::staticMetaObject, u"papersize")->name(), "PaperSize");
  }
  // Not a name any class has: non-ASCII and overlong names find nothing.
  EXPECT_EQ(findPublishedProperty(TfrxMemoView::staticMetaObject, u"Wid\u0165h"), nullptr);
  EXPECT_EQ(findPublishedProperty(TfrxMemoView::staticMetaObject, QString(200, u'a')), nullptr);
  EXPECT_EQ(findPublishedProperty(TfrxMemoView::staticMetaObject, u""), nullptr);
}

TEST(Published, StoredConditionsOfATextView) {
  TfrxMasterData band;
  auto* memo = new TfrxMemoView(&band);
  const QStringList plain = storedNames(memo);
  EXPECT_FALSE(plain.contains("Font"));
  EXPECT_FALSE(plain.contains("GapX"));
  EXPECT_FALSE(plain.contains("Highlight"));
  EXPECT_FALSE(plain.contains("ExpressionDelimiters"));
  EXPECT_FALSE(plain.contains("Memo"));  // written as the view's Text instead
  EXPECT_TRUE(plain.contains("Left"));
  EXPECT_TRUE(plain.contains("Frame"));
  EXPECT_TRUE(plain.contains("DisplayFormat"));

  memo->Font()->SetSize(14);
  memo->SetGapX(3);
  memo->SetLineSpacing(0);
  memo->SetExpressionDelimiters("<%,%>");
  memo->Highlight()->SetCondition("   ");
  QStringList changed = storedNames(memo);
  EXPECT_TRUE(changed.contains("Font"));
  EXPECT_TRUE(changed.contains("GapX"));
  EXPECT_TRUE(changed.contains("LineSpacing"));
  EXPECT_TRUE(changed.contains("ExpressionDelimiters"));
  EXPECT_FALSE(changed.contains("Highlight"));  // a blank condition is none
  memo->Highlight()->SetCondition("Value > 0");
  EXPECT_TRUE(storedNames(memo).contains("Highlight"));

  EXPECT_TRUE(prop(*memo, "Visible").isDefault(memo));
  memo->SetVisible(false);
  EXPECT_FALSE(prop(*memo, "Visible").isDefault(memo));
  EXPECT_TRUE(prop(*memo, "Color").isDefault(memo));
  EXPECT_FALSE(prop(*memo, "Left").isDefault(memo));  // floats declare no default
}

TEST(Published, FrameLinesStoreOnlyWhatDiffersFromTheFrame) {
  TfrxFrame frame;
  EXPECT_TRUE(storedNames(frame.LeftLine()).isEmpty());
  frame.SetColor(clRed);
  frame.SetWidth(2);
  EXPECT_TRUE(storedNames(frame.LeftLine()).isEmpty());
  EXPECT_EQ(frame.LeftLine()->Color(), clRed);
  frame.TopLine()->SetStyle(fsDot);
  EXPECT_EQ(storedNames(frame.TopLine()), QStringList({"Style"}));
  EXPECT_EQ(storedNames(&frame), QStringList({"Color", "DropShadow", "ShadowColor", "Style", "Typ", "Width",
                                              "LeftLine", "TopLine", "RightLine", "BottomLine"}));
  frame.SetShadowWidth(5);
  EXPECT_TRUE(storedNames(&frame).contains("ShadowWidth"));
}

TEST(Published, PicturesCanBeLeftOut) {
  TfrxPictureView picture;
  EXPECT_TRUE(storedNames(&picture).contains("Picture"));
  picture.SetPictureSuppressed(true);
  EXPECT_FALSE(storedNames(&picture).contains("Picture"));
  EXPECT_TRUE(prop(picture, "ImageIndex").isDefault(&picture));
  EXPECT_EQ(picture.TransparentColor(), clWhite);
}

TEST(Published, DottedPaths) {
  TfrxMasterData band;
  auto* memo = new TfrxMemoView(&band);
  EXPECT_TRUE(writePropertyPath(memo, u"Frame.LeftLine.Color", 255u));
  EXPECT_EQ(memo->Frame()->LeftLine()->Color(), 255u);
  EXPECT_EQ(memo->Frame()->RightLine()->Color(), clBlack);
  EXPECT_TRUE(writePropertyPath(memo, u"frame.typ", 15));
  EXPECT_EQ(memo->Frame()->Typ(), ftLeft | ftRight | ftTop | ftBottom);
  EXPECT_EQ(readPropertyPath(memo, u"Frame.LeftLine.Color").toUInt(), 255u);

  // A change through the path is a change of the view's own font.
  EXPECT_TRUE(writePropertyPath(memo, u"Font.Name", QStringLiteral("Tahoma")));
  EXPECT_EQ(memo->Font()->Name(), "Tahoma");
  EXPECT_FALSE(memo->ParentFont());

  EXPECT_TRUE(writePropertyPath(memo, u"Align", QStringLiteral("baClient")));
  EXPECT_EQ(memo->Align(), baClient);
  EXPECT_TRUE(writePropertyPath(memo, u"HAlign", 2));
  EXPECT_EQ(memo->HAlign(), haCenter);
  EXPECT_TRUE(writePropertyPath(memo, u"DisplayFormat.Kind", QStringLiteral("fkNumeric")));
  EXPECT_EQ(memo->DisplayFormat()->Kind(), fkNumeric);

  EXPECT_FALSE(writePropertyPath(memo, u"Frame.Nothing", 1));
  EXPECT_FALSE(writePropertyPath(memo, u"Font.Name.Length", 1));
  EXPECT_FALSE(writePropertyPath(memo, u"FlowTo.Left", 1.0));  // no target
  EXPECT_FALSE(readPropertyPath(memo, u"Nothing").isValid());

  // Object properties are assigned by copying.
  TfrxFrame frame;
  frame.SetWidth(3);
  EXPECT_TRUE(prop(*memo, "Frame").write(memo, QVariant::fromValue(&frame)));
  EXPECT_DOUBLE_EQ(memo->Frame()->Width(), 3);
  EXPECT_NE(memo->Frame(), &frame);

  auto* target = new TfrxMemoView(&band);
  EXPECT_TRUE(prop(*memo, "FlowTo").write(memo, QVariant::fromValue(target)));
  EXPECT_EQ(memo->FlowTo(), target);
  EXPECT_TRUE(writePropertyPath(memo, u"FlowTo.Left", 12.5));
  EXPECT_DOUBLE_EQ(target->Left(), 12.5);
}

TEST(Published, ReferencesTakeComponentsOfTheirClassOnly) {
  // A document reader resolves references to plain component pointers.
  TfrxReportPage page;
  auto* band = new TfrxMasterData(&page);
  auto* memo = new TfrxMemoView(band);
  auto* dataSet = new TfrxDataSet(&page);
  dataSet->SetUserName("Wpisy");
  TfrxComponent* asComponent = dataSet;
  EXPECT_TRUE(prop(*memo, "DataSet").write(memo, QVariant::fromValue(asComponent)));
  EXPECT_EQ(memo->DataSet(), dataSet);
  EXPECT_EQ(memo->DataSetName(), "Wpisy");
  TfrxComponent* wrongKind = band;
  EXPECT_FALSE(prop(*memo, "DataSet").write(memo, QVariant::fromValue(wrongKind)));
  EXPECT_EQ(memo->DataSet(), dataSet);
  EXPECT_EQ(prop(*memo, "DataSet").readObject(memo), dataSet);
}

TEST(Published, SetterFailuresComeThroughReflection) {
  TfrxReport report;
  auto* page = new TfrxReportPage(&report);
  auto* band = new TfrxMasterData(page);
  band->SetName("Band1");
  auto* memo = new TfrxMemoView(band);
  try {
    prop(*memo, "Name").write(memo, QStringLiteral("band1"));
    FAIL() << "duplicate name accepted";
  } catch (const ReportError& e) {
    EXPECT_EQ(e.message(), "Nazwa jest już użyta");
  }
  auto* child = new TfrxChild(page);
  child->SetChild(nullptr);
  EXPECT_THROW(prop(*child, "Child").write(child, QVariant::fromValue(child)), ReportError);
  EXPECT_EQ(child->Child(), nullptr);
}

TEST(Published, EveryRegisteredClassIsFullyDescribed) {
  // Typos in the class info would silently drop defaults or stored
  // conditions; every published property must also be writable.
  QList<const QMetaObject*> classes;
  for (const QString& name : registeredClassNames()) classes.append(findClass(name));
  classes << &ReportFont::staticMetaObject << &TfrxFrame::staticMetaObject << &TfrxFrameLine::staticMetaObject
          << &TfrxHighlight::staticMetaObject << &TfrxFormat::staticMetaObject << &TfrxStyleItem::staticMetaObject
          << &TfrxDialogControl::staticMetaObject;
  for (const QMetaObject* cls : classes) {
    ASSERT_NE(cls, nullptr);
    for (const PublishedProperty& p : publishedProperties(*cls)) {
      const QByteArray name(p.name());
      EXPECT_TRUE(p.isWritable()) << cls->className() << "." << name.constData();
      EXPECT_NE(p.kind(), PropertyKind::Other) << cls->className() << "." << name.constData();
      const int defaultInfo = cls->indexOfClassInfo(("default:" + name).constData());
      if (defaultInfo >= 0) {
        EXPECT_TRUE(p.hasDefault()) << cls->className() << "." << name.constData();
      }
      const int storedInfo = cls->indexOfClassInfo(("stored:" + name).constData());
      if (storedInfo >= 0) {
        const QByteArray method = QByteArray(cls->classInfo(storedInfo).value()) + "()";
        EXPECT_GE(cls->indexOfMethod(method.constData()), 0) << cls->className() << "." << name.constData();
      }
    }
  }
}

TEST(Registry, CreatesObjectsByClassName) {
  const QStringList names = registeredClassNames();
  EXPECT_EQ(names.size(), 30);
  for (const char* expected : {"TfrxMemoView", "TfrxSysMemoView", "TfrxLineView", "TfrxPictureView", "TfrxShapeView",
                               "TfrxSubreport", "TfrxMasterData", "TfrxDataBand6", "TfrxGroupHeader", "TfrxOverlay",
                               "TfrxNullBand", "TfrxReportPage", "TfrxDialogPage", "TfrxDataPage", "TfrxUserDataSet",
                               "TfrxDBDataset"})
    EXPECT_TRUE(names.contains(QString::fromLatin1(expected))) << expected;

  TfrxReportPage page;
  TfrxComponent* band = createObject(u"tfrxmasterdata", &page);
  ASSERT_NE(band, nullptr);
  EXPECT_EQ(band->ClassName(), "TfrxMasterData");
  EXPECT_EQ(band->Parent(), &page);
  EXPECT_EQ(page.Objects(), QList<TfrxComponent*>({band}));
  EXPECT_EQ(createObject(u"TfrxNothing", &page), nullptr);
  EXPECT_EQ(findClass(u"TFRXMEMOVIEW"), &TfrxMemoView::staticMetaObject);
  EXPECT_EQ(qobject_cast<TfrxGroupHeader*>(createObject(u"TfrxGroupHeader", &page))->BandKindIndex(), 12);
}
