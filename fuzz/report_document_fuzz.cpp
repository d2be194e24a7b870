// Fuzzing the report document reader: any input must end in a report and an
// error list, never in a crash. What was read must also write, read back
// and write again to the same bytes, and survive copying and the compact
// attribute form.

#include <QBuffer>
#include <QCoreApplication>
#include <cstdint>
#include <cstdlib>

#include "report/model/class_registry.h"
#include "report/model/report.h"
#include "report/model/report_document.h"
#include "report/run/install.h"

using namespace valmoro::report;

namespace {

QByteArray save(const TfrxReport& report) {
  QBuffer out;
  out.open(QIODevice::WriteOnly);
  writeReportDocument(report, out);
  return out.data();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static int argc = 1;
  static char name[] = "report_document_fuzz";
  static char* argv[] = {name, nullptr};
  // Never destroyed: a function-static application would go after what it
  // depends on at exit and end every run with a crash.
  static QCoreApplication* app = new QCoreApplication(argc, argv);
  (void)app;
  // The report's engine and run lifecycle, as the program installs them.
  static const bool installed = (installReportSubsystem(), true);
  (void)installed;

  QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
  QBuffer input(&bytes);
  input.open(QIODevice::ReadOnly);
  TfrxReport report;
  if (!readReportDocument(report, input)) return 0;

  const QByteArray first = save(report);
  TfrxReport again;
  QBuffer second(const_cast<QByteArray*>(&first));
  second.open(QIODevice::ReadOnly);
  if (!readReportDocument(again, second)) std::abort();  // our own output must read
  if (save(again) != first) std::abort();                // and be stable

  for (TfrxComponent* object : report.AllObjects()) {
    TfrxComponent* copy = createObject(object->ClassName());
    if (!copy) continue;
    copy->Assign(object);
    (void)object->DiffAttributes(*copy);
    delete copy;
  }
  return 0;
}
