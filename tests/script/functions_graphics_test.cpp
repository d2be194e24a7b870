// Drawing from scripts: shapes, lines, text and pixels on a bitmap's canvas
// (colours checked pixel by pixel), fonts and their styles, bitmaps and
// pictures through files, metafiles replayed onto bitmaps, and painting a
// window in OnPaint.

#include <gtest/gtest.h>

#include <QImage>
#include <QTemporaryDir>

#include "run_support.h"
#include "script/forms_controls.h"
#include "script/graphics_objects.h"
#include "script/module_classes.h"
#include "script/module_forms.h"
#include "script/module_graphics.h"

namespace valmoro::script::test {

namespace {

QString RunWithGraphics(const QString& source) {
  return RunWithModules<TfsClassesModule, TfsGraphicsModule, TfsFormsModule>(source);
}

// Runs, with the modules of RunWithGraphics, a program that paints the form F
// with the routine FormPaint: a blue square from (10, 10) to (30, 30).
// extraDeclarations and afterPaint add to the program; gives the shown form.
forms::TCustomForm* ShowPaintedForm(TfsScript& script, const char* extraDeclarations, const char* afterPaint) {
  script.AddRuntimeLibrary();
  script.AddSymbol(QString(), new TfsClassesModule(&script));
  script.AddSymbol(QString(), new TfsGraphicsModule(&script));
  script.AddSymbol(QString(), new TfsFormsModule(&script));
  const Ran ran = RunScript(QStringLiteral("PascalScript"),
                            QStringLiteral("var F: TForm;%1\n"
                                           "procedure FormPaint(Sender: TObject);\n"
                                           "begin F.Canvas.Brush.Color := clBlue; F.Canvas.Pen.Color := clBlue;\n"
                                           "  F.Canvas.Rectangle(10, 10, 30, 30);%2 end;\n"
                                           "begin F := TForm.Create(nil); F.SetBounds(0, 0, 100, 80); "
                                           "F.OnPaint := 'FormPaint'; F.Show end.")
                                .arg(QLatin1String(extraDeclarations), QLatin1String(afterPaint)),
                            &script);
  EXPECT_EQ(ran.Output(), "");
  return qobject_cast<forms::TCustomForm*>(script.FindSymbol("F")->GetValue().ToObject());
}

}  // namespace

TEST(Graphics, CanvasDrawsShapesAndPixelsOnABitmap) {
  EXPECT_EQ(RunWithGraphics("var b: TBitmap; c: TCanvas;\n"
                            "begin\n"
                            "  b := TBitmap.Create; b.Width := 40; b.Height := 20; c := b.Canvas;\n"
                            "  ShowMessage(IntToStr(c.Pixels[39, 19]) + ' ' + IntToStr(clWhite));\n"
                            "  c.Brush.Color := clRed; c.Pen.Color := clBlue;\n"
                            "  c.Rectangle(0, 0, 10, 10);\n"
                            "  ShowMessage(IntToStr(c.Pixels[0, 0]) + ' ' + IntToStr(c.Pixels[9, 9]) + ' ' +\n"
                            "    IntToStr(c.Pixels[5, 5]) + ' ' + IntToStr(c.Pixels[10, 10]));\n"
                            "  c.Pen.Color := clLime; c.MoveTo(20, 0); c.LineTo(20, 15);\n"
                            "  ShowMessage(IntToStr(c.Pixels[20, 7]) + ' ' + IntToStr(c.Pixels[21, 7]));\n"
                            "  c.Pixels[30, 5] := $123456; ShowMessage(IntToStr(c.Pixels[30, 5]) = IntToStr($123456));\n"
                            "  c.Brush.Color := clYellow; c.Pen.Style := psClear; c.Ellipse(24, 0, 40, 16);\n"
                            "  ShowMessage(IntToStr(c.Pixels[32, 8]) + ' ' + IntToStr(c.Pixels[24, 0]));\n"
                            "  ShowMessage(c.Pixels[100, 100]);\n"
                            "  b.Free;\n"
                            "end."),
            "16777215 16777215\n16711680 16711680 255 16777215\n65280 16777215\nTrue\n65535 16777215\n536870911");
}

TEST(Graphics, TextIsMeasuredAndDrawnWithTheFont) {
  EXPECT_EQ(RunWithGraphics("var b: TBitmap; c: TCanvas; w, h, i, dark: Integer;\n"
                            "begin\n"
                            "  b := TBitmap.Create; b.Width := 200; b.Height := 40; c := b.Canvas;\n"
                            "  c.Font.Size := 12; c.Font.Color := clBlack; c.Brush.Style := bsClear;\n"
                            "  w := c.TextWidth('Temperatura'); h := c.TextHeight('Temperatura');\n"
                            "  ShowMessage((w > 0) and (h > 0));\n"
                            "  c.Font.Style := [fsBold];\n"
                            "  ShowMessage(fsBold in c.Font.Style); ShowMessage(fsItalic in c.Font.Style);\n"
                            "  ShowMessage(c.TextWidth('Temperatura') >= w);\n"
                            "  ShowMessage(c.Font.Height);\n"
                            "  c.TextOut(2, 2, 'Temperatura');\n"
                            "  dark := 0;\n"
                            "  for i := 0 to 199 do if c.Pixels[i, 2 + h div 2] <> clWhite then dark := dark + 1;\n"
                            "  ShowMessage(dark > 0);\n"
                            "  b.Free;\n"
                            "end."),
            "True\nTrue\nFalse\nTrue\n-16\nTrue");
}

TEST(Graphics, BitmapsAndPicturesGoThroughFiles) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString png = dir.filePath("obraz.png");
  const QString bmp = dir.filePath("obraz.bmp");
  EXPECT_EQ(RunWithGraphics(QStringLiteral("var b, c: TBitmap; p: TPicture;\n"
                                           "begin\n"
                                           "  b := TBitmap.Create; b.Width := 8; b.Height := 6;\n"
                                           "  b.Canvas.Pixels[3, 2] := clRed; b.Canvas.Pixels[7, 5] := clBlue;\n"
                                           "  b.SaveToFile('%1'); b.SaveToFile('%2');\n"
                                           "  c := TBitmap.Create; c.LoadFromFile('%1');\n"
                                           "  ShowMessage(IntToStr(c.Width) + 'x' + IntToStr(c.Height));\n"
                                           "  ShowMessage(IntToStr(c.Canvas.Pixels[3, 2]) + ' ' + "
                                           "IntToStr(c.Canvas.Pixels[7, 5]));\n"
                                           "  p := TPicture.Create; p.LoadFromFile('%2');\n"
                                           "  ShowMessage(IntToStr(p.Width) + ' ' + IntToStr(p.Bitmap.Canvas.Pixels[3, 2]));\n"
                                           "  try c.LoadFromFile('%3') except ShowMessage(ExceptionClassName) end;\n"
                                           "  b.Free; c.Free; p.Free;\n"
                                           "end.")
                                .arg(png, bmp, dir.filePath("brak.png"))),
            "8x6\n255 16711680\n8 255\nEFOpenError");
  QImage saved(png);
  ASSERT_FALSE(saved.isNull());
  EXPECT_EQ(QColor(saved.pixel(3, 2)), QColor(Qt::red));
  EXPECT_EQ(QImage(bmp).size(), QSize(8, 6));

