#include "designer/report_options_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QFile>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMetaProperty>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QUndoCommand>
#include <QVBoxLayout>
#include <cmath>

#include "designer/designer_document.h"
#include "platform/dialogs.h"
#include "platform/printers.h"
#include "report/model/picture.h"
#include "report/model/report.h"
#include "report/model/report_options.h"

namespace valmoro::designer {

namespace {

// The preview's buttons in the order of its tool bar.
const std::vector<std::pair<report::TfrxPreviewButton, QString>>& previewButtons() {
  static const std::vector<std::pair<report::TfrxPreviewButton, QString>> buttons{
      {report::pbPrint, QStringLiteral("Drukuj")},
      {report::pbLoad, QStringLiteral("Otwórz")},
      {report::pbSave, QStringLiteral("Zapisz")},
      {report::pbExport, QStringLiteral("Eksportuj")},
      {report::pbExportQuick, QStringLiteral("Szybki eksport")},
      {report::pbZoom, QStringLiteral("Powiększenie")},
      {report::pbFind, QStringLiteral("Szukaj")},
      {report::pbOutline, QStringLiteral("Spis treści")},
      {report::pbPageSetup, QStringLiteral("Ustawienia strony")},
      {report::pbTools, QStringLiteral("Narzędzia")},
      {report::pbEdit, QStringLiteral("Edycja strony")},
      {report::pbNavigator, QStringLiteral("Nawigacja")},
      {report::pbNoClose, QStringLiteral("Bez przycisku zamknięcia")},
      {report::pbNoFullScreen, QStringLiteral("Bez pełnego ekranu")},
      {report::pbNoEmail, QStringLiteral("Bez wysyłania pocztą")},
  };
  return buttons;
}

QString buttonKey(report::TfrxPreviewButton button) {
  const QMetaEnum names = QMetaEnum::fromType<report::TfrxPreviewButtons>();
  return QStringLiteral("PreviewOptions.Buttons.") + QString::fromLatin1(names.valueToKey(int(button)));
}

QByteArray propertyName(const QString& key) { return key.section(QLatin1Char('.'), 1, 1).toLatin1(); }

// The four records before and after, put back whole. (Reading the whole
// document back would not do: options at their defaults are not stored, so
// a document read over the report leaves the changed values in place.)
struct OptionRecords {
  std::unique_ptr<report::TfrxReportOptions> reportOptions = std::make_unique<report::TfrxReportOptions>();
  std::unique_ptr<report::TfrxEngineOptions> engineOptions = std::make_unique<report::TfrxEngineOptions>();
  std::unique_ptr<report::TfrxPrintOptions> printOptions = std::make_unique<report::TfrxPrintOptions>();
  std::unique_ptr<report::TfrxPreviewOptions> previewOptions = std::make_unique<report::TfrxPreviewOptions>();

  void takeFrom(const report::TfrxReport& r) {
    reportOptions->Assign(*r.ReportOptions());
    engineOptions->Assign(*r.EngineOptions());
    printOptions->Assign(*r.PrintOptions());
    previewOptions->Assign(*r.PreviewOptions());
  }
  void putInto(report::TfrxReport& r) const {
    r.ReportOptions()->Assign(*reportOptions);
    r.EngineOptions()->Assign(*engineOptions);
    r.PrintOptions()->Assign(*printOptions);
    r.PreviewOptions()->Assign(*previewOptions);
  }
};

class OptionsCommand final : public QUndoCommand {
public:
  explicit OptionsCommand(report::TfrxReport& report) : report_(report) {
    setText(QStringLiteral("Opcje raportu"));
    before.takeFrom(report);
  }
  void redo() override { after.putInto(report_); }
  void undo() override { before.putInto(report_); }
  OptionRecords before, after;

private:
  report::TfrxReport& report_;
};

}  // namespace

bool SameOptions(const QObject& a, const QObject& b) {
  const QMetaObject* meta = a.metaObject();
  if (meta != b.metaObject()) return false;
  for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i) {
    const QMetaProperty p = meta->property(i);
    const QVariant x = p.read(&a), y = p.read(&b);
    if (p.metaType().flags().testFlag(QMetaType::PointerToQObject)) {
      const auto* px = qobject_cast<const report::ReportPicture*>(x.value<QObject*>());
      const auto* py = qobject_cast<const report::ReportPicture*>(y.value<QObject*>());
      if (px && py ? !(*px == *py) : px != py) return false;
      continue;
    }
    if (x != y) return false;
  }
  return true;
}

