// Fuzzing the main window's column layout (Dane/tabela.conf): any bytes
// must read or be refused with a stream error, and what was read must be
// written and read back the same.

#include <QByteArray>
#include <cstdint>
#include <cstdlib>

#include "fuzz/fuzz_support.h"
#include "platform/component_stream.h"
#include "platform/grid_columns.h"

using namespace valmoro;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  QString folder;
  if (!fuzz::wantSeeds(&folder)) return 0;
  fuzz::writeSeed(folder, QStringLiteral("empty"), grid::writeColumnsStream({}));
  QList<grid::Column> columns;
  for (const char* name : {"Data", "Punkt", "Temperatura", "Wilgotnosc", "Pracownik"}) {
    grid::Column column;
    column.fieldName = QString::fromLatin1(name);
    column.title.caption = QString::fromUtf8("Kolumna ąę ") + column.fieldName;
    column.width = 120;
    column.visible = columns.size() != 3;
    columns.append(column);
  }
  fuzz::writeSeed(folder, QStringLiteral("five"), grid::writeColumnsStream(columns));
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::startOnce("grid_layout_fuzz");
  const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
  QList<grid::Column> columns;
  try {
    columns = grid::readColumnsStream(bytes);
  } catch (const stream::StreamError&) {
    return 0;
  }
  QList<grid::Column> again;
  try {
    again = grid::readColumnsStream(grid::writeColumnsStream(columns));
  } catch (const stream::StreamError&) {
    std::abort();  // our own layout must read
  }
  if (again != columns) std::abort();
  return 0;
}
