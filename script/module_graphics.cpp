#include "module_graphics.h"

#include "graphics_objects.h"
#include "host_events.h"
#include "module_binding_support.h"
#include "platform/graphics_names.h"

namespace valmoro::script {

using namespace graphics;
using binding::Caller;
using binding::Method;
using binding::ObjectArg;
using binding::Property;

namespace {

// Colour names scripts write (clRed, clBtnFace, ...), as signed integers.
constexpr const char* kColorNames[] = {
    "clBlack",       "clMaroon",     "clGreen",          "clOlive",           "clNavy",        "clPurple",
    "clTeal",        "clGray",       "clSilver",         "clRed",             "clLime",        "clYellow",
    "clBlue",        "clFuchsia",    "clAqua",           "clWhite",           "clMoneyGreen",  "clSkyBlue",
    "clCream",       "clMedGray",    "clNone",           "clDefault",         "clScrollBar",   "clBackground",
    "clActiveCaption", "clInactiveCaption", "clMenu",    "clWindow",          "clWindowFrame", "clMenuText",
    "clWindowText",  "clCaptionText", "clActiveBorder",  "clInactiveBorder",  "clAppWorkSpace", "clHighlight",
    "clHighlightText", "clBtnFace",  "clBtnShadow",      "clGrayText",        "clBtnText",     "clInactiveCaptionText",
    "clBtnHighlight", "cl3DDkShadow", "cl3DLight",       "clInfoText",        "clInfoBk",
};

void registerFontPenBrush(TfsScript* script) {
  if (TfsClassVariable* font = script->AddClassItem(&TFont::staticMetaObject, QStringLiteral("TPersistent"))) {
    font->AddConstructor(QStringLiteral("constructor Create"), TfsCallMethodEvent());
    Property<TFont>(
        font, "Style", "TFontStyles", [](TFont* f) { return SetValueOfBits(f->style()); },
        [](TFont* f, const Variant& v) { f->setStyle(int(SetBitsOf(v))); });
  }
  if (TfsClassVariable* pen = script->AddClassItem(&TPen::staticMetaObject, QStringLiteral("TPersistent")))
    pen->AddConstructor(QStringLiteral("constructor Create"), TfsCallMethodEvent());
  if (TfsClassVariable* brush = script->AddClassItem(&TBrush::staticMetaObject, QStringLiteral("TPersistent")))
    brush->AddConstructor(QStringLiteral("constructor Create"), TfsCallMethodEvent());
}

void registerCanvas(TfsClassVariable* canvas) {
  canvas->AddConstructor(QStringLiteral("constructor Create"), TfsCallMethodEvent());
  Method<TCanvas>(canvas, "procedure Draw(X, Y: Integer; Graphic: TGraphic)", [](TCanvas* c, Caller a) {
    c->draw(a->Arg(0).ToInt(), a->Arg(1).ToInt(), ObjectArg<TGraphic>(a->Arg(2)));
  });
  Method<TCanvas>(canvas, "procedure Ellipse(X1, Y1, X2, Y2: Integer)", [](TCanvas* c, Caller a) {
    c->ellipse(a->Arg(0).ToInt(), a->Arg(1).ToInt(), a->Arg(2).ToInt(), a->Arg(3).ToInt());
  });
  Method<TCanvas>(canvas, "procedure FillRect(X1, Y1, X2, Y2: Integer)", [](TCanvas* c, Caller a) {
    c->fillRect(a->Arg(0).ToInt(), a->Arg(1).ToInt(), a->Arg(2).ToInt(), a->Arg(3).ToInt());
  });
  Method<TCanvas>(canvas, "procedure LineTo(X, Y: Integer)",
                  [](TCanvas* c, Caller a) { c->lineTo(a->Arg(0).ToInt(), a->Arg(1).ToInt()); });
  Method<TCanvas>(canvas, "procedure MoveTo(X, Y: Integer)",
                  [](TCanvas* c, Caller a) { c->moveTo(a->Arg(0).ToInt(), a->Arg(1).ToInt()); });
  Method<TCanvas>(canvas, "procedure Rectangle(X1, Y1, X2, Y2: Integer)", [](TCanvas* c, Caller a) {
    c->rectangle(a->Arg(0).ToInt(), a->Arg(1).ToInt(), a->Arg(2).ToInt(), a->Arg(3).ToInt());
  });
  Method<TCanvas>(canvas, "procedure RoundRect(X1, Y1, X2, Y2, X3, Y3: Integer)", [](TCanvas* c, Caller a) {
    c->roundRect(a->Arg(0).ToInt(), a->Arg(1).ToInt(), a->Arg(2).ToInt(), a->Arg(3).ToInt(), a->Arg(4).ToInt(),
                 a->Arg(5).ToInt());
  });
  Method<TCanvas>(canvas, "procedure StretchDraw(X1, Y1, X2, Y2: Integer; Graphic: TGraphic)",
                  [](TCanvas* c, Caller a) {
                    c->stretchDraw(a->Arg(0).ToInt(), a->Arg(1).ToInt(), a->Arg(2).ToInt(), a->Arg(3).ToInt(),
                                   ObjectArg<TGraphic>(a->Arg(4)));
                  });
  Method<TCanvas>(canvas, "function TextHeight(const Text: string): Integer",
                  [](TCanvas* c, Caller a) { return c->textHeight(a->Arg(0).ToString()); });
  Method<TCanvas>(canvas, "procedure TextOut(X, Y: Integer; const Text: string)", [](TCanvas* c, Caller a) {
    c->textOut(a->Arg(0).ToInt(), a->Arg(1).ToInt(), a->Arg(2).ToString());
  });
  Method<TCanvas>(canvas, "function TextWidth(const Text: string): Integer",
                  [](TCanvas* c, Caller a) { return c->textWidth(a->Arg(0).ToString()); });
  canvas->AddIndexProperty(QStringLiteral("Pixels"), QStringLiteral("Integer, Integer"), QStringLiteral("TColor"),
                           [](QObject* o, const QMetaObject*, const QString& name, Variant& p) {
                             TCanvas* c = binding::As<TCanvas>(o);
                             const VariantArray& args = p.AsArray();
                             if (name.endsWith(QLatin1String(".SET"))) {
                               c->setPixel(args.At(0).ToInt(), args.At(1).ToInt(), args.At(2).ToInt());
                               return Variant::Null();
                             }
                             return Variant(c->pixel(args.At(0).ToInt(), args.At(1).ToInt()));
                           });
  // Assigning a font, pen or brush copies it into the canvas's own.
  Property<TCanvas>(
      canvas, "Font", "TFont", [](TCanvas* c) { return Variant::FromObject(c->font()); },
      [](TCanvas* c, const Variant& v) {
        if (TFont* f = ObjectArg<TFont>(v)) c->font()->AssignFrom(f);
      });
  Property<TCanvas>(
      canvas, "Pen", "TPen", [](TCanvas* c) { return Variant::FromObject(c->pen()); },
      [](TCanvas* c, const Variant& v) {
        if (TPen* p = ObjectArg<TPen>(v)) c->pen()->AssignFrom(p);
      });
  Property<TCanvas>(
      canvas, "Brush", "TBrush", [](TCanvas* c) { return Variant::FromObject(c->brush()); },
      [](TCanvas* c, const Variant& v) {
        if (TBrush* b = ObjectArg<TBrush>(v)) c->brush()->AssignFrom(b);
      });
}

void registerGraphics(TfsScript* script) {
  if (TfsClassVariable* graphic = script->AddClassItem(&TGraphic::staticMetaObject, QStringLiteral("TPersistent"))) {
    Method<TGraphic>(graphic, "procedure LoadFromFile(const FileName: string)",
                     [](TGraphic* g, Caller a) { g->loadFromFile(a->Arg(0).ToString()); });
    Method<TGraphic>(graphic, "procedure SaveToFile(const FileName: string)",
                     [](TGraphic* g, Caller a) { g->saveToFile(a->Arg(0).ToString()); });
    Property<TGraphic>(graphic, "Empty", "Boolean", [](TGraphic* g) { return g->empty(); });
  }
  if (TfsClassVariable* picture = script->AddClassItem(&TPicture::staticMetaObject, QStringLiteral("TPersistent"))) {
    picture->AddConstructor(QStringLiteral("constructor Create"), TfsCallMethodEvent());
    Method<TPicture>(picture, "procedure LoadFromFile(const FileName: string)",
                     [](TPicture* p, Caller a) { p->loadFromFile(a->Arg(0).ToString()); });
    Method<TPicture>(picture, "procedure SaveToFile(const FileName: string)",
                     [](TPicture* p, Caller a) { p->saveToFile(a->Arg(0).ToString()); });
    Property<TPicture>(
        picture, "Graphic", "TGraphic", [](TPicture* p) { return Variant::FromObject(p->graphic()); },
        [](TPicture* p, const Variant& v) { p->setGraphic(ObjectArg<TGraphic>(v)); });
    Property<TPicture>(
        picture, "Bitmap", "TBitmap", [](TPicture* p) { return Variant::FromObject(p->bitmap()); },
        [](TPicture* p, const Variant& v) { p->setGraphic(ObjectArg<TBitmap>(v)); });
  }
  if (TfsClassVariable* metafile = script->AddClassItem(&TMetafile::staticMetaObject, QStringLiteral("TGraphic")))
    metafile->AddConstructor(QStringLiteral("constructor Create"), TfsCallMethodEvent());
  if (TfsClassVariable* bitmap = script->AddClassItem(&TBitmap::staticMetaObject, QStringLiteral("TGraphic"))) {
    bitmap->AddConstructor(QStringLiteral("constructor Create"), TfsCallMethodEvent());
    Property<TBitmap>(bitmap, "Canvas", "TCanvas", [](TBitmap* b) { return Variant::FromObject(b->canvas()); });
  }
  if (TfsClassVariable* canvas = script->AddClassItem(&TCanvas::staticMetaObject, QStringLiteral("TPersistent")))
    registerCanvas(canvas);
  if (TfsClassVariable* recorder =
          script->AddClassItem(&TMetafileCanvas::staticMetaObject, QStringLiteral("TCanvas"))) {
    recorder->AddConstructor(QStringLiteral("constructor Create(AMetafile: TMetafile; ReferenceDevice: Integer)"),
                             [](QObject*, const QMetaObject*, const QString&, Caller a) {
                               TMetafile* metafile = ObjectArg<TMetafile>(a->Arg(0));
                               if (!metafile)
                                 throw RunError(error_class::InvalidOperation, QStringLiteral("A TMetafile is needed"));
                               return Variant::FromObject(new TMetafileCanvas(metafile));
                             });
  }
}

}  // namespace

TfsGraphicsModule::TfsGraphicsModule(TfsScript* script) : TfsRTTIModule(script) {
  script->AddTypeItem(QStringLiteral("TColor"), fvtInt);
  for (const char* name : kColorNames)
    if (const auto value = names::identToColor(QString::fromLatin1(name)))
      script->AddConstItem(QString::fromLatin1(name), QStringLiteral("TColor"), Variant(int(*value)));
  script->AddEnumSetItems(QStringLiteral("TFontStyles"), QStringLiteral("fsBold, fsItalic, fsUnderline, fsStrikeOut"));
  script->AddEnumItems(QStringLiteral("TFontPitch"), QStringLiteral("fpDefault, fpVariable, fpFixed"));
  script->AddEnumItems(QStringLiteral("TPenStyle"),
                       QStringLiteral("psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame"));
  script->AddEnumItems(QStringLiteral("TPenMode"),
                       QStringLiteral("pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, "
                                      "pmMaskPenNot, pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, "
                                      "pmNotMask, pmXor, pmNotXor"));
  script->AddEnumItems(QStringLiteral("TBrushStyle"),
                       QStringLiteral("bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, "
                                      "bsCross, bsDiagCross"));
  registerFontPenBrush(script);
  registerGraphics(script);
}

void RegisterGraphicsModule() {
  RegisterModule(QStringLiteral("Graphics"),
                 [](TfsScript* script) { return std::make_unique<TfsGraphicsModule>(script); });
}

}  // namespace valmoro::script