  // A file that is no picture.
  const QString junk = dir.filePath("zle.png");
  {
    QFile f(junk);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("not a picture");
  }
  EXPECT_EQ(RunWithGraphics(QStringLiteral("var b: TBitmap; begin b := TBitmap.Create; b.LoadFromFile('%1') end.")
                                .arg(junk)),
            QStringLiteral("EInvalidGraphic: Bitmap image is not valid (%1)").arg(junk));
}

TEST(Graphics, MetafilesRecordAndReplayAndFreeCanvasesRefuseToDraw) {
  EXPECT_EQ(RunWithGraphics("var m: TMetafile; mc: TMetafileCanvas; b: TBitmap;\n"
                            "begin\n"
                            "  m := TMetafile.Create; m.Width := 10; m.Height := 10;\n"
                            "  mc := TMetafileCanvas.Create(m, 0);\n"
                            "  mc.Brush.Color := clRed; mc.Pen.Color := clRed; mc.Rectangle(0, 0, 10, 10);\n"
                            "  mc.Free;\n"
                            "  b := TBitmap.Create; b.Width := 30; b.Height := 30;\n"
                            "  b.Canvas.StretchDraw(10, 10, 30, 30, m);\n"
                            "  ShowMessage(IntToStr(b.Canvas.Pixels[20, 20]) + ' ' + IntToStr(b.Canvas.Pixels[5, 5]));\n"
                            "  b.Free; m.Free;\n"
                            "end."),
            "255 16777215");
  EXPECT_EQ(RunWithGraphics("var c: TCanvas; begin c := TCanvas.Create; c.Rectangle(0, 0, 5, 5) end."),
            "EInvalidOperation: Canvas does not allow drawing");
}

