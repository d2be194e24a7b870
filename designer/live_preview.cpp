#include "designer/live_preview.h"

#include <QApplication>
#include <QBuffer>
#include <QFutureWatcher>
#include <QLabel>
#include <QMetaProperty>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>
#include <QThread>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>
#include <cmath>
#include <vector>

#include "designer/designer_document.h"
#include "platform/painter_canvas.h"
#include "report/engine/preview_pages.h"
#include "report/model/data_set.h"
#include "report/model/dialog.h"
#include "report/model/report.h"
#include "report/model/report_lists.h"
#include "report/model/report_options.h"
#include "report/model/report_page.h"

namespace valmoro::designer {

using report::TfrxDataSet;
using report::TfrxReport;

namespace {

constexpr double kPixelsPerMm = 3.77953;  // the engine's, as the preview draws
const QString kPreparing = QStringLiteral("Przygotowywanie…");

// The rows of a data set that is not the copy's own, read as a run reads
// them (its range rules applied) on the thread that owns it; the worker
// reads the copy.
class DataSetSnapshot final : public TfrxDataSet {
public:
  DataSetSnapshot(TfrxDataSet& source, int limit) {
    SetName(source.Name());
    if (!source.UserName().trimmed().isEmpty()) SetUserName(source.UserName());
    source.GetFieldList(fields_);
    for (const QString& field : fields_) {
      index_.insert(field.toUpper(), int(info_.size()));
      info_.push_back({source.DisplayWidth(field), source.FieldType(field), source.IsBlobField(field)});
    }
    source.BeginRun();
    struct End {
      TfrxDataSet& set;
      ~End() { set.EndRun(); }
    } end{source};
    source.First();
    while (!source.Eof() && int(rows_.size()) < limit) {
      Row row;
      for (int i = 0; i < fields_.size(); ++i) {
        const QString& field = fields_[i];
        if (info_[i].blob) {
          QBuffer buffer;
          buffer.open(QIODevice::WriteOnly);
          source.CopyBlobTo(field, buffer);
          row.blobs.append(buffer.data());
          row.values.append(QVariant());
          row.texts.append(QString());
        } else {
          row.values.append(source.Value(field));
          row.texts.append(source.DisplayText(field));
          row.blobs.append(QByteArray());
        }
      }
      rows_.push_back(std::move(row));
      source.Next();
    }
    SetRangeBegin(report::rbFirst);
    SetRangeEnd(report::reCount);
    SetRangeEndCount(int(rows_.size()));
  }

  QString DisplayText(const QString& field) override {
    const int i = column(field);
    return i >= 0 && current() ? current()->texts[i] : QString();
  }
  int DisplayWidth(const QString& field) override {
    const int i = column(field);
    return i >= 0 ? info_[i].width : TfrxDataSet::DisplayWidth(field);
  }
  report::TfrxFieldType FieldType(const QString& field) override {
    const int i = column(field);
    return i >= 0 ? info_[i].type : TfrxDataSet::FieldType(field);
  }
  QVariant Value(const QString& field) override {
    const int i = column(field);
    return i >= 0 && current() ? current()->values[i] : QVariant();
  }
  int FieldsCount() override { return int(fields_.size()); }
  bool IsBlobField(const QString& field) override {
    const int i = column(field);
    return i >= 0 && info_[i].blob;
  }
  void CopyBlobTo(const QString& field, QIODevice& target) override {
    const int i = column(field);
    if (i >= 0 && current()) target.write(current()->blobs[i]);
  }
  void CopyBlobTo(const QString& field, QStringList& target) override {
    const int i = column(field);
    target.clear();
    if (i >= 0 && current()) target = QString::fromUtf8(current()->blobs[i]).split(QStringLiteral("\r\n"));
  }
  void GetFieldList(QStringList& list) override { list = fields_; }

private:
  struct Info {
    int width;
    report::TfrxFieldType type;
    bool blob;
  };
  struct Row {
    QVariantList values;
    QStringList texts;
    QList<QByteArray> blobs;
  };
  int column(const QString& field) const { return index_.value(field.toUpper(), -1); }
  const Row* current() const { return recNo_ >= 0 && recNo_ < int(rows_.size()) ? &rows_[size_t(recNo_)] : nullptr; }

