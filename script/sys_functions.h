#pragma once
// TfsSysFunctions: the built-in part of the runtime library that every
// script with the library sees — the type names, True, False, nil, Null,
// the string and array helpers, ExceptionClassName and ExceptionMessage,
// ShowMessage and RaiseException. The rest of the function library
// registers itself as a module (RegisterModule) and is added after it.

#include <memory>

#include "host_classes.h"

namespace valmoro::script {

class TfsSysFunctions : public TfsRTTIModule {
public:
  explicit TfsSysFunctions(TfsScript* script);
};

std::unique_ptr<TfsRTTIModule> CreateSysFunctions(TfsScript* script);

}  // namespace valmoro::script