QString OptionsDateText(double days) {
  if (!(days > 0)) return QStringLiteral("—");
  static const QDate epoch(1899, 12, 30);
  const double whole = std::floor(days);
  const QDate date = epoch.addDays(qint64(whole));
  const QTime time = QTime(0, 0).addMSecs(int(std::lround((days - whole) * 86400000.0)) % 86400000);
  return QDateTime(date, time).toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

ReportOptionsDialog::ReportOptionsDialog(DesignerDocument& document, QWidget* parent)
    : QDialog(parent),
      document_(document),
      reportOptions_(std::make_unique<report::TfrxReportOptions>()),
      engineOptions_(std::make_unique<report::TfrxEngineOptions>()),
      printOptions_(std::make_unique<report::TfrxPrintOptions>()),
      previewOptions_(std::make_unique<report::TfrxPreviewOptions>()) {
  setObjectName(QStringLiteral("ReportOptionsDialog"));
  setWindowTitle(QStringLiteral("Opcje raportu"));
  const report::TfrxReport& r = document.Report();
  reportOptions_->Assign(*r.ReportOptions());
  engineOptions_->Assign(*r.EngineOptions());
  printOptions_->Assign(*r.PrintOptions());
  previewOptions_->Assign(*r.PreviewOptions());

  tabs_ = new QTabWidget(this);
  tabs_->setObjectName(QStringLiteral("OptionTabs"));
  tabs_->addTab(generalTab(), QStringLiteral("Ogólne"));
  tabs_->addTab(passwordTab(), QStringLiteral("Hasło"));
  tabs_->addTab(engineTab(), QStringLiteral("Silnik"));
  tabs_->addTab(printTab(), QStringLiteral("Drukowanie"));
  tabs_->addTab(previewTab(), QStringLiteral("Podgląd"));
  error_ = new QLabel(this);
  error_->setObjectName(QStringLiteral("ErrorLine"));
  error_->setStyleSheet(QStringLiteral("color: #b00000"));
  error_->setWordWrap(true);
  buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons_->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
  buttons_->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Anuluj"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs_, 1);
  layout->addWidget(error_);
  layout->addWidget(buttons_);
  connect(buttons_, &QDialogButtonBox::accepted, this, &ReportOptionsDialog::accept);
  connect(buttons_, &QDialogButtonBox::rejected, this, &ReportOptionsDialog::reject);
  fill();
}

ReportOptionsDialog::~ReportOptionsDialog() = default;

QPushButton* ReportOptionsDialog::OkButton() const { return buttons_->button(QDialogButtonBox::Ok); }

QObject* ReportOptionsDialog::recordOf(const QString& key) const {
  const QString record = key.section(QLatin1Char('.'), 0, 0);
  if (record == QLatin1String("ReportOptions")) return reportOptions_.get();
  if (record == QLatin1String("EngineOptions")) return engineOptions_.get();
  if (record == QLatin1String("PrintOptions")) return printOptions_.get();
  if (record == QLatin1String("PreviewOptions")) return previewOptions_.get();
  return nullptr;
}

QCheckBox* ReportOptionsDialog::check(QWidget* parent, const QString& key, const QString& caption) {
  auto* box = new QCheckBox(caption, parent);
  box->setObjectName(key);
  fields_.insert(key, box);
  return box;
}

QSpinBox* ReportOptionsDialog::spin(QWidget* parent, const QString& key, int minimum, int maximum) {
  auto* box = new QSpinBox(parent);
  box->setObjectName(key);
  box->setRange(minimum, maximum);
  fields_.insert(key, box);
  return box;
}

QLineEdit* ReportOptionsDialog::line(QWidget* parent, const QString& key) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(key);
  fields_.insert(key, edit);
  return edit;
}

// Captions in the order of the enumeration's values.
QComboBox* ReportOptionsDialog::combo(QWidget* parent, const QString& key, const QStringList& captions) {
  auto* box = new QComboBox(parent);
  box->setObjectName(key);
  for (int i = 0; i < captions.size(); ++i) box->addItem(captions[i], i);
  fields_.insert(key, box);
  return box;
}

