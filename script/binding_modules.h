#pragma once
// The binding modules the program adds to every script's runtime library
// after the built-in functions. So far: string lists, ini files and the dialog functions. Registering twice does
// no harm (a module registered again replaces itself).

namespace valmoro::script {

void RegisterBindingModules();

}  // namespace valmoro::script
