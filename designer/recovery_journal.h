#pragma once
// The recovery journal of a document with unsaved changes: after every
// change the document's text is taken (on the window's thread, where the
// model lives) and written by a worker thread to the journal file, through
// a temporary file and a rename, so that a kill at any moment leaves either
// the previous journal or the new one whole. While one write is under way
// further changes only mark the journal stale; the write that follows takes
// the latest text. At most the changes of one write's duration are lost.

#include <QByteArray>
#include <QFuture>
#include <QObject>
#include <QString>
#include <functional>

class QTimer;

namespace valmoro::designer {

class RecoveryJournal : public QObject {
  Q_OBJECT

public:
  // `take` gives the document's current text; `path` is the journal file.
  RecoveryJournal(QString path, std::function<QByteArray()> take, QObject* parent = nullptr);
  ~RecoveryJournal() override;

  const QString& Path() const { return path_; }
  // The document changed: a write is scheduled (soon, not at once, so that
  // a run of changes in one event-loop turn costs one write).
  void Changed();
  // Waits for a write under way and writes what is pending now (tests, and
  // before the designer closes).
  void Flush();
  // Stops writing and removes the journal file.
  void Discard();
  // How long the last taking of the document's text held the window up, in
  // microseconds (the benchmark reports it).
  qint64 LastTakeMicroseconds() const { return lastTake_; }
  // The failure of the last write, empty when it went well. A journal that
  // cannot be written costs no edit: the designer says so in its status bar.
  QString LastError() const;

signals:
  void writeFailed(const QString& message);

private:
  void writeNow();
  void finished();

  QString path_;
  std::function<QByteArray()> take_;
  QTimer* timer_;
  QFuture<QString> running_;
  bool pending_ = false;
  bool discarded_ = false;
  qint64 lastTake_ = 0;
  QString lastError_;
};

}  // namespace valmoro::designer
