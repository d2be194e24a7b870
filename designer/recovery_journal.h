#pragma once
// The recovery journal of a document with unsaved changes. After a change
// the document is taken object by object, in slices of a few milliseconds
// between which the window goes on (the model lives on the window's
// thread); a change while it is being taken starts the taking again. The
// finished element tree goes to a worker thread, which writes the text to
// a temporary file and renames it over the journal, so that a kill at any
// moment leaves either the previous journal or the new one whole.
//
// What is lost after a kill: the changes made since the last journal was
// written, at most the time of one taking and writing. Edits that never
// pause long enough for a whole taking are caught by taking at once when
// the journal has been stale for longer than a limit.

#include <QByteArray>
#include <QElapsedTimer>
#include <QFuture>
#include <QObject>
#include <QString>
#include <memory>
#include <vector>

class QTimer;

namespace valmoro::report {
class TfrxComponent;
class TfrxReport;
class TfrxXMLDocument;
class TfrxXMLItem;
class TfrxXMLSerializer;
}  // namespace valmoro::report

namespace valmoro::designer {

class RecoveryJournal : public QObject {
  Q_OBJECT

public:
  RecoveryJournal(QString path, const report::TfrxReport& report, QObject* parent = nullptr);
  ~RecoveryJournal() override;

  const QString& Path() const { return path_; }
  // The document changed: a taking already under way starts again, and a
  // new one is scheduled.
  void Changed();
  // Takes and writes what is pending now, at once (tests, and a designer
  // about to be ended).
  void Flush();
  // Stops writing and removes the journal file.
  void Discard();
  // The longest the window was held up by one slice of the last taking, in
  // microseconds (the benchmark reports it).
  qint64 LastTakeMicroseconds() const { return lastTake_; }
  // The failure of the last write, empty when it went well. A journal that
  // cannot be written costs no edit: the designer says so in its status bar.
  QString LastError() const;

  // How long one slice of taking may hold the window (milliseconds), and
  // how long the journal may stay stale before it is taken in one go.
  static constexpr int kSliceMilliseconds = 4;
  static constexpr int kStaleLimitMilliseconds = 25000;

signals:
  void writeFailed(const QString& message);

private:
  struct Taking;
  void startTaking();
  // The whole document taken at once (flushing, a journal stale too long).
  std::unique_ptr<report::TfrxXMLDocument> takeWhole();
  // Takes objects for at most `budgetNs` (none: to the end); true when done.
  bool takeSome(qint64 budgetNs);
  void slice();
  void write(std::unique_ptr<report::TfrxXMLDocument> document);
  void finished();

  QString path_;
  const report::TfrxReport& report_;
  QTimer* timer_;
  QTimer* sliceTimer_;
  std::unique_ptr<Taking> taking_;
  QFuture<QString> running_;
  std::unique_ptr<report::TfrxXMLDocument> queued_;  // taken while a write was under way
  bool pending_ = false;
  bool discarded_ = false;
  QElapsedTimer staleSince_;
  qint64 lastTake_ = 0;
  QString lastError_;
};

}  // namespace valmoro::designer