QWidget* ReportOptionsDialog::generalTab() {
  auto* page = new QWidget(this);
  auto* form = new QFormLayout(page);
  form->addRow(QStringLiteral("Nazwa:"), line(page, QStringLiteral("ReportOptions.Name")));
  form->addRow(QStringLiteral("Autor:"), line(page, QStringLiteral("ReportOptions.Author")));
  description_ = new QPlainTextEdit(page);
  description_->setObjectName(QStringLiteral("ReportOptions.Description"));
  description_->setMaximumHeight(90);
  form->addRow(QStringLiteral("Opis:"), description_);
  auto* version = new QHBoxLayout;
  for (const char* part : {"VersionMajor", "VersionMinor", "VersionRelease", "VersionBuild"}) {
    QLineEdit* edit = line(page, QStringLiteral("ReportOptions.") + QString::fromLatin1(part));
    edit->setMaximumWidth(60);
    version->addWidget(edit);
  }
  version->addStretch(1);
  form->addRow(QStringLiteral("Wersja:"), version);
  pictureSample_ = new QLabel(page);
  pictureSample_->setObjectName(QStringLiteral("PictureSample"));
  pictureSample_->setFixedSize(96, 64);
  pictureSample_->setAlignment(Qt::AlignCenter);
  pictureSample_->setFrameShape(QFrame::StyledPanel);
  loadPicture_ = new QPushButton(QStringLiteral("Wczytaj…"), page);
  loadPicture_->setObjectName(QStringLiteral("LoadPictureButton"));
  clearPicture_ = new QPushButton(QStringLiteral("Usuń"), page);
  clearPicture_->setObjectName(QStringLiteral("ClearPictureButton"));
  auto* picture = new QHBoxLayout;
  picture->addWidget(pictureSample_);
  auto* pictureButtons = new QVBoxLayout;
  pictureButtons->addWidget(loadPicture_);
  pictureButtons->addWidget(clearPicture_);
  pictureButtons->addStretch(1);
  picture->addLayout(pictureButtons);
  picture->addStretch(1);
  form->addRow(QStringLiteral("Obraz:"), picture);
  createDate_ = new QLabel(page);
  createDate_->setObjectName(QStringLiteral("CreateDateLabel"));
  lastChange_ = new QLabel(page);
  lastChange_->setObjectName(QStringLiteral("LastChangeLabel"));
  form->addRow(QStringLiteral("Utworzony:"), createDate_);
  form->addRow(QStringLiteral("Ostatnia zmiana:"), lastChange_);
  connect(loadPicture_, &QPushButton::clicked, this, [this] { loadPicture(); });
  connect(clearPicture_, &QPushButton::clicked, this, [this] {
    reportOptions_->Picture()->Clear();
    showPicture();
  });
  return page;
}

QWidget* ReportOptionsDialog::passwordTab() {
  auto* page = new QWidget(this);
  auto* form = new QFormLayout(page);
  password_ = line(page, QStringLiteral("ReportOptions.Password"));
  password_->setEchoMode(QLineEdit::Password);
  confirm_ = new QLineEdit(page);
  confirm_->setObjectName(QStringLiteral("PasswordConfirm"));
  confirm_->setEchoMode(QLineEdit::Password);
  form->addRow(QStringLiteral("Hasło:"), password_);
  form->addRow(QStringLiteral("Potwierdzenie:"), confirm_);
  form->addRow(new QLabel(QStringLiteral("Raport z hasłem otwiera się dopiero po jego podaniu.\nPuste hasło: raport bez hasła."),
                          page));
  return page;
}

QWidget* ReportOptionsDialog::engineTab() {
  auto* page = new QWidget(this);
  auto* form = new QFormLayout(page);
  form->addRow(check(page, QStringLiteral("EngineOptions.DoublePass"), QStringLiteral("Dwa przebiegi")));
  form->addRow(check(page, QStringLiteral("EngineOptions.ConvertNulls"), QStringLiteral("Puste wartości jako 0 lub tekst pusty")));
  form->addRow(check(page, QStringLiteral("EngineOptions.PrintIfEmpty"), QStringLiteral("Drukuj raport bez danych")));
  form->addRow(check(page, QStringLiteral("EngineOptions.IgnoreDevByZero"), QStringLiteral("Pomijaj dzielenie przez zero")));
  form->addRow(check(page, QStringLiteral("EngineOptions.UseFileCache"), QStringLiteral("Przechowuj strony w pliku")));
  form->addRow(QStringLiteral("Pamięć na strony [MB]:"), spin(page, QStringLiteral("EngineOptions.MaxMemSize"), 1, 100000));
  form->addRow(QStringLiteral("Folder tymczasowy:"), line(page, QStringLiteral("EngineOptions.TempDir")));
  form->addRow(QStringLiteral("Błędy:"), combo(page, QStringLiteral("EngineOptions.NewSilentMode"),
                                               {QStringLiteral("Pokazuj komunikat"), QStringLiteral("Pomijaj bez komunikatu"),
                                                QStringLiteral("Przekazuj dalej")}));
  return page;
}