  QStringList fields_;
  QHash<QString, int> index_;
  std::vector<Info> info_;
  std::vector<Row> rows_;
};

// Every reference to a data set in the copy: the report's, its list's, and
// those of its pages, bands and views (all published as "DataSet").
std::vector<QObject*> dataSetHolders(TfrxReport& report) {
  std::vector<QObject*> holders{&report};
  for (report::TfrxComponent* object : report.AllObjects()) holders.push_back(object);
  for (int i = 0; i < report.DataSets()->Count(); ++i) holders.push_back(report.DataSets()->Item(i));
  return holders;
}

TfrxDataSet* linkedDataSet(QObject* holder) {
  const int at = holder->metaObject()->indexOfProperty("DataSet");
  if (at < 0) return nullptr;
  return qobject_cast<TfrxDataSet*>(holder->metaObject()->property(at).read(holder).value<QObject*>());
}

void relink(QObject* holder, TfrxDataSet* dataSet) {
  const QMetaProperty property = holder->metaObject()->property(holder->metaObject()->indexOfProperty("DataSet"));
  property.write(holder, QVariant::fromValue(dataSet));
}

// Data sets the copy refers to that it does not own.
QList<TfrxDataSet*> foreignDataSets(TfrxReport& report) {
  QList<TfrxDataSet*> found;
  for (QObject* holder : dataSetHolders(report))
    if (TfrxDataSet* set = linkedDataSet(holder); set && set->Report() != &report && !found.contains(set))
      found.append(set);
  return found;
}

// Why the copy cannot be prepared in a worker: it would open a window.
QString windowsWhilePreparing(const TfrxReport& report) {
  for (report::TfrxComponent* object : report.AllObjects())
    if (qobject_cast<report::TfrxDialogPage*>(object))
      return QStringLiteral("Podgląd na żywo nie pokazuje raportów ze stronami dialogowymi: użyj podglądu (F9).");
  static const QRegularExpression calls(QStringLiteral("\\b(ShowMessage|MessageDlg|InputBox|InputQuery|ShowModal)\\b"),
                                        QRegularExpression::CaseInsensitiveOption);
  if (calls.match(report.ScriptText().join(QLatin1Char('\n'))).hasMatch())
    return QStringLiteral("Podgląd na żywo nie pokazuje raportów, których skrypt otwiera okna: użyj podglądu (F9).");
  return QString();
}

// Runs `step` on the user-interface thread and waits for it; directly when
// this is that thread. False when it did not run (the application is going).
bool onInterfaceThread(const std::function<void()>& step) {
  QCoreApplication* app = QCoreApplication::instance();
  if (app == nullptr) return false;
  if (QThread::currentThread() == app->thread()) {
    step();
    return true;
  }
  bool ran = false;
  // An event dropped unrun (the application is ending) still wakes us.
  QMetaObject::invokeMethod(app, [&] { step(), ran = true; }, Qt::BlockingQueuedConnection);
  return ran;
}

QString failure(const QStringList& errors) {
  QString text = QStringLiteral("Nie udało się przygotować raportu:");
  for (const QString& line : errors) text += QLatin1Char('\n') + QString(line).replace(QLatin1Char('\r'), QLatin1Char(' '));
  return text;
}

}  // namespace

LiveRequest TakeLiveRequest(const DesignerDocument& document, int widthPixels) {
  LiveRequest request;
  request.bytes = document.DocumentBytes();
  const TfrxReport& original = document.Report();
  request.name = original.Name();
  request.iniFile = original.IniFile();
  auto options = std::make_shared<report::TfrxEngineOptions>();
  options->Assign(*original.EngineOptions());
  request.engineOptions = std::move(options);
  request.widthPixels = std::max(16, widthPixels);
  return request;
}

LivePage PrepareLivePage(const LiveRequest& request, const std::shared_ptr<LiveRun>& run) {
  LivePage result;
  // Snapshots go after the copy that refers to them.
  std::vector<std::unique_ptr<DataSetSnapshot>> snapshots;
  TfrxReport copy;
  copy.SetName(request.name);
  copy.SetIniFile(request.iniFile);
  if (request.engineOptions) copy.EngineOptions()->Assign(*request.engineOptions);
  // No boxes from a worker: the errors come back as text.
  copy.EngineOptions()->SetNewSilentMode(report::simSilent);
  copy.SetOldStyleProgress(false);
  copy.SetShowProgress(false);
  // Not asked again for the password of a report the designer has open.
  copy.SetNoPumping(true);
  QBuffer buffer;
  buffer.setData(request.bytes);
  buffer.open(QIODevice::ReadOnly);
  copy.ReadFromStream(buffer);
  if (!copy.Errors().isEmpty()) {
    result.error = failure(copy.Errors());
    return result;
  }
  if (const QString refusal = windowsWhilePreparing(copy); !refusal.isEmpty()) {
    result.error = refusal;
    return result;
  }

  const QList<TfrxDataSet*> foreign = foreignDataSets(copy);
  if (run->prepare || !foreign.isEmpty()) {
    QThread* worker = QThread::currentThread();
    QString error;
    copy.moveToThread(QCoreApplication::instance() ? QCoreApplication::instance()->thread() : worker);
    const bool ran = onInterfaceThread([&] {
      try {
        if (!run->alive || run->cancelled) return;
        if (run->prepare) run->prepare(copy);
        // The hook may have bound more of the program's data sets.
        QHash<TfrxDataSet*, TfrxDataSet*> taken;
        for (TfrxDataSet* set : foreignDataSets(copy)) {
          snapshots.push_back(std::make_unique<DataSetSnapshot>(*set, kLiveSnapshotRows));
          snapshots.back()->moveToThread(worker);
          taken.insert(set, snapshots.back().get());
        }
        for (QObject* holder : dataSetHolders(copy))
          if (TfrxDataSet* set = linkedDataSet(holder); taken.contains(set)) relink(holder, taken.value(set));
      } catch (const std::exception& e) {
        error = QString::fromUtf8(e.what());
      }
      copy.moveToThread(worker);
    });
    if (!ran || !run->alive) {
      result.dropped = true;
      return result;
    }
    if (!error.isEmpty()) {
      result.error = failure({error});
      return result;
    }
  }
  if (run->cancelled) {
    result.dropped = true;
    return result;
  }

  // Only page 1 is wanted: the run stops as the second page begins (in a
  // double pass, in the final pass), or as soon as a newer edit came.
  copy.SetNoPumping(false);
  copy.OnProgress = [run](TfrxReport* sender, TfrxReport::ProgressKind, int page, bool& cancel) {
    if (run->cancelled || (page >= 2 && sender->RunState().finalPass)) cancel = true;
  };
  bool built = false;
  try {
    built = copy.BuildPages(true);
  } catch (const std::exception& e) {
    copy.Errors().append(QString::fromUtf8(e.what()));
  }
  if (run->cancelled) {
    result.dropped = true;
    return result;
  }
  report::TfrxPreviewPages& pages = copy.PreviewPages();
  result.preparedPages = pages.Count();
  if (!copy.Errors().isEmpty() || (!built && !copy.Terminated())) {
    result.error = failure(copy.Errors().isEmpty() ? QStringList{QStringLiteral("raport nie został przygotowany")} : copy.Errors());
    return result;
  }
  report::TfrxReportPage* page = pages.Count() > 0 ? pages.Page(0) : nullptr;
  if (page == nullptr) {
    result.error = QStringLiteral("Raport nie ma żadnej strony do pokazania.");
    return result;
  }
  const double paperWidth = page->PaperWidth() * kPixelsPerMm;
  const double paperHeight = page->PaperHeight() * kPixelsPerMm;
  if (!(paperWidth >= 1 && paperHeight >= 1)) {
    result.error = QStringLiteral("Pierwsza strona ma rozmiar, którego nie da się narysować.");
    return result;
  }
  const double scale = request.widthPixels / paperWidth;
  QImage image(request.widthPixels, std::max(1, int(std::ceil(paperHeight * scale))), QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    gfx::PainterCanvas canvas(image, std::max(1, int(std::lround(96 * scale))));
    pages.DrawPage(0, canvas, scale, scale, 0, 0);
  }
  result.image = std::move(image);
  return result;
}

// --- The widget ---------------------------------------------------------------------------

LivePreview::LivePreview(DesignerDocument& document, QWidget* parent) : QWidget(parent), document_(document) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  message_ = new QLabel(this);
  message_->setObjectName(QStringLiteral("LivePreviewMessage"));
  message_->setWordWrap(true);
  message_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  message_->hide();
  area_ = new QScrollArea(this);
  area_->setObjectName(QStringLiteral("LivePreviewArea"));
  // Always there, so that the page's width does not change when it comes.
  area_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  area_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  area_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  page_ = new QLabel;
  page_->setObjectName(QStringLiteral("LivePreviewPage"));
  area_->setWidget(page_);
  layout->addWidget(message_);
  layout->addWidget(area_, 1);

