#pragma once
// Building blocks: selected objects kept under a name in a library folder,
// to be put into any report later. A block is what the clipboard carries
// (views of one band, or bands with their children), kept in a file of its
// own, so saving copies as the clipboard copies and inserting pastes as the
// clipboard pastes: onto the selected band or as new bands, names made
// unique, one undo step.

#include <QDialog>
#include <QImage>
#include <QString>
#include <QStringList>

class QLabel;
class QListWidget;
class QPushButton;

namespace valmoro::designer {

class DesignerDocument;

// Where blocks are kept: the program's data folder + "/Bloki".
QString BlockLibraryFolder();
// The file of a block.
QString BlockFilePath(const QString& name);
// The blocks of the library, by name in alphabetical order.
QStringList BlockNames();
bool BlockExists(const QString& name);
// Why a name cannot name a block (empty when it can): it must make a file
// name of its own.
QString BlockNameRefusal(const QString& name);

// The selection as block content; a refusal text in `refusal` (and an empty
// result) when there is nothing to keep or it mixes what cannot go
// together.
QString SelectionAsBlock(const DesignerDocument& document, QString* refusal);
// Writes a block (a temporary file renamed over the old one); a refusal
// text, empty when done.
QString WriteBlock(const QString& name, const QString& xml);
// The content of a block; empty with a refusal in `refusal` when it cannot be read.
QString ReadBlock(const QString& name, QString* refusal = nullptr);
QString DeleteBlock(const QString& name);
QString RenameBlock(const QString& from, const QString& to);
// Inserts a block into the document as one undo step; a refusal text,
// empty when done (the inserted objects are then selected).
QString InsertBlock(DesignerDocument& document, const QString& name);
// The block's objects drawn as the designer draws them, at most `width`
// pixels wide; null when it cannot be drawn.
QImage BlockPicture(const QString& xml, int width);

// "Zapisz jako blok…": asks for a name (dialogs::inputText), refuses bad
// names and asks before replacing a block. True when a block was written.
bool SaveSelectionAsBlock(DesignerDocument& document, QWidget* parent);

// "Wstaw blok…": the list of blocks with a picture of the chosen one; the
// buttons insert, rename and delete.
class BlockLibraryDialog : public QDialog {
  Q_OBJECT

public:
  explicit BlockLibraryDialog(DesignerDocument& document, QWidget* parent = nullptr);

  QListWidget* List() const { return list_; }
  QLabel* Picture() const { return picture_; }
  QLabel* MessageLabel() const { return message_; }
  QPushButton* InsertButton() const { return insert_; }
  QPushButton* RenameButton() const { return rename_; }
  QPushButton* DeleteButton() const { return delete_; }
  // Inserts the chosen block and closes on success; a refusal stays shown.
  void InsertChosen();
  // Asks for the new name (dialogs::inputText).
  void RenameChosen();
  // Asks first (dialogs::confirm).
  void DeleteChosen();

private:
  void reload(const QString& select = QString());
  void chosenChanged();
  QString chosen() const;

  DesignerDocument& document_;
  QListWidget* list_;
  QLabel* picture_;
  QLabel* message_;
  QPushButton* insert_;
  QPushButton* rename_;
  QPushButton* delete_;
};

// Runs the dialog; true when a block was inserted.
bool InsertBlockFromLibrary(DesignerDocument& document, QWidget* parent);

}  // namespace valmoro::designer
