#include "report/model/class_registry.h"

#include <QHash>
#include <QMutex>

#include "report/model/band.h"
#include "report/model/component.h"
#include "report/model/data_set.h"
#include "report/model/dialog.h"
#include "report/model/line_view.h"
#include "report/model/memo_view.h"
#include "report/model/page.h"
#include "report/model/picture_view.h"
#include "report/model/report_page.h"
#include "report/model/shape_view.h"
#include "report/model/subreport.h"

namespace valmoro::report {

namespace {

struct Entry {
  const QMetaObject* cls;
  ObjectFactory factory;
};

struct Registry {
  QMutex mutex;
  QHash<QString, Entry> byName;  // case-folded class name
  QStringList names;

  void add(const QMetaObject& cls, ObjectFactory factory) {
    const QString name = reportClassName(cls);
    const QString key = name.toCaseFolded();
    if (!byName.contains(key)) names.append(name);
    byName.insert(key, {&cls, factory});
  }

  template <class T>
  void add() {
    add(T::staticMetaObject, +[](TfrxComponent* parent) -> TfrxComponent* { return new T(parent); });
  }
};

// The concrete classes of the tree. Listed here rather than registered by
// each file, so that none is lost when the static library is linked.
void registerBuiltInClasses(Registry& r) {
  r.add<TfrxMemoView>();
  r.add<TfrxSysMemoView>();
  r.add<TfrxLineView>();
  r.add<TfrxPictureView>();
  r.add<TfrxShapeView>();
  r.add<TfrxSubreport>();
  r.add<TfrxReportTitle>();
  r.add<TfrxReportSummary>();
  r.add<TfrxPageHeader>();
  r.add<TfrxPageFooter>();
  r.add<TfrxHeader>();
  r.add<TfrxFooter>();
  r.add<TfrxMasterData>();
  r.add<TfrxDetailData>();
  r.add<TfrxSubdetailData>();
  r.add<TfrxDataBand4>();
  r.add<TfrxDataBand5>();
  r.add<TfrxDataBand6>();
  r.add<TfrxGroupHeader>();
  r.add<TfrxGroupFooter>();
  r.add<TfrxChild>();
  r.add<TfrxColumnHeader>();
  r.add<TfrxColumnFooter>();
  r.add<TfrxOverlay>();
  r.add<TfrxNullBand>();
  r.add<TfrxReportPage>();
  r.add<TfrxDialogPage>();
  r.add<TfrxDataPage>();
  // Data sets placed on a report's data page.
  r.add<TfrxUserDataSet>();
  r.add<TfrxDBDataset>();
}

Registry& registry() {
  static Registry* r = [] {
    auto* created = new Registry;
    registerBuiltInClasses(*created);
    return created;
  }();
  return *r;
}

}  // namespace

QString reportClassName(const QMetaObject& cls) {
  const char* name = cls.className();
  const char* last = name;
  for (const char* p = name; *p; ++p)
    if (p[0] == ':' && p[1] == ':') last = p + 2;
  return QString::fromLatin1(last);
}

void registerClass(const QMetaObject& cls, ObjectFactory factory) {
  Registry& r = registry();
  QMutexLocker lock(&r.mutex);
  r.add(cls, factory);
}

const QMetaObject* findClass(QStringView className) {
  Registry& r = registry();
  QMutexLocker lock(&r.mutex);
  const auto it = r.byName.constFind(className.toString().toCaseFolded());
  return it == r.byName.cend() ? nullptr : it->cls;
}

TfrxComponent* createObject(QStringView className, TfrxComponent* parent) {
  Registry& r = registry();
  ObjectFactory factory = nullptr;
  {
    QMutexLocker lock(&r.mutex);
    const auto it = r.byName.constFind(className.toString().toCaseFolded());
    if (it == r.byName.cend()) return nullptr;
    factory = it->factory;
  }
  return factory(parent);
}

TfrxComponent* createObjectForDesigner(QStringView className, TfrxComponent* parent, int flag) {
  TfrxComponent* object = createObject(className, parent);
  if (object) object->DesignCreate(flag);
  return object;
}

QStringList registeredClassNames() {
  Registry& r = registry();
  QMutexLocker lock(&r.mutex);
  return r.names;
}

}  // namespace valmoro::report
