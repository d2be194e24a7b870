#include "designer/building_blocks.h"

#include <QCollator>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSaveFile>
#include <QStandardPaths>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "designer/clipboard.h"
#include "designer/designer_document.h"
#include "designer/workspace.h"
#include "platform/dialogs.h"
#include "platform/file_errors.h"
#include "platform/painter_canvas.h"
#include "report/model/band.h"
#include "report/model/edit/commands.h"
#include "report/model/page.h"
#include "report/model/report.h"

namespace valmoro::designer {

using report::TfrxBand;
using report::TfrxComponent;

namespace {

const QString kExtension = QStringLiteral(".xml");
constexpr int kMaxNameLength = 100;

bool isBand(const TfrxComponent* object) { return qobject_cast<const TfrxBand*>(object) != nullptr; }

const TfrxComponent* bandOf(const TfrxComponent* object) {
  for (const TfrxComponent* up = object->Parent(); up != nullptr; up = up->Parent())
    if (isBand(up) || qobject_cast<const report::TfrxPage*>(up)) return up;
  return nullptr;
}

bool insideSelected(const DesignerDocument& document, const TfrxComponent* object) {
  for (const TfrxComponent* up = object->Parent(); up != nullptr; up = up->Parent())
    if (document.IsSelected(up)) return true;
  return false;
}

}  // namespace

QString BlockLibraryFolder() {
  return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/Bloki");
}

QString BlockFilePath(const QString& name) { return BlockLibraryFolder() + QLatin1Char('/') + name + kExtension; }

QStringList BlockNames() {
  QStringList names;
  const QFileInfoList files =
      QDir(BlockLibraryFolder()).entryInfoList({QStringLiteral("*") + kExtension}, QDir::Files | QDir::Readable);
  for (const QFileInfo& file : files) names.append(file.completeBaseName());
  QCollator collator{QLocale(QLocale::Polish, QLocale::Poland)};
  collator.setCaseSensitivity(Qt::CaseInsensitive);
  std::sort(names.begin(), names.end(), [&](const QString& a, const QString& b) { return collator.compare(a, b) < 0; });
  return names;
}

bool BlockExists(const QString& name) { return QFileInfo::exists(BlockFilePath(name)); }

QString BlockNameRefusal(const QString& name) {
  const QString trimmed = name.trimmed();
  if (trimmed.isEmpty()) return QStringLiteral("Podaj nazwę bloku.");
  if (trimmed != name) return QStringLiteral("Nazwa bloku nie może zaczynać się ani kończyć spacją.");
  if (name.size() > kMaxNameLength)
    return QStringLiteral("Nazwa bloku może mieć najwyżej %1 znaków.").arg(kMaxNameLength);
  if (name == QLatin1String(".") || name == QLatin1String("..") || name.endsWith(QLatin1Char('.')))
    return QStringLiteral("Nazwa bloku nie może kończyć się kropką.");
  static const QString forbidden = QStringLiteral("/\\:*?\"<>|");
  for (const QChar c : name)
    if (forbidden.contains(c) || c.category() == QChar::Other_Control)
      return QStringLiteral("Nazwa bloku nie może zawierać znaków / \\ : * ? \" < > | ani znaków sterujących.");
  return QString();
}

QString SelectionAsBlock(const DesignerDocument& document, QString* refusal) {
  auto refuse = [refusal](const QString& text) {
    if (refusal) *refusal = text;
    return QString();
  };
  QList<const TfrxComponent*> outer;
  for (const TfrxComponent* object : document.Selection())
    if (!insideSelected(document, object)) outer.append(object);
  if (outer.isEmpty()) return refuse(QStringLiteral("Zaznacz obiekty, które mają stanowić blok."));
  int bands = 0;
  for (const TfrxComponent* object : outer) {
    if (qobject_cast<const report::TfrxPage*>(object) || object == &document.Report())
      return refuse(QStringLiteral("Blokiem mogą być obiekty jednej wstęgi albo wstęgi, nie całe strony."));
    if (isBand(object)) ++bands;
  }
  if (bands != 0 && bands != outer.size())
    return refuse(QStringLiteral("Blokiem mogą być obiekty jednej wstęgi albo całe wstęgi, nie jedno i drugie naraz."));
  if (bands == 0) {
    const TfrxComponent* band = bandOf(outer.first());
    for (const TfrxComponent* object : outer)
      if (bandOf(object) != band) return refuse(QStringLiteral("Obiekty bloku muszą leżeć na jednej wstędze."));
  }
  if (refusal) refusal->clear();
  return report::edit::CopyAsXml(document.Report(), document.SelectedNames());
}

QString WriteBlock(const QString& name, const QString& xml) {
  if (const QString refusal = BlockNameRefusal(name); !refusal.isEmpty()) return refusal;
  if (!QDir().mkpath(BlockLibraryFolder()))
    return QStringLiteral("Nie można utworzyć folderu bloków %1.").arg(dialogs::shortPath(BlockLibraryFolder()));
  // Written beside the block and renamed over it: a full disk never leaves
  // half a block in the library.
  QSaveFile file(BlockFilePath(name));
  if (!file.open(QIODevice::WriteOnly) || file.write(xml.toUtf8()) < 0 || !files::commitFile(file))
    return QStringLiteral("Nie zapisano bloku „%1”: %2").arg(name, files::ioErrorText(file, BlockFilePath(name)));
  return QString();
}

QString ReadBlock(const QString& name, QString* refusal) {
  QFile file(BlockFilePath(name));
  if (!file.open(QIODevice::ReadOnly)) {
    if (refusal) *refusal = QStringLiteral("Nie można odczytać bloku „%1”: %2").arg(name, files::ioErrorText(file, file.fileName()));
    return QString();
  }
  if (refusal) refusal->clear();
  return QString::fromUtf8(file.readAll());
}

QString DeleteBlock(const QString& name) {
  QFile file(BlockFilePath(name));
  if (!file.exists()) return QStringLiteral("Nie ma bloku „%1”.").arg(name);
  if (!file.remove()) return QStringLiteral("Nie usunięto bloku „%1”: %2").arg(name, files::ioErrorText(file, file.fileName()));
  return QString();
}

QString RenameBlock(const QString& from, const QString& to) {
  if (const QString refusal = BlockNameRefusal(to); !refusal.isEmpty()) return refusal;
  if (from == to) return QString();
  if (!BlockExists(from)) return QStringLiteral("Nie ma bloku „%1”.").arg(from);
  // A name that differs only in letter case is the same file on some disks.
  if (BlockExists(to) && from.compare(to, Qt::CaseInsensitive) != 0)
    return QStringLiteral("Blok „%1” już istnieje.").arg(to);
  QFile file(BlockFilePath(from));
  if (!file.rename(BlockFilePath(to)))
    return QStringLiteral("Nie zmieniono nazwy bloku „%1”: %2").arg(from, files::ioErrorText(file, file.fileName()));
  return QString();
}

QString InsertBlock(DesignerDocument& document, const QString& name) {
  QString refusal;
  const QString xml = ReadBlock(name, &refusal);
  if (!refusal.isEmpty()) return refusal;
  return PasteText(document, xml);
}

QImage BlockPicture(const QString& xml, int width) {
  // The block pasted into an empty report of its own and drawn by the
  // workspace, cut to the pasted objects.
  report::TfrxReport report;
  DesignerDocument scratch(report);
  scratch.NewReport();
  if (!PasteText(scratch, xml).isEmpty()) return QImage();
  QRectF bounds;
  QList<TfrxComponent*> pasted = scratch.Selection();
  if (pasted.isEmpty()) return QImage();
  for (const TfrxComponent* object : pasted) bounds = bounds.united(object->AbsoluteBounds());
  scratch.ClearSelection();
  DesignWorkspace workspace(scratch);
  workspace.resize(4000, 4000);
  const double zoom = std::clamp(width / std::max(1.0, bounds.width() + 8), 0.2, 1.0);
  workspace.SetZoom(zoom);
  const QRectF area = workspace.PageToViewport(bounds.adjusted(-4, -4, 4, 4));
  const QRect clip = area.toAlignedRect();
  if (clip.width() < 1 || clip.height() < 1 || qint64(clip.width()) * clip.height() > 4000 * 4000) return QImage();
  QImage whole(clip.right() + 1, clip.bottom() + 1, QImage::Format_RGB32);
  whole.fill(Qt::white);
  {
    gfx::PainterCanvas canvas(whole, 96);
    workspace.PaintTo(canvas, clip);
  }
  return whole.copy(clip.intersected(whole.rect()));
}

bool SaveSelectionAsBlock(DesignerDocument& document, QWidget* parent) {
  QString refusal;
  const QString xml = SelectionAsBlock(document, &refusal);
  if (!refusal.isEmpty()) {
    dialogs::showError(refusal, parent);
    return false;
  }
  QString name = document.Selection().first()->Name();
  for (;;) {
    const std::optional<QString> answer = dialogs::inputText(QStringLiteral("Zapisz jako blok"), QStringLiteral("Nazwa bloku:"), name, parent);
    if (!answer) return false;
    name = *answer;
    if (const QString bad = BlockNameRefusal(name); !bad.isEmpty()) {
      dialogs::showError(bad, parent);
      continue;
    }
    if (BlockExists(name) && !dialogs::confirm(QStringLiteral("Blok „%1” już istnieje. Zastąpić go?").arg(name), parent)) continue;
    break;
  }
  if (const QString failed = WriteBlock(name, xml); !failed.isEmpty()) {
    dialogs::showError(failed, parent);
    return false;
  }
  return true;
}

// --- The library dialog ----------------------------------------------------------------------

BlockLibraryDialog::BlockLibraryDialog(DesignerDocument& document, QWidget* parent) : QDialog(parent), document_(document) {
  setWindowTitle(QStringLiteral("Wstaw blok"));
  list_ = new QListWidget(this);
  list_->setObjectName(QStringLiteral("Blocks"));
  picture_ = new QLabel(this);
  picture_->setObjectName(QStringLiteral("BlockPicture"));
  picture_->setMinimumSize(260, 160);
  picture_->setAlignment(Qt::AlignCenter);
  picture_->setFrameShape(QFrame::StyledPanel);
  message_ = new QLabel(this);
  message_->setObjectName(QStringLiteral("Message"));
  message_->setWordWrap(true);
  auto* buttons = new QDialogButtonBox(this);
  insert_ = buttons->addButton(QStringLiteral("&Wstaw"), QDialogButtonBox::AcceptRole);
  rename_ = buttons->addButton(QStringLiteral("&Zmień nazwę…"), QDialogButtonBox::ActionRole);
  delete_ = buttons->addButton(QStringLiteral("&Usuń"), QDialogButtonBox::ActionRole);
  buttons->addButton(QStringLiteral("Anuluj"), QDialogButtonBox::RejectRole);
  insert_->setObjectName(QStringLiteral("Insert"));
  rename_->setObjectName(QStringLiteral("Rename"));
  delete_->setObjectName(QStringLiteral("Delete"));
  // Not through accepted(): the dialog closes only once the insertion worked.
  connect(insert_, &QPushButton::clicked, this, [this] { InsertChosen(); });
  connect(rename_, &QPushButton::clicked, this, [this] { RenameChosen(); });
  connect(delete_, &QPushButton::clicked, this, [this] { DeleteChosen(); });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(list_, &QListWidget::currentRowChanged, this, [this] { chosenChanged(); });
  connect(list_, &QListWidget::itemDoubleClicked, this, [this] { InsertChosen(); });

  auto* top = new QHBoxLayout;
  top->addWidget(list_, 1);
  top->addWidget(picture_, 2);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top, 1);
  layout->addWidget(message_);
  layout->addWidget(buttons);
  reload();
}

