#include "designer/recovery_journal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QSaveFile>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

#include "platform/file_errors.h"
#include "report/model/component.h"
#include "report/model/report.h"
#include "report/model/report_xml.h"
#include "report/model/serializer.h"

namespace valmoro::designer {

namespace {

// Runs on the worker: the whole text to a temporary file, then renamed over
// the journal (QSaveFile), so a half-written journal never exists.
QString writeJournal(const QString& path, const std::shared_ptr<report::TfrxXMLDocument>& document) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return files::ioErrorText(file, path);
  try {
    document->SaveToStream(file);
  } catch (const std::exception&) {
    const QString reason = files::ioErrorText(file, path);
    file.cancelWriting();
    return reason;
  }
  if (!files::commitFile(file)) return files::ioErrorText(file, path);
  return QString();
}

}  // namespace

// A taking under way: the element tree so far and the objects still to
// take, each with the element its own goes under. The tree is the one the
// document writer builds (the same serializer, the same order), so the
// journal reads back as the document would.
struct RecoveryJournal::Taking {
  explicit Taking(const report::TfrxReport& report)
      : serializer(const_cast<report::TfrxReport*>(&report)), document(std::make_unique<report::TfrxXMLDocument>()) {
    serializer.WriteObject(report, *document->Root(), false, true);
    pushChildren(report, document->Root());
  }
  void pushChildren(const report::TfrxComponent& object, report::TfrxXMLItem* item) {
    const auto& children = object.Objects();
    for (auto it = children.rbegin(); it != children.rend(); ++it) todo.push_back({*it, item});
  }
  report::TfrxXMLSerializer serializer;
  std::unique_ptr<report::TfrxXMLDocument> document;
  std::vector<std::pair<const report::TfrxComponent*, report::TfrxXMLItem*>> todo;
};

RecoveryJournal::RecoveryJournal(QString path, const report::TfrxReport& report, QObject* parent)
    : QObject(parent), path_(std::move(path)), report_(report), timer_(new QTimer(this)), sliceTimer_(new QTimer(this)) {
  timer_->setSingleShot(true);
  // A short delay gathers the announcements of one edit (a move of many
  // objects is many of them) into one taking.
  timer_->setInterval(200);
  connect(timer_, &QTimer::timeout, this, &RecoveryJournal::startTaking);
  sliceTimer_->setSingleShot(true);
  sliceTimer_->setInterval(0);
  connect(sliceTimer_, &QTimer::timeout, this, &RecoveryJournal::slice);
}

RecoveryJournal::~RecoveryJournal() { running_.waitForFinished(); }

void RecoveryJournal::Changed() {
  discarded_ = false;
  if (!pending_) staleSince_.start();
  pending_ = true;
  // What was taken so far no longer is the document.
  taking_.reset();
  sliceTimer_->stop();
  if (staleSince_.elapsed() > kStaleLimitMilliseconds) {
    // Edits without a pause long enough for a sliced taking: taken at once.
    startTaking();
    return;
  }
  timer_->start();
}

void RecoveryJournal::startTaking() {
  if (!pending_ || discarded_) return;
  if (staleSince_.elapsed() > kStaleLimitMilliseconds) {
    pending_ = false;
    write(takeWhole());
    return;
  }
  // The report's own element is a slice of its own.
  QElapsedTimer clock;
  clock.start();
  taking_ = std::make_unique<Taking>(report_);
  lastTake_ = clock.nsecsElapsed() / 1000;
  sliceTimer_->start();
}

std::unique_ptr<report::TfrxXMLDocument> RecoveryJournal::takeWhole() {
  QElapsedTimer clock;
  clock.start();
  taking_ = std::make_unique<Taking>(report_);
  takeSome(0);
  lastTake_ = clock.nsecsElapsed() / 1000;
  std::unique_ptr<report::TfrxXMLDocument> document = std::move(taking_->document);
  taking_.reset();
  return document;
}

bool RecoveryJournal::takeSome(qint64 budgetNs) {
  QElapsedTimer clock;
  clock.start();
  Taking& t = *taking_;
  while (!t.todo.empty()) {
    // Checked every few objects: the clock costs more than one object.
    for (int i = 0; i < 16 && !t.todo.empty(); ++i) {
      const auto [object, parentItem] = t.todo.back();
      t.todo.pop_back();
      report::TfrxXMLItem* item = parentItem->Add();
      t.serializer.WriteObject(*object, *item, false, false);
      t.pushChildren(*object, item);
    }
    if (budgetNs > 0 && clock.nsecsElapsed() >= budgetNs) return t.todo.empty();
  }
  return true;
}

void RecoveryJournal::slice() {
  if (!taking_) return;
  QElapsedTimer clock;
  clock.start();
  const bool done = takeSome(qint64(kSliceMilliseconds) * 1000000);
  lastTake_ = std::max(lastTake_, clock.nsecsElapsed() / 1000);
  if (!done) {
    sliceTimer_->start();
    return;
  }
  pending_ = false;
  std::unique_ptr<report::TfrxXMLDocument> document = std::move(taking_->document);
  taking_.reset();
  write(std::move(document));
}

void RecoveryJournal::write(std::unique_ptr<report::TfrxXMLDocument> document) {
  if (running_.isRunning()) {
    // The newer one replaces one still waiting: finished() writes it.
    queued_ = std::move(document);
    return;
  }
  std::shared_ptr<report::TfrxXMLDocument> shared(std::move(document));
  running_ = QtConcurrent::run(writeJournal, path_, shared);
  auto* watcher = new QFutureWatcher<QString>(this);
  connect(watcher, &QFutureWatcher<QString>::finished, this, [this, watcher] {
    watcher->deleteLater();
    finished();
  });
  watcher->setFuture(running_);
}

void RecoveryJournal::finished() {
  const QString error = running_.isValid() ? running_.result() : QString();
  if (discarded_) {
    // Discarded while it was being written: what it wrote goes too.
    QFile::remove(path_);
    queued_.reset();
    return;
  }
  if (error != lastError_) {
    lastError_ = error;
    if (!error.isEmpty())
      emit writeFailed(QStringLiteral("Nie można zapisać kopii odzyskiwania %1: %2").arg(path_, error));
  }
  if (queued_) write(std::move(queued_));
}

void RecoveryJournal::Flush() {
  timer_->stop();
  sliceTimer_->stop();
  running_.waitForFinished();
  if (running_.isValid() && running_.isFinished()) lastError_ = running_.result();
  if (queued_) {
    std::shared_ptr<report::TfrxXMLDocument> shared(std::move(queued_));
    lastError_ = writeJournal(path_, shared);
  }
  if (!pending_ || discarded_) return;
  pending_ = false;
  lastError_ = writeJournal(path_, std::shared_ptr<report::TfrxXMLDocument>(takeWhole()));
}

void RecoveryJournal::Discard() {
  discarded_ = true;
  pending_ = false;
  taking_.reset();
  queued_.reset();
  timer_->stop();
  sliceTimer_->stop();
  running_.waitForFinished();
  QFile::remove(path_);
}

QString RecoveryJournal::LastError() const { return lastError_; }

}  // namespace valmoro::designer
