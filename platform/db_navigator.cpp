#include "db_navigator.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>

#include "platform/database.h"
#include "platform/dialogs.h"
#include "platform/field_error.h"

namespace valmoro::grid {
namespace {

// Small glyphs in the manner of a record navigator, drawn here.
QIcon glyph(DbNavigator::Button b) {
  QPixmap pm(18, 18);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  const QColor ink(0x1F, 0x3A, 0x5F);
  p.setPen(Qt::NoPen);
  p.setBrush(ink);
  auto triangle = [&](double x, bool left) {
    QPolygonF t;
    if (left) t << QPointF(x + 6, 4) << QPointF(x + 6, 14) << QPointF(x, 9);
    else t << QPointF(x, 4) << QPointF(x, 14) << QPointF(x + 6, 9);
    p.drawPolygon(t);
  };
  switch (b) {
    case DbNavigator::First: p.drawRect(QRectF(4, 4, 2, 10)); triangle(7, true); break;
    case DbNavigator::Prior: triangle(6, true); break;
    case DbNavigator::Next: triangle(6, false); break;
    case DbNavigator::Last: triangle(5, false); p.drawRect(QRectF(12, 4, 2, 10)); break;
    case DbNavigator::Insert: p.drawRect(QRectF(8, 3, 2, 12)); p.drawRect(QRectF(3, 8, 12, 2)); break;
    case DbNavigator::Delete: p.drawRect(QRectF(3, 8, 12, 2)); break;
    case DbNavigator::Edit: {
      QPolygonF t;
      t << QPointF(4, 13) << QPointF(14, 13) << QPointF(9, 5);
      p.drawPolygon(t);
      break;
    }
    case DbNavigator::Post: {
      p.setPen(QPen(QColor(0x2E, 0x9E, 0x5B), 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      p.setBrush(Qt::NoBrush);
      QPainterPath path;
      path.moveTo(4, 9);
      path.lineTo(8, 13);
      path.lineTo(14, 5);
      p.drawPath(path);
      break;
    }
    case DbNavigator::Cancel:
      p.setPen(QPen(QColor(0xD2, 0x3C, 0x32), 2.4, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(5, 5, 13, 13);
      p.drawLine(13, 5, 5, 13);
      break;
    case DbNavigator::ButtonCount: break;
  }
  return QIcon(pm);
}

const char* const kNames[] = {"nbFirst", "nbPrior", "nbNext", "nbLast", "nbInsert",
                              "nbDelete", "nbEdit", "nbPost", "nbCancel"};
const char* const kHints[] = {"Pierwszy rekord", "Poprzedni rekord", "Następny rekord", "Ostatni rekord",
                              "Wstaw rekord", "Usuń rekord", "Edytuj rekord", "Zapisz zmiany", "Anuluj zmiany"};

}  // namespace

DbNavigator::DbNavigator(QWidget* parent) : QWidget(parent) {
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  for (int i = 0; i < ButtonCount; ++i) {
    auto* b = new QToolButton(this);
    b->setObjectName(QString::fromLatin1(kNames[i]));
    b->setToolTip(QString::fromUtf8(kHints[i]));
    b->setIcon(glyph(Button(i)));
    b->setFixedSize(25, 25);
    // Taking the focus makes an open cell editor hand over its text first.
    b->setFocusPolicy(Qt::StrongFocus);
    connect(b, &QToolButton::clicked, this, [this, i] { click(Button(i)); });
    layout->addWidget(b);
    buttons_[i] = b;
  }
  updateButtons();
}

void DbNavigator::setDataSet(db::DataSet* dataSet) {
  if (dataSet_) dataSet_->disconnect(this);
  dataSet_ = dataSet;
  if (dataSet_) {
    // A data set that goes away before the navigator leaves it with nothing to act on.
    connect(dataSet_, &QObject::destroyed, this, [this] {
      dataSet_ = nullptr;
      updateButtons();
    });
    connect(dataSet_, &db::DataSet::opened, this, &DbNavigator::updateButtons);
    connect(dataSet_, &db::DataSet::closed, this, &DbNavigator::updateButtons);
    connect(dataSet_, &db::DataSet::stateChanged, this, &DbNavigator::updateButtons);
    connect(dataSet_, &db::DataSet::currentRowChanged, this, &DbNavigator::updateButtons);
    connect(dataSet_, &db::DataSet::rowRemoved, this, &DbNavigator::updateButtons);
  }
  updateButtons();
}

void DbNavigator::click(Button b) {
  if (!dataSet_ || !buttons_[b]->isEnabled()) return;
  try {
    switch (b) {
      case First: dataSet_->first(); break;
      case Prior: dataSet_->prior(); break;
      case Next: dataSet_->next(); break;
      case Last: dataSet_->last(); break;
      case Insert: dataSet_->insert(); break;
      case Delete:
        if (dialogs::confirm(QStringLiteral("Usunąć rekord?"), this)) dataSet_->deleteCurrent();
        break;
      case Edit: dataSet_->edit(); break;
      case Post: dataSet_->post(); break;
      case Cancel: dataSet_->cancel(); break;
      case ButtonCount: break;
    }
  } catch (const db::DbError& e) {
    dialogs::showError(db::userMessage(e, labels_), this);
  }
  updateButtons();
}

void DbNavigator::updateButtons() {
  const bool active = dataSet_ && dataSet_->isActive();
  const bool browsing = active && dataSet_->state() == db::DataSet::State::Browse;
  const bool editing = active && !browsing;
  const int row = active ? dataSet_->currentRow() : -1;
  const bool atFirst = row <= 0;
  const bool atLast = !active || row < 0 || (dataSet_->allFetched() && row >= dataSet_->fetchedRowCount() - 1);
  buttons_[First]->setEnabled(active && !atFirst);
  buttons_[Prior]->setEnabled(active && !atFirst);
  buttons_[Next]->setEnabled(active && !atLast);
  buttons_[Last]->setEnabled(active && !atLast);
  buttons_[Insert]->setEnabled(active && dataSet_->isEditable());
  buttons_[Delete]->setEnabled(active && dataSet_->isEditable() && row >= 0);
  buttons_[Edit]->setEnabled(browsing && dataSet_->isEditable() && row >= 0);
  buttons_[Post]->setEnabled(editing);
  buttons_[Cancel]->setEnabled(editing);
}

}  // namespace valmoro::grid