QString BlockLibraryDialog::chosen() const {
  const QListWidgetItem* item = list_->currentItem();
  return item ? item->text() : QString();
}

void BlockLibraryDialog::reload(const QString& select) {
  list_->clear();
  const QStringList names = BlockNames();
  list_->addItems(names);
  const int at = std::max(0, int(names.indexOf(select)));
  if (!names.isEmpty()) list_->setCurrentRow(at);
  if (names.isEmpty()) message_->setText(QStringLiteral("Biblioteka bloków jest pusta: zaznacz obiekty i wybierz „Zapisz jako blok…”."));
  chosenChanged();
}

void BlockLibraryDialog::chosenChanged() {
  const QString name = chosen();
  insert_->setEnabled(!name.isEmpty());
  rename_->setEnabled(!name.isEmpty());
  delete_->setEnabled(!name.isEmpty());
  picture_->clear();
  if (name.isEmpty()) return;
  QString refusal;
  const QString xml = ReadBlock(name, &refusal);
  const QImage picture = refusal.isEmpty() ? BlockPicture(xml, picture_->minimumWidth()) : QImage();
  if (picture.isNull()) picture_->setText(refusal.isEmpty() ? QStringLiteral("(blok bez obiektów do pokazania)") : refusal);
  else picture_->setPixmap(QPixmap::fromImage(picture));
}

