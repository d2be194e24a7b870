#include "binding_modules.h"

#include "module_classes.h"
#include "module_dialogs.h"
#include "module_forms.h"
#include "module_graphics.h"
#include "module_ini_files.h"

namespace valmoro::script {

void RegisterBindingModules() {
  RegisterClassesModule();
  RegisterIniFilesModule();
  RegisterDialogsModule();
  RegisterGraphicsModule();
  RegisterFormsModule();
}

}  // namespace valmoro::script
