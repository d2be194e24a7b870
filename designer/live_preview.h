#pragma once
// The live preview: the first prepared page of the report being designed,
// drawn again in the background shortly after every edit.
//
// A refresh takes the document's bytes on the user-interface thread and
// does the rest in a worker thread: it loads a copy of the report, prepares
// it until the second page begins, draws page 1 into an image and frees the
// copy, all in that one thread. Two things of the program cannot go there:
// the preparation hook the designer's preview runs (the program's code,
// written for the user-interface thread) and data sets that are not the
// copy's own (the program's log over its database connection, which Qt ties
// to the thread that opened it, and whose cursor the main window's grid
// shares). For those the worker hands the copy to the user-interface thread
// for one short step: the hook runs, and every such data set is copied row
// by row into a snapshot that the worker then reads instead.
//
// Reports that open windows while they are prepared (dialog pages, script
// message boxes and input boxes) are not prepared here: a window must not
// be opened from a worker. The dock says so and the full preview shows them.

#include <QImage>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <functional>
#include <memory>

class QLabel;
class QScrollArea;

namespace valmoro::report {
class TfrxEngineOptions;
class TfrxReport;
}

namespace valmoro::designer {

class DesignerDocument;

// What the preview shows: page 1 drawn at a width, or why there is none.
struct LivePage {
  QImage image;
  QString error;          // Polish, one or more lines; empty with an image
  int preparedPages = 0;  // pages the run made before it stopped
  bool dropped = false;   // superseded by a newer edit: nothing to show
};

// Rows a snapshot of a program's data set takes at most: the first page
// needs only what fits on it, and copying a year of readings after every
// edit would cost more than preparing the page. Figures over the whole data
// set (totals, the page count) then cover these rows only.
inline constexpr int kLiveSnapshotRows = 2000;

// What a refresh takes from the document on the user-interface thread.
struct LiveRequest {
  QByteArray bytes;      // DesignerDocument::DocumentBytes()
  QString name;          // the report's settings a document does not hold
  QString iniFile;
  std::shared_ptr<const report::TfrxEngineOptions> engineOptions;
  int widthPixels = 600;  // the width page 1 is drawn at
};
LiveRequest TakeLiveRequest(const DesignerDocument& document, int widthPixels);

// Shared by a running preparation and the preview that started it, so
// that the preview may go away while the worker still runs.
struct LiveRun {
  // The hook of the designer's preview (binds the program's data sets).
  std::function<void(report::TfrxReport&)> prepare;
  std::atomic<bool> cancelled{false};
  // Cleared on the user-interface thread when the preview goes: the hook
  // (which may point into the window) is not called after that.
  bool alive = true;
};

// Prepares the request's report up to its first page and draws it. Runs in
// any thread; the hook and the snapshots of foreign data sets run on the
// user-interface thread (called directly when this is that thread).
LivePage PrepareLivePage(const LiveRequest& request, const std::shared_ptr<LiveRun>& run);

// The dock's content: page 1 at the dock's width, with a line saying
// "Przygotowywanie…" while a refresh runs and the error when it failed.
class LivePreview : public QWidget {
  Q_OBJECT

public:
  // Edits are gathered this long before a refresh starts.
  static constexpr int kDebounceMs = 150;

  explicit LivePreview(DesignerDocument& document, QWidget* parent = nullptr);
  ~LivePreview() override;

  // The hook of the designer's preview; asked at every refresh.
  void SetPreparation(std::function<void(report::TfrxReport&)> prepare) { prepare_ = std::move(prepare); }
  // Starts a refresh now (a running one is superseded).
  void Refresh();

  // The page last shown (null before the first and after a failure).
  QImage Image() const { return image_; }
  // The line above the page: "Przygotowywanie…", the error, or empty.
  QString Message() const;
  bool Busy() const { return running_ != nullptr; }
  // Refreshes shown so far (a dropped one does not count).
  int ShownCount() const { return shown_; }

signals:
  // A refresh ended with a page or an error on show.
  void refreshed();

protected:
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;

private:
  void schedule();
  void start();
  void finished(const LivePage& page);
  int pageWidth() const;
  void showImage();

  DesignerDocument& document_;
  std::function<void(report::TfrxReport&)> prepare_;
  QTimer debounce_;
  QLabel* message_;
  QScrollArea* area_;
  QLabel* page_;
  QImage image_;
  QString error_;
  std::shared_ptr<LiveRun> running_;
  bool pending_ = false;  // an edit came while a refresh ran
  bool stale_ = false;    // an edit came while hidden
  int shown_ = 0;
  int drawnWidth_ = 0;
};

}  // namespace valmoro::designer