void BlockLibraryDialog::InsertChosen() {
  const QString name = chosen();
  if (name.isEmpty()) return;
  const QString refusal = InsertBlock(document_, name);
  if (!refusal.isEmpty()) {
    message_->setText(refusal);
    return;
  }
  accept();
}

void BlockLibraryDialog::RenameChosen() {
  const QString name = chosen();
  if (name.isEmpty()) return;
  const std::optional<QString> to = dialogs::inputText(QStringLiteral("Zmień nazwę bloku"), QStringLiteral("Nowa nazwa:"), name, this);
  if (!to) return;
  if (const QString refusal = RenameBlock(name, *to); !refusal.isEmpty()) {
    message_->setText(refusal);
    return;
  }
  message_->clear();
  reload(*to);
}

void BlockLibraryDialog::DeleteChosen() {
  const QString name = chosen();
  if (name.isEmpty()) return;
  if (!dialogs::confirm(QStringLiteral("Usunąć blok „%1”?").arg(name), this)) return;
  if (const QString refusal = DeleteBlock(name); !refusal.isEmpty()) {
    message_->setText(refusal);
    return;
  }
  message_->clear();
  reload();
}

bool InsertBlockFromLibrary(DesignerDocument& document, QWidget* parent) {
  BlockLibraryDialog dialog(document, parent);
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace valmoro::designer
