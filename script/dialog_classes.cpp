#include "dialog_classes.h"

#include <QFileInfo>
#include <algorithm>

#include "platform/dialogs.h"
#include "string_list.h"

namespace valmoro::script {

QColor ColorOfTColor(int color) {
  const auto bits = unsigned(color);
  // System colours (0xFF0000nn) have no fixed value; the text colour is the
  // one a dialog is ever started with.
  if (bits & 0xFF000000u) return QColor(Qt::black);
  return QColor(int(bits & 0xFF), int((bits >> 8) & 0xFF), int((bits >> 16) & 0xFF));
}

int TColorOfColor(const QColor& color) {
  const QColor rgb = color.toRgb();
  return rgb.red() | (rgb.green() << 8) | (rgb.blue() << 16);
}

// ---- TOpenDialog, TSaveDialog ---------------------------------------------------------------

TOpenDialog::TOpenDialog(QObject* owner) : TCommonDialog(owner), files_(new TStringList(this)) {}

TStringList* TOpenDialog::files() {
  if (!files_) files_ = new TStringList(this);
  return files_;
}

bool TOpenDialog::execute() { return run(false); }

bool TOpenDialog::run(bool save) {
  dialogs::FileDialogRequest request;
  request.save = save;
  request.title = title_;
  request.fileName = fileName_;
  request.initialDir = initialDir_;
  request.filter = filter_;
  request.filterIndex = filterIndex_;
  request.defaultExt = defaultExt_;
  request.multiSelect = !save && (options_ & ofAllowMultiSelect);
  request.fileMustExist = !save && (options_ & ofFileMustExist);
  request.overwritePrompt = save && (options_ & ofOverwritePrompt);
  const std::optional<dialogs::FileDialogAnswer> answer = dialogs::fileDialog(request);
  if (!answer) return false;
  TStringList* files = this->files();
  files->clear();
  for (const QString& file : answer->files) files->add(file);
  fileName_ = answer->files.value(0);
  filterIndex_ = answer->filterIndex;
  const QString ext = defaultExt_.startsWith(QLatin1Char('.')) ? defaultExt_.mid(1) : defaultExt_;
  if (!ext.isEmpty() && QFileInfo(fileName_).suffix().compare(ext, Qt::CaseInsensitive) != 0)
    options_ |= ofExtensionDifferent;
  else
    options_ &= ~unsigned(ofExtensionDifferent);
  return true;
}

// ---- TColorDialog ---------------------------------------------------------------------------

TColorDialog::TColorDialog(QObject* owner) : TCommonDialog(owner), customColors_(new TStringList(this)) {}

TStringList* TColorDialog::customColors() {
  if (!customColors_) customColors_ = new TStringList(this);
  return customColors_;
}

bool TColorDialog::execute() {
  const std::optional<QColor> chosen = dialogs::colorDialog(ColorOfTColor(color_));
  if (!chosen) return false;
  color_ = TColorOfColor(*chosen);
  return true;
}

// ---- TFontDialog ----------------------------------------------------------------------------

QObject* TFontDialog::font(const QMetaObject* fontClass) {
  if (font_) return font_.data();
  QObject* created = nullptr;
  if (fontClass) {
    created = fontClass->newInstance(Q_ARG(QObject*, this));
    if (!created && (created = fontClass->newInstance())) created->setParent(this);
  }
  if (!created) created = new TFontDialogFont(this);
  font_ = created;
  return created;
}

Variant TFontDialog::fontValue(QObject* font, const QString& name) const {
  if (getFont_) return getFont_(font, name);
  const QVariant value = font->property(name.toLatin1().constData());
  if (!value.isValid()) return Variant::Null();
  return value.typeId() == QMetaType::QString ? Variant(value.toString()) : Variant(value.toInt());
}

void TFontDialog::setFontValue(QObject* font, const QString& name, const Variant& value) const {
  if (setFont_) return setFont_(font, name, value);
  font->setProperty(name.toLatin1().constData(),
                    value.IsString() ? QVariant(value.AsString()) : QVariant(value.ToInt()));
}

namespace {

// A number, or a set given as the array of its members' bits.
int intOf(const Variant& value, int fallback) {
  if (value.IsArray()) {
    int bits = 0;
    for (const Variant& member : value.AsArray().Elements())
      if (member.IsNumeric()) bits |= int(member.ToInt64());
    return bits;
  }
  if (!value.IsNumeric()) return fallback;
  return int(value.ToInt64());
}

}  // namespace

bool TFontDialog::execute() {
  QObject* object = font();
  dialogs::FontChoice initial;
  initial.font.setFamily(fontValue(object, QStringLiteral("Name")).ToString());
  const int size = intOf(fontValue(object, QStringLiteral("Size")), 10);
  if (size > 0) initial.font.setPointSize(size);
  const int style = intOf(fontValue(object, QStringLiteral("Style")), 0);
  initial.font.setBold(style & 1);
  initial.font.setItalic(style & 2);
  initial.font.setUnderline(style & 4);
  initial.font.setStrikeOut(style & 8);
  initial.color = ColorOfTColor(intOf(fontValue(object, QStringLiteral("Color")), 0));

  std::optional<dialogs::FontChoice> chosen = dialogs::fontDialog(initial);
  if (!chosen) return false;
  int pointSize = chosen->font.pointSize();
  // fdLimitSize keeps the size within MinFontSize..MaxFontSize.
  if ((options_ & (1u << 13)) && maxFontSize_ > 0) pointSize = std::clamp(pointSize, minFontSize_, maxFontSize_);
  setFontValue(object, QStringLiteral("Name"), Variant(chosen->font.family()));
  setFontValue(object, QStringLiteral("Size"), Variant(pointSize));
  setFontValue(object, QStringLiteral("Style"),
               Variant((chosen->font.bold() ? 1 : 0) | (chosen->font.italic() ? 2 : 0) |
                       (chosen->font.underline() ? 4 : 0) | (chosen->font.strikeOut() ? 8 : 0)));
  // The colour comes back as it went unless the dialog changed it.
  if (chosen->color != initial.color) setFontValue(object, QStringLiteral("Color"), Variant(TColorOfColor(chosen->color)));
  return true;
}

// ---- TPrintDialog, TPrinterSetupDialog ---------------------------------------------------------

bool TPrintDialog::execute() {
  dialogs::PrintSettings settings;
  settings.copies = copies_;
  settings.collate = collate_;
  settings.range = printRange_ == prPageNums  ? dialogs::PrintSettings::Range::PageNumbers
                   : printRange_ == prSelection ? dialogs::PrintSettings::Range::Selection
                                                : dialogs::PrintSettings::Range::AllPages;
  settings.fromPage = fromPage_;
  settings.toPage = toPage_;
  settings.minPage = minPage_;
  settings.maxPage = maxPage_;
  settings.printToFile = printToFile_;
  settings.allowPageNumbers = options_ & poPageNums;
  settings.allowSelection = options_ & poSelection;
  settings.allowPrintToFile = (options_ & poPrintToFile) && !(options_ & poDisablePrintToFile);
  if (!dialogs::printDialog(settings, false)) return false;
  copies_ = std::max(1, settings.copies);
  collate_ = settings.collate;
  printToFile_ = settings.printToFile;
  switch (settings.range) {
    case dialogs::PrintSettings::Range::PageNumbers:
      printRange_ = prPageNums;
      fromPage_ = settings.fromPage;
      toPage_ = settings.toPage;
      break;
    case dialogs::PrintSettings::Range::Selection:
      printRange_ = prSelection;
      break;
    case dialogs::PrintSettings::Range::AllPages:
      printRange_ = prAllPages;
      break;
  }
  return true;
}

bool TPrinterSetupDialog::execute() {
  dialogs::PrintSettings settings;
  return dialogs::printDialog(settings, true);
}

}  // namespace valmoro::script