QWidget* ReportOptionsDialog::printTab() {
  auto* page = new QWidget(this);
  auto* form = new QFormLayout(page);
  auto* printer = new QComboBox(page);
  printer->setObjectName(QStringLiteral("PrintOptions.Printer"));
  printer->setEditable(true);
  printer->addItem(printers::printerTexts().defaultSource);
  for (const QString& name : printers::frxPrinters().Printers())
    if (printer->findText(name) < 0) printer->addItem(name);
  fields_.insert(printer->objectName(), printer);
  form->addRow(QStringLiteral("Drukarka:"), printer);
  form->addRow(QStringLiteral("Liczba kopii:"), spin(page, QStringLiteral("PrintOptions.Copies"), 1, 9999));
  form->addRow(check(page, QStringLiteral("PrintOptions.Collate"), QStringLiteral("Sortuj kopie")));
  form->addRow(QStringLiteral("Strony:"), line(page, QStringLiteral("PrintOptions.PageNumbers")));
  form->addRow(QStringLiteral("Drukuj:"), combo(page, QStringLiteral("PrintOptions.PrintPages"),
                                                {QStringLiteral("Wszystkie strony"), QStringLiteral("Strony nieparzyste"),
                                                 QStringLiteral("Strony parzyste")}));
  form->addRow(QStringLiteral("Tryb:"), combo(page, QStringLiteral("PrintOptions.PrintMode"),
                                              {QStringLiteral("Zwykły"), QStringLiteral("Podział dużych stron"),
                                               QStringLiteral("Łączenie małych stron"), QStringLiteral("Skalowanie")}));
  form->addRow(QStringLiteral("Arkusz (rozmiar papieru):"), spin(page, QStringLiteral("PrintOptions.PrintOnSheet"), 0, 1000));
  form->addRow(check(page, QStringLiteral("PrintOptions.Reverse"), QStringLiteral("W odwrotnej kolejności")));
  form->addRow(check(page, QStringLiteral("PrintOptions.ShowDialog"), QStringLiteral("Pokazuj okno drukowania")));
  return page;
}

QWidget* ReportOptionsDialog::previewTab() {
  auto* page = new QWidget(this);
  auto* layout = new QVBoxLayout(page);
  auto* buttons = new QGroupBox(QStringLiteral("Przyciski"), page);
  auto* grid = new QGridLayout(buttons);
  int i = 0;
  for (const auto& [button, caption] : previewButtons()) {
    grid->addWidget(check(buttons, buttonKey(button), caption), i / 3, i % 3);
    ++i;
  }
  layout->addWidget(buttons);
  auto* form = new QFormLayout;
  zoom_ = new QSpinBox(page);
  zoom_->setObjectName(QStringLiteral("PreviewOptions.Zoom"));
  zoom_->setRange(10, 1000);
  zoom_->setSuffix(QStringLiteral(" %"));
  fields_.insert(zoom_->objectName(), zoom_);
  form->addRow(QStringLiteral("Powiększenie:"), zoom_);
  form->addRow(QStringLiteral("Dopasowanie:"), combo(page, QStringLiteral("PreviewOptions.ZoomMode"),
                                                     {QStringLiteral("Powiększenie jak wyżej"), QStringLiteral("Cała strona"),
                                                      QStringLiteral("Szerokość strony"), QStringLiteral("Wiele stron")}));
  form->addRow(QStringLiteral("Szerokość spisu treści:"), spin(page, QStringLiteral("PreviewOptions.OutlineWidth"), 0, 2000));
  form->addRow(QStringLiteral("Stron w pamięci:"), spin(page, QStringLiteral("PreviewOptions.PagesInCache"), 1, 100000));
  layout->addLayout(form);
  auto* flags = new QGridLayout;
  int j = 0;
  for (const auto& [property, caption] :
       std::vector<std::pair<const char*, QString>>{{"Maximized", QStringLiteral("Okno zmaksymalizowane")},
                                                     {"Modal", QStringLiteral("Okno modalne")},
                                                     {"OutlineVisible", QStringLiteral("Pokazuj spis treści")},
                                                     {"OutlineExpand", QStringLiteral("Spis treści rozwinięty")},
                                                     {"ThumbnailVisible", QStringLiteral("Pokazuj miniatury")},
                                                     {"AllowEdit", QStringLiteral("Pozwalaj edytować strony")},
                                                     {"ShowCaptions", QStringLiteral("Podpisy przycisków")},
                                                     {"PictureCacheInFile", QStringLiteral("Obrazy w pliku tymczasowym")}}) {
    flags->addWidget(check(page, QStringLiteral("PreviewOptions.") + QString::fromLatin1(property), caption), j / 2, j % 2);
    ++j;
  }
  layout->addLayout(flags);
  layout->addStretch(1);
  return page;
}

