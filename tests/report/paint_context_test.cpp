// Drawing goes by its paint context: what the output allows (tags, pictures
// as on paper) and the page figures come from the context, never from flags
// set on the object, and the object drawn is left as it was.

#include <gtest/gtest.h>

#include "document_support.h"
#include "platform/recording_canvas.h"
#include "report/engine/memo_expansion.h"
#include "report/model/highlight.h"
#include "report/model/memo_view.h"
#include "report/model/picture_view.h"
#include "report/model/report_lists.h"
#include "report/model/shape_view.h"

using namespace valmoro::report;
namespace gfx = valmoro::gfx;
using valmoro::report::testing::saveDocument;

namespace {

QStringList drawnTexts(TfrxComponent& object, const PaintContext& context) {
  gfx::RecordingCanvas canvas;
  object.Paint(canvas, context);
  QStringList texts;
  for (const gfx::DrawCall& call : canvas.callsOf(gfx::DrawCall::Text)) texts << call.text;
  return texts;
}

// What a page store passes down: its count and copy, filled by the engine.
PaintContext pageContext(int totalPages, int copyNumber) {
  PaintContext context;
  context.totalPages = totalPages;
  context.copyNumber = copyNumber;
  context.fillPlaceholders = &engine::FillPlaceholders;
  return context;
}

}  // namespace

TEST(PaintContextTags, AnExportWithoutTagsDrawsThemAsTextAndTheViewKeepsAllowingThem) {
  TfrxMemoView memo;
  memo.SetBounds(10, 10, 300, 40);
  memo.SetAllowHTMLTags(true);
  memo.SetText(QStringLiteral("a<b>b</b>"));
  const QByteArray before = saveDocument(memo);

  PaintContext exportNoTags;
  exportNoTags.purpose = PaintPurpose::Export;
  exportNoTags.htmlTags = false;
  EXPECT_EQ(drawnTexts(memo, exportNoTags), QStringList{"a<b>b</b>"});
  EXPECT_TRUE(memo.AllowHTMLTags());
  EXPECT_EQ(saveDocument(memo), before);

  // The next drawing that allows tags interprets them again: nothing of the
  // export stuck to the view.
  EXPECT_EQ(drawnTexts(memo, {}), (QStringList{"a", "b"}));
  // A view that does not allow tags keeps them as text in any context.
  memo.SetAllowHTMLTags(false);
  EXPECT_EQ(drawnTexts(memo, {}), QStringList{"a<b>b</b>"});
}

TEST(PaintContextPlaceholders, FilledFromTheContextFiguresEachTime) {
  TfrxMemoView memo;
  memo.SetBounds(0, 0, 400, 20);
  memo.SetText(QStringLiteral("Strona z [TotalPages#], [CopyName#]"));
  GlobalVariables()->SetValue("CopyName1", "Oryginał");
  GlobalVariables()->SetValue("CopyName2", "Kopia");

  EXPECT_EQ(drawnTexts(memo, pageContext(3, 1)), QStringList{"Strona z 3, Oryginał"});
  EXPECT_EQ(drawnTexts(memo, pageContext(12, 2)), QStringList{"Strona z 12, Kopia"});
  // Letter case does not matter; the view's own text keeps the markers.
  memo.SetText(QStringLiteral("[totalpages#]"));
  EXPECT_EQ(drawnTexts(memo, pageContext(5, 1)), QStringList{"5"});
  EXPECT_EQ(memo.Text(), "[totalpages#]");
  // Without a filler (exports fill the text beforehand) the markers stay,
  // whatever the figures say.
  PaintContext figuresOnly;
  figuresOnly.totalPages = 9;
  EXPECT_EQ(drawnTexts(memo, figuresOnly), QStringList{"[totalpages#]"});
  // A view that takes no expressions shows them as they are.
  memo.SetAllowExpressions(false);
  EXPECT_EQ(drawnTexts(memo, pageContext(5, 1)), QStringList{"[totalpages#]"});
  GlobalVariables()->DeleteVariable("CopyName1");
  GlobalVariables()->DeleteVariable("CopyName2");
}

TEST(PaintContextUnchanged, ViewsStayAsTheyWereInEveryContext) {
  TfrxMemoView memo;
  memo.SetName("Memo1");
  memo.SetBounds(10, 10, 200, 40);
  memo.SetAllowHTMLTags(true);
  memo.SetColor(0x00FF00);
  memo.Highlight()->SetActive(true);
  memo.Highlight()->SetColor(0xFFFFFF);
  memo.SetText(QStringLiteral("<i>x</i> [TotalPages#]"));

  TfrxPictureView picture;
  picture.SetName("Picture1");
  picture.SetBounds(10, 60, 40, 40);
  QImage image(8, 8, QImage::Format_RGB32);
  image.fill(Qt::red);
  QBuffer png;
  png.open(QIODevice::WriteOnly);
  image.save(&png, "PNG");
  ASSERT_TRUE(picture.Picture()->LoadFromData(png.data()));

  TfrxShapeView shape;
  shape.SetName("Shape1");
  shape.SetBounds(60, 60, 30, 30);
  shape.SetColor(0x0000FF);
  shape.Frame()->SetStyle(fsDouble);

  const PaintContext contexts[] = {
      {},
      {.purpose = PaintPurpose::Print, .scaleX = 6.25, .scaleY = 6.25},
      {.purpose = PaintPurpose::Export, .scaleX = 2, .scaleY = 2, .htmlTags = false, .printOptimized = true},
      {.purpose = PaintPurpose::Design, .offsetX = 5, .offsetY = 7},
      pageContext(4, 2),
  };
  for (TfrxComponent* object : std::initializer_list<TfrxComponent*>{&memo, &picture, &shape}) {
    const QByteArray before = saveDocument(*object);
    for (const PaintContext& context : contexts) {
      gfx::RecordingCanvas canvas(600, context.purpose == PaintPurpose::Print ? gfx::DeviceKind::Printer
                                                                              : gfx::DeviceKind::Recording);
      object->Paint(canvas, context);
      EXPECT_FALSE(canvas.calls().empty()) << object->Name().toStdString();
      EXPECT_EQ(saveDocument(*object), before) << object->Name().toStdString() << " " << int(context.purpose);
    }
  }
  EXPECT_EQ(memo.Color(), 0x00FF00u);
  EXPECT_TRUE(memo.AllowHTMLTags());
}