TEST(Graphics, OnPaintDrawsOnTheWindow) {
  TfsScript script;
  auto* form = ShowPaintedForm(script, "", "");
  ASSERT_NE(form, nullptr);
  const QImage shot = form->widget()->grab().toImage();
  EXPECT_EQ(QColor(shot.pixel(20, 20)), QColor(Qt::blue));
  EXPECT_NE(QColor(shot.pixel(50, 50)), QColor(Qt::blue));
  delete form;
  // Outside OnPaint the window's canvas has nothing to draw on.
  EXPECT_EQ(RunWithGraphics("var F: TForm; begin F := TForm.Create(nil);\n"
                            "try F.Canvas.Rectangle(0, 0, 5, 5) finally F.Free end end."),
            "EInvalidOperation: Canvas does not allow drawing");
}


TEST(Graphics, APictureGivenItsOwnGraphicKeepsIt) {
  EXPECT_EQ(RunWithGraphics("var p: TPicture; b: TBitmap;\n"
                            "begin\n"
                            "  p := TPicture.Create; p.Bitmap.Width := 3; p.Bitmap.Height := 2;\n"
                            "  p.Bitmap.Canvas.Pixels[2, 1] := clRed;\n"
                            "  p.Graphic := p.Graphic; p.Bitmap := p.Bitmap; p.Assign(p.Graphic);\n"
                            "  ShowMessage(IntToStr(p.Width) + 'x' + IntToStr(p.Height));\n"
                            "  ShowMessage(p.Bitmap.Canvas.Pixels[2, 1] = clRed);\n"
                            "  b := TBitmap.Create; b.Width := 5; b.Height := 4; p.Graphic := b;\n"
                            "  ShowMessage(IntToStr(p.Width) + 'x' + IntToStr(p.Height) + ' ' + IntToStr(b.Width));\n"
                            "  b.Free; p.Free\n"
                            "end."),
            "3x2\nTrue\n5x4 5");
}


TEST(Graphics, ACanvasFreedInOnPaintIsMadeAnewForTheNextPaint) {
  TfsScript script;
  auto* form = ShowPaintedForm(script, " N: Integer;", " N := N + 1; if N = 1 then F.Canvas.Free");
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(QColor(form->widget()->grab().toImage().pixel(20, 20)), QColor(Qt::blue));
  EXPECT_EQ(QColor(form->widget()->grab().toImage().pixel(20, 20)), QColor(Qt::blue));
  EXPECT_GE(script.FindSymbol("N")->GetValue().ToInt(), 2);
  delete form;
}

}  // namespace valmoro::script::test
