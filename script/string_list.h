#pragma once
// String lists for scripts (TStrings, TStringList): lines with an optional
// object each, "name=value" access, comma text, sorting by the regional
// collation without regard to case, and files (UTF-8, CR LF).

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <vector>

#include "host_persistent.h"

namespace valmoro::script {

class TStrings : public TPersistent {
  Q_OBJECT

public:
  explicit TStrings(QObject* parent = nullptr) : TPersistent(parent) {}

  int count() const { return int(items_.size()); }
  // Index checks raise EStringListError.
  QString at(int index) const;
  void put(int index, const QString& text);
  QObject* objectAt(int index) const;
  void putObject(int index, QObject* object);
  virtual int add(const QString& text, QObject* object = nullptr);
  virtual void insert(int index, const QString& text, QObject* object = nullptr);
  void remove(int index);
  void clear();
  void move(int from, int to);
  virtual int indexOf(const QString& text) const;
  int indexOfName(const QString& name) const;
  int indexOfObject(const QObject* object) const;
  QString nameAt(int index) const;
  QString value(const QString& name) const;
  // An empty value removes the line.
  void setValue(const QString& name, const QString& value);

  // Each line followed by CR LF.
  QString text() const;
  virtual void setText(const QString& text);
  // Lines separated by commas, quoted when they hold blanks, commas or quotes.
  QString commaText() const;
  void setCommaText(const QString& text);
  void loadFromFile(const QString& fileName);
  void saveToFile(const QString& fileName) const;
  // The text as UTF-8 bytes, and back (a leading byte-order mark is dropped).
  QByteArray toBytes() const;
  void setBytes(const QByteArray& bytes);
  // Appends the lines (with their objects) of another list.
  void addStrings(const TStrings& other);
  // Copies lines and objects of another string list.
  bool AssignFrom(QObject* source) override;

protected:
  struct Item {
    QString text;
    QPointer<QObject> object;
  };
  void checkIndex(int index, int size) const;

  // Called after the lines changed. A list that stands for something else
  // (the lines of a report's text view) writes itself back there.
  virtual void Changed() {}
  // Every change reports itself through changed(); inside an UpdateScope
  // the changes of a bulk operation report once, when it ends.
  void changed();
  class UpdateScope {
  public:
    explicit UpdateScope(TStrings& list) : list_(list) { ++list_.updating_; }
    ~UpdateScope();
    UpdateScope(const UpdateScope&) = delete;
    UpdateScope& operator=(const UpdateScope&) = delete;

  private:
    TStrings& list_;
  };

  std::vector<Item> items_;

private:
  int updating_ = 0;
  bool pendingChange_ = false;
};

class TStringList : public TStrings {
  Q_OBJECT

public:
  enum Duplicates { dupIgnore, dupAccept, dupError };
  Q_INVOKABLE explicit TStringList(QObject* parent = nullptr) : TStrings(parent) {}

  bool sorted() const { return sorted_; }
  void setSorted(bool sorted);
  int duplicates() const { return duplicates_; }
  void setDuplicates(int duplicates) { duplicates_ = duplicates; }
  void sort();
  // Binary search of a sorted list: whether the text is there, and where it
  // is or would go.
  bool find(const QString& text, int* index) const;

  int add(const QString& text, QObject* object = nullptr) override;
  void insert(int index, const QString& text, QObject* object = nullptr) override;
  int indexOf(const QString& text) const override;
  void setText(const QString& text) override;

private:
  bool sorted_ = false;
  int duplicates_ = dupIgnore;
};

// The regional comparison without regard to case (−1, 0, 1).
int CompareTextRegional(const QString& a, const QString& b);

}  // namespace valmoro::script