void ReportOptionsDialog::fill() {
  for (auto it = fields_.constBegin(); it != fields_.constEnd(); ++it) {
    const QString& key = it.key();
    if (key.startsWith(QLatin1String("PreviewOptions.Buttons."))) {
      const QMetaEnum names = QMetaEnum::fromType<report::TfrxPreviewButtons>();
      const int flag = names.keyToValue(key.section(QLatin1Char('.'), 2, 2).toLatin1().constData());
      qobject_cast<QCheckBox*>(it.value())->setChecked(previewOptions_->Buttons().testFlag(report::TfrxPreviewButton(flag)));
      continue;
    }
    if (it.value() == zoom_) {
      zoom_->setValue(int(std::lround(previewOptions_->Zoom() * 100)));
      continue;
    }
    const QVariant value = recordOf(key)->property(propertyName(key).constData());
    if (auto* box = qobject_cast<QCheckBox*>(it.value())) box->setChecked(value.toBool());
    else if (auto* s = qobject_cast<QSpinBox*>(it.value())) s->setValue(value.toInt());
    else if (auto* c = qobject_cast<QComboBox*>(it.value())) {
      if (c->isEditable()) c->setCurrentText(value.toString());
      else c->setCurrentIndex(std::max(0, c->findData(value.toInt())));
    } else if (auto* e = qobject_cast<QLineEdit*>(it.value())) e->setText(value.toString());
  }
  confirm_->setText(reportOptions_->Password());
  description_->setPlainText(reportOptions_->Description().join(QLatin1Char('\n')));
  createDate_->setText(OptionsDateText(reportOptions_->CreateDate()));
  lastChange_->setText(OptionsDateText(reportOptions_->LastChange()));
  showPicture();
}

void ReportOptionsDialog::showPicture() {
  const QImage image = reportOptions_->Picture()->Image();
  if (image.isNull()) {
    pictureSample_->setPixmap(QPixmap());
    pictureSample_->setText(reportOptions_->Picture()->IsEmpty() ? QStringLiteral("(brak)") : QStringLiteral("(obraz)"));
  } else {
    pictureSample_->setText(QString());
    pictureSample_->setPixmap(QPixmap::fromImage(image).scaled(pictureSample_->size() - QSize(4, 4), Qt::KeepAspectRatio,
                                                               Qt::SmoothTransformation));
  }
  clearPicture_->setEnabled(!reportOptions_->Picture()->IsEmpty());
}

// The same files and the same refusals as the inspector's picture rows.
void ReportOptionsDialog::loadPicture() {
  dialogs::FileDialogRequest request;
  request.title = QStringLiteral("Wczytaj obraz");
  request.filter = QStringLiteral(
      "Obrazy (*.bmp;*.jpg;*.jpeg;*.png;*.ico;*.emf;*.wmf)|*.bmp;*.jpg;*.jpeg;*.png;*.ico;*.emf;*.wmf|"
      "Wszystkie pliki (*.*)|*.*");
  request.fileMustExist = true;
  const std::optional<dialogs::FileDialogAnswer> answer = dialogs::fileDialog(request, this);
  if (!answer || answer->files.isEmpty()) return;
  const QString fileName = answer->files.first();
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly)) {
    error_->setText(QStringLiteral("Nie można odczytać pliku %1.").arg(dialogs::shortPath(fileName)));
    return;
  }
  if (!reportOptions_->Picture()->LoadFromData(file.readAll())) {
    error_->setText(QStringLiteral("Plik %1 nie jest obrazem.").arg(dialogs::shortPath(fileName)));
    return;
  }
  error_->clear();
  showPicture();
}

