#include "designer/recovery_journal.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QSaveFile>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

#include "platform/file_errors.h"

namespace valmoro::designer {

namespace {

// Runs on the worker: the whole text to a temporary file, then renamed over
// the journal (QSaveFile), so a half-written journal never exists.
QString writeJournal(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return files::ioErrorText(file, path);
  if (file.write(bytes) != bytes.size()) {
    const QString reason = files::ioErrorText(file, path);
    file.cancelWriting();
    return reason;
  }
  if (!files::commitFile(file)) return files::ioErrorText(file, path);
  return QString();
}

}  // namespace

RecoveryJournal::RecoveryJournal(QString path, std::function<QByteArray()> take, QObject* parent)
    : QObject(parent), path_(std::move(path)), take_(std::move(take)), timer_(new QTimer(this)) {
  timer_->setSingleShot(true);
  // A short delay gathers the announcements of one edit (a move of many
  // objects is many of them) into one write.
  timer_->setInterval(200);
  connect(timer_, &QTimer::timeout, this, &RecoveryJournal::writeNow);
}

RecoveryJournal::~RecoveryJournal() { running_.waitForFinished(); }

void RecoveryJournal::Changed() {
  if (discarded_) discarded_ = false;
  pending_ = true;
  if (!running_.isRunning() && !timer_->isActive()) timer_->start();
}

void RecoveryJournal::writeNow() {
  if (!pending_ || discarded_) return;
  if (running_.isRunning()) return;  // finished() comes back for it
  pending_ = false;
  QElapsedTimer clock;
  clock.start();
  QByteArray bytes = take_();
  lastTake_ = clock.nsecsElapsed() / 1000;
  running_ = QtConcurrent::run(writeJournal, path_, std::move(bytes));
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
    return;
  }
  if (error != lastError_) {
    lastError_ = error;
    if (!error.isEmpty())
      emit writeFailed(QStringLiteral("Nie można zapisać kopii odzyskiwania %1: %2").arg(path_, error));
  }
  if (pending_) timer_->start();
}

void RecoveryJournal::Flush() {
  timer_->stop();
  running_.waitForFinished();
  if (running_.isValid() && running_.isFinished()) lastError_ = running_.result();
  if (!pending_ || discarded_) return;
  pending_ = false;
  QElapsedTimer clock;
  clock.start();
  const QByteArray bytes = take_();
  lastTake_ = clock.nsecsElapsed() / 1000;
  lastError_ = writeJournal(path_, bytes);
}

void RecoveryJournal::Discard() {
  discarded_ = true;
  pending_ = false;
  timer_->stop();
  running_.waitForFinished();
  QFile::remove(path_);
}

QString RecoveryJournal::LastError() const { return lastError_; }

}  // namespace valmoro::designer
