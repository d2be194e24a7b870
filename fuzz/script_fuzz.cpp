// Fuzzing the script engine: any text in any of the four languages must
// compile or be refused with an error and a position, and a program that
// compiles must run to its end, stop at the step budget, or end in a script
// error; never crash, hang or allocate without bound. The first byte picks
// the language, the rest is the source.

#include <cstdint>
#include <cstdlib>

#include "fuzz/fuzz_support.h"
#include "script/binding_modules.h"
#include "script/script.h"
#include "script/script_error.h"

using namespace valmoro::script;

namespace {

constexpr int kStepBudget = 20000;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  valmoro::fuzz::startOnce("script_fuzz");
  static const bool registered = (RegisterBindingModules(), true);
  (void)registered;
  if (size < 1) return 0;
  static const char* const kLanguages[] = {"PascalScript", "C++Script", "BasicScript", "JScript"};
  const QString source = QString::fromUtf8(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));

  TfsScript script;
  script.SyntaxType = QString::fromLatin1(kLanguages[data[0] % 4]);
  script.IncludeFolders = {QDir::currentPath()};
  script.Lines = SplitSourceLines(source);
  script.AddRuntimeLibrary();
  int steps = 0;
  script.SetOnRunLine([&steps](TfsScript* sender, const QString&, const QString&) {
    if (++steps == kStepBudget) sender->MainScript()->StopRun();
  });
  if (!script.CompileSource()) {
    // A refusal always says what and where.
    if (script.ErrorText.isEmpty()) std::abort();
    return 0;
  }
  try {
    script.RunMain();
  } catch (const ScriptError&) {
  }
  valmoro::fuzz::forgetMessages();
  return 0;
}
