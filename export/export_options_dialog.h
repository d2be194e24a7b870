#pragma once
// The options dialog every filter shows before exporting: the page range
// group the filters share and the filter's own choices (check boxes,
// read-only lists, text and password fields), optionally spread over tabs
// and titled groups. It goes through the program's dialog modes: a
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
    bool isText = false;
    bool masked = false;  // a password field
    QString text;
    QString tab;    // empty: the first (or only) page
    QString group;  // empty: the shared "export settings" group
    bool visible = true;
    bool enabled = true;
  };

  QString caption;
  PageChoice pageChoice = PageChoice::All;
  QString pageNumbers;
  QList<Option> options;
  // Options added after these calls go on that tab / into that group.
  QString currentTab;
  QString currentGroup;

  void beginTab(const QString& caption);
  void beginGroup(const QString& caption);

  void addCheck(const QString& key, const QString& caption, bool checked);
  void addList(const QString& key, const QString& caption, const QStringList& items, int index);
  void addText(const QString& key, const QString& caption, const QString& text);
  void addPassword(const QString& key, const QString& caption, const QString& text);
  Option* find(const QString& key);
  const Option* find(const QString& key) const;
  bool checked(const QString& key) const;
  int index(const QString& key) const;
  QString text(const QString& key) const;
  void setChecked(const QString& key, bool value);
  void setText(const QString& key, const QString& value);
  void setIndex(const QString& key, int value);
  void hide(const QString& key);
  // Shown greyed out: the choice cannot be made here.
  void disable(const QString& key);
  // The tabs in the order of their first option.
  QStringList tabs() const;

private:
  void append(Option option);
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
