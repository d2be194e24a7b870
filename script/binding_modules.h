#pragma once
// The binding modules the program adds to every script's runtime library
// after the built-in functions: classes (objects, components, collections,
// lists, string lists, streams, the engine's XML classes), ini files and
// dialogs (message and input boxes, the common dialogs). Registering twice
// does no harm (a module registered again replaces itself).

namespace valmoro::script {

void RegisterBindingModules();

}  // namespace valmoro::script