bool ReportOptionsDialog::refuse(QWidget* field, const QString& text) {
  for (int i = 0; i < tabs_->count(); ++i)
    if (tabs_->widget(i)->isAncestorOf(field)) tabs_->setCurrentIndex(i);
  field->setFocus();
  error_->setText(text);
  return false;
}

bool ReportOptionsDialog::Read() {
  if (password_->text() != confirm_->text())
    return refuse(confirm_, QStringLiteral("Hasło i jego potwierdzenie różnią się."));
  report::TfrxPreviewButtons buttons;
  for (auto it = fields_.constBegin(); it != fields_.constEnd(); ++it) {
    const QString& key = it.key();
    if (key.startsWith(QLatin1String("PreviewOptions.Buttons."))) {
      const QMetaEnum names = QMetaEnum::fromType<report::TfrxPreviewButtons>();
      const int flag = names.keyToValue(key.section(QLatin1Char('.'), 2, 2).toLatin1().constData());
      if (qobject_cast<QCheckBox*>(it.value())->isChecked()) buttons |= report::TfrxPreviewButton(flag);
      continue;
    }
    if (it.value() == zoom_) continue;
    QObject* record = recordOf(key);
    const QByteArray name = propertyName(key);
    const QMetaProperty p = record->metaObject()->property(record->metaObject()->indexOfProperty(name.constData()));
    QVariant value;
    if (auto* box = qobject_cast<QCheckBox*>(it.value())) value = box->isChecked();
    else if (auto* s = qobject_cast<QSpinBox*>(it.value())) value = s->value();
    else if (auto* c = qobject_cast<QComboBox*>(it.value())) {
      if (c->isEditable()) value = c->currentText().trimmed();
      else value = c->currentData().toInt();
    } else if (auto* e = qobject_cast<QLineEdit*>(it.value())) value = key.endsWith(QLatin1String("Password")) ? e->text() : e->text().trimmed();
    // An enumeration is written as its number.
    if (p.isEnumType()) {
      QVariant number(value.toInt());
      number.convert(p.metaType());
      p.write(record, number);
    } else {
      p.write(record, value);
    }
  }
  // The buttons the preview has no check box for keep their state.
  report::TfrxPreviewButtons known;
  for (const auto& [button, caption] : previewButtons()) known |= button;
  previewOptions_->SetButtons((previewOptions_->Buttons() & ~known) | buttons);
  // A zoom left as shown keeps its exact value.
  if (zoom_->value() != int(std::lround(previewOptions_->Zoom() * 100))) previewOptions_->SetZoom(zoom_->value() / 100.0);
  QStringList description = description_->toPlainText().split(QLatin1Char('\n'));
  while (!description.isEmpty() && description.last().isEmpty()) description.removeLast();
  reportOptions_->SetDescription(description);
  error_->clear();
  return true;
}

bool ReportOptionsDialog::Apply() {
  if (!Read()) return false;
  const report::TfrxReport& r = document_.Report();
  if (SameOptions(*reportOptions_, *r.ReportOptions()) && SameOptions(*engineOptions_, *r.EngineOptions()) &&
      SameOptions(*printOptions_, *r.PrintOptions()) && SameOptions(*previewOptions_, *r.PreviewOptions()))
    return true;
  auto* command = new OptionsCommand(document_.Report());
  command->after.reportOptions->Assign(*reportOptions_);
  command->after.engineOptions->Assign(*engineOptions_);
  command->after.printOptions->Assign(*printOptions_);
  command->after.previewOptions->Assign(*previewOptions_);
  document_.Push(command);
  applied_ = true;
  return true;
}

void ReportOptionsDialog::accept() {
  if (Apply()) QDialog::accept();
}

bool EditReportOptions(DesignerDocument& document, QWidget* parent) {
  ReportOptionsDialog dialog(document, parent);
  return dialog.exec() == QDialog::Accepted && dialog.Applied();
}

}  // namespace valmoro::designer
