#pragma once
// The classes binding module: TObject (Create, Free, ClassName),
// TPersistent (Assign), TComponent (owner, name, owned components),
// TCollection and TCollectionItem, TList, the string lists TStrings and
// TStringList, the streams TStream, TMemoryStream and TFileStream, the
// engine's XML classes TfsXMLItem and TfsXMLDocument, the TDuplicates and
// TPrinterOrientation values and the file-mode and seek-origin constants.
//
// Objects a script creates belong to it until it frees them with Free;
// references to a freed object read as nil.

#include "host_classes.h"

namespace valmoro::script {

class TfsClassesModule : public TfsRTTIModule {
public:
  explicit TfsClassesModule(TfsScript* script);
};

// TObject with Create, Free and ClassName, unless the script has it already.
void RegisterObjectClass(TfsScript* script);

// A new class item for a module, or none when the name is taken already (a
// host may have registered a class of its own under it): the module then
// leaves that class alone and goes on with the rest.
TfsClassVariable* AddModuleClass(TfsScript* script, const QMetaObject* classType, const QString& ancestor,
                                 const QString& name = QString());

// Parts of the module, each registered on its own by the module.
void RegisterStreamClasses(TfsScript* script);
void RegisterXmlClasses(TfsScript* script);

void RegisterClassesModule();

}  // namespace valmoro::script
