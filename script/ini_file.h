#pragma once
// INI files for scripts: sections of "name=value" lines. Section and key
// names compare without regard to case; the order of sections and keys and
// any line without "=" (comments) are kept, so a file read and written back
// changes only what was set. Files are UTF-8 (a byte-order mark is skipped).
//
// TCustomIniFile holds the text; TMemIniFile writes the file only on
// UpdateFile, TIniFile after every change, as scripts expect of the two.

#include <QObject>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace valmoro::script {

class TCustomIniFile : public QObject {
  Q_OBJECT
  Q_PROPERTY(QString FileName READ fileName)

public:
  explicit TCustomIniFile(const QString& fileName, QObject* parent = nullptr);

  QString fileName() const { return fileName_; }

  std::optional<QString> value(const QString& section, const QString& key) const;
  void setValue(const QString& section, const QString& key, const QString& value);
  bool sectionExists(const QString& section) const;
  bool valueExists(const QString& section, const QString& key) const;
  void deleteKey(const QString& section, const QString& key);
  void eraseSection(const QString& section);
  void clear();
  QStringList sectionNames() const;
  // The keys of a section (lines with "="), in order.
  QStringList keys(const QString& section) const;

  // The whole file as text (CR LF line ends) and back. ReplaceText is
  // setText as a change (TIniFile writes it at once).
  QString text() const;
  void setText(const QString& text);
  void replaceText(const QString& text);

  // A whole list of lines kept in a section of its own:
  //   [Section]
  //   Count=3
  //   Item1=first line
  //   Item2="  kept blanks\tand a tab  "
  //   Item3=
  // Count says how many ItemN keys (numbered from 1) belong to the list; a
  // missing ItemN before the last one present is an empty line. A line that would not come back as it
  // was (blanks at either end, a leading double quote, control characters)
  // is written in double quotes with backslash escapes (\\ \" \r \n \t and
  // \xHH). Writing replaces the section. A section without a usable Count
  // (written by hand) reads as all its values, in order.
  QStringList readStrings(const QString& section) const;
  void writeStrings(const QString& section, const QStringList& lines);
  // Writes the file; raises a script error when it cannot.
  void updateFile();

protected:
  // Called after every change.
  virtual void changed() {}

private:
  struct Line {
    QString key;  // empty for a line without "="
    QString value;
    QString raw;  // the line itself when it has no "="
  };
  struct Section {
    QString name;
    std::vector<Line> lines;
  };
  Section* find(const QString& section);
  const Section* find(const QString& section) const;
  void load();

  QString fileName_;
  std::vector<Line> preamble_;  // lines before the first section
  std::vector<Section> sections_;
};

class TMemIniFile : public TCustomIniFile {
  Q_OBJECT
public:
  explicit TMemIniFile(const QString& fileName, QObject* parent = nullptr) : TCustomIniFile(fileName, parent) {}
};

class TIniFile : public TCustomIniFile {
  Q_OBJECT
public:
  explicit TIniFile(const QString& fileName, QObject* parent = nullptr) : TCustomIniFile(fileName, parent) {}

protected:
  void changed() override { updateFile(); }
};

}  // namespace valmoro::script