  debounce_.setSingleShot(true);
  debounce_.setInterval(kDebounceMs);
  connect(&debounce_, &QTimer::timeout, this, [this] { start(); });
  connect(&document_, &DesignerDocument::changed, this, [this] { schedule(); });
  connect(&document_, &DesignerDocument::documentReplaced, this, [this] { schedule(); });
}

LivePreview::~LivePreview() {
  if (running_) {
    running_->alive = false;
    running_->cancelled = true;
  }
}

QString LivePreview::Message() const {
  if (running_) return kPreparing;
  return error_;
}

void LivePreview::Refresh() {
  debounce_.stop();
  start();
}

void LivePreview::schedule() {
  if (!isVisible()) {
    stale_ = true;
    return;
  }
  if (running_) running_->cancelled = true;  // its page is out of date already
  debounce_.start();
}

int LivePreview::pageWidth() const {
  const int scrollBar = area_->verticalScrollBar()->sizeHint().width();
  return std::max(64, area_->width() - scrollBar - 2 * area_->frameWidth());
}

void LivePreview::start() {
  stale_ = false;
  if (running_) {
    running_->cancelled = true;
    pending_ = true;
    return;
  }
  const qreal ratio = devicePixelRatioF();
  LiveRequest request = TakeLiveRequest(document_, int(pageWidth() * ratio));
  auto run = std::make_shared<LiveRun>();
  run->prepare = prepare_;
  running_ = run;
  message_->setText(kPreparing);
  message_->show();
  auto* watcher = new QFutureWatcher<LivePage>(this);
  connect(watcher, &QFutureWatcher<LivePage>::finished, this, [this, watcher] {
    watcher->deleteLater();
    finished(watcher->result());
  });
  watcher->setFuture(QtConcurrent::run([request = std::move(request), run] {
    try {
      return PrepareLivePage(request, run);
    } catch (const std::exception& e) {
      LivePage page;
      page.error = failure({QString::fromUtf8(e.what())});
      return page;
    }
  }));
}

