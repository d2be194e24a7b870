#pragma once
// The options dialog every filter shows before exporting: the page range
// group the filters share and a list of the filter's own choices (check
// boxes and read-only lists). It goes through the program's dialog modes: a
// real window on the desktop, recorded in tests, accepted as it stands in
// command-line runs.

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace valmoro::exports {

class ExportOptionsForm {
public:
  enum class PageChoice { All, Current, Pages };
  struct Option {
    QString key;
    QString caption;
    bool isList = false;
    bool checked = false;  // check box
    QStringList items;     // list
    int index = 0;
    bool visible = true;
  };

  QString caption;
  PageChoice pageChoice = PageChoice::All;
  QString pageNumbers;
  QList<Option> options;

  void addCheck(const QString& key, const QString& caption, bool checked);
  void addList(const QString& key, const QString& caption, const QStringList& items, int index);
  Option* find(const QString& key);
  const Option* find(const QString& key) const;
  bool checked(const QString& key) const;
  int index(const QString& key) const;
  void setChecked(const QString& key, bool value);
  void setIndex(const QString& key, int value);
  void hide(const QString& key);
};

// Texts of the page range group and the buttons.
QString pageRangeCaption();

// Shows the form; true on OK with the form changed to what was chosen.
// Recording mode records the caption and applies the next queued answer (a
// queued nullopt cancels; with none queued the form is accepted as it is).
bool runExportOptionsForm(ExportOptionsForm& form);
void queueExportOptionsAnswer(std::optional<std::function<void(ExportOptionsForm&)>> answer);

// The page-number field takes only digits, commas and hyphens.
bool isPageNumberText(const QString& text);

}  // namespace valmoro::exports
