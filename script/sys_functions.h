#pragma once
// TfsSysFunctions: the built-in part of the runtime library that every
// script with the library sees — the type names, True, False, nil, Null,
// the string and array helpers, ExceptionClassName and ExceptionMessage,
// and the function library (conversions, formatting, dates, strings,
// mathematics and the rest). Binding modules register themselves
// (RegisterModule) and are added after it.

#include <QString>
#include <functional>
#include <memory>

#include "host_classes.h"

namespace valmoro::script {

class TfsSysFunctions : public TfsRTTIModule {
public:
  explicit TfsSysFunctions(TfsScript* script);
};

std::unique_ptr<TfsRTTIModule> CreateSysFunctions(TfsScript* script);

// Automation objects scripts create by a programmatic identifier
// (CreateOleObject). Identifiers compare without regard to case.
using TfsAutomationFactory = std::function<std::shared_ptr<TfsAutomationObject>()>;
void RegisterAutomationClass(const QString& programId, TfsAutomationFactory factory);
void UnregisterAutomationClass(const QString& programId);
// A new object of the identifier; an EOleSysError whose text starts with
// "OLE error " when nothing creates one.
Variant CreateAutomationObject(const QString& programId);

}  // namespace valmoro::script