void LivePreview::finished(const LivePage& page) {
  const bool superseded = page.dropped || running_->cancelled;
  running_.reset();
  if (!superseded) {
    error_ = page.error;
    image_ = page.error.isEmpty() ? page.image : QImage();
    if (!image_.isNull()) image_.setDevicePixelRatio(devicePixelRatioF());
    drawnWidth_ = image_.isNull() ? 0 : int(image_.width() / image_.devicePixelRatio());
    showImage();
    ++shown_;
  }
  message_->setText(error_);
  message_->setVisible(!error_.isEmpty());
  if (pending_) {
    pending_ = false;
    start();
  } else if (!superseded) {
    emit refreshed();
  }
}

void LivePreview::showImage() {
  if (image_.isNull()) {
    page_->clear();
    page_->resize(0, 0);
    return;
  }
  // Until the page is drawn again at the new width, the last one is scaled.
  const int width = pageWidth();
  QPixmap pixmap = QPixmap::fromImage(image_);
  if (width != drawnWidth_) {
    pixmap = pixmap.scaledToWidth(int(width * devicePixelRatioF()), Qt::SmoothTransformation);
    pixmap.setDevicePixelRatio(devicePixelRatioF());
  }
  page_->setPixmap(pixmap);
  page_->resize(pixmap.deviceIndependentSize().toSize());
}

void LivePreview::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (image_.isNull()) return;
  showImage();
  if (drawnWidth_ != pageWidth()) schedule();
}

void LivePreview::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (stale_ || (shown_ == 0 && !running_)) schedule();
}

}  // namespace valmoro::designer
