#pragma once
// TfsScript: one script program — its source and language, a symbol table of
// named items (variables, constants, types, routines, host classes and
// functions), the main block of statements, and the flags that steer a run.
//
// Scripts form a tree through ParentScript; names are looked up the chain,
// so a routine's child script sees its locals, then the program's globals,
// then whatever the host placed in the parent (report objects, the function
// library). Compile errors never raise: ErrorText, ErrorPosition ("L:C") and
// ErrorUnitName say what and where. Run-time errors raise ScriptError (most
// of them RunError, with a class name the script can see).

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <memory>
#include <vector>

#include "program_items.h"
#include "variant.h"

struct QMetaObject;
class QObject;

namespace valmoro::script {

class TfsScript;
class TfsStatement;
class TfsClassVariable;
class TfsMethodHelper;

// Asked for the text of an included unit; UnitText arrives empty.
using TfsGetUnitEvent = std::function<void(TfsScript* Sender, const QString& UnitName, QString& UnitText)>;
// Raised before each statement; SourcePos is "L:C".
using TfsRunLineEvent = std::function<void(TfsScript* Sender, const QString& UnitName, const QString& SourcePos)>;

// Host function handlers, two conventions. The parameter-array one receives
// the arguments as a Variant array (one element per parameter) and may
// change elements of by-reference parameters; the caller one reads and
// writes the parameters through the function item.
using TfsCallMethodEvent = std::function<Variant(QObject* Instance, const QMetaObject* ClassType,
                                                 const QString& MethodName, Variant& Params)>;
using TfsCallMethodCallerEvent = std::function<Variant(QObject* Instance, const QMetaObject* ClassType,
                                                       const QString& MethodName, TfsMethodHelper* Caller)>;

class TfsScript {
public:
  explicit TfsScript(TfsScript* parent = nullptr);
  ~TfsScript();
  TfsScript(const TfsScript&) = delete;
  TfsScript& operator=(const TfsScript&) = delete;

  // ---- Source and compilation -------------------------------------------------
  QStringList Lines;
  QString SyntaxType = QStringLiteral("PascalScript");
  TfsGetUnitEvent OnGetUnit;
  // Supplies an included unit as program XML text; when empty, the unit's
  // program XML from the source parser is used.
  TfsGetUnitEvent OnGetILUnit;
  // Given to every variable created while compiling.
  TfsGetVariableValueEvent OnGetVarValue;

  // Characters 128..255 count as identifier characters.
  bool ExtendedIdentChars = false;
  // Folders searched for included units when OnGetUnit is not assigned;
  // one empty entry (the working folder) at first.
  QStringList IncludeFolders{QString()};
  // Names the host treats as macros; kept for it, the engine reads none.
  QStringList Macros;

  // The last compile error: message, "line:column", and the included unit
  // it lies in ('' for the main source).
  QString ErrorText;
  QString ErrorPosition;
  QString ErrorUnitName;

  // Lines, each followed by CR LF, the last one included: the text that the
  // parser reads.
  QString SourceText() const;

  // Compiles Lines in SyntaxType, adding to the symbol table and the main
  // block (nothing is cleared first). True when ErrorText stays empty.
  bool CompileSource();

  // ---- Running ------------------------------------------------------------------
  void RunMain();
  // Asks this script and every routine below it to stop.
  void StopRun();
  // Runs a routine of this very script by name; Null when there is none.
  // arguments: a Variant array, element i going to parameter i.
  Variant CallRoutine(const QString& name, const Variant& arguments = Variant::Null());
  // As CallRoutine; afterwards every parameter's value is written back into
  // the arguments array.
  Variant CallRoutineByRef(const QString& name, Variant& arguments);
  // Evaluates an expression text in this script's language. A syntax or
  // type error gives its text (and sets EvaluationFailed) instead of raising.
  Variant EvaluateText(const QString& text);

  void SetOnRunLine(TfsRunLineEvent handler);
  const TfsRunLineEvent& OnRunLine() const { return onRunLine_; }

  TfsScript* ParentScript = nullptr;
  bool Running = false;
  bool StopRequested = false;
  bool ExitRequested = false;
  bool BreakRequested = false;
  bool ContinueRequested = false;
  bool IsMainScript = false;
  bool RuntimeLibraryAdded = false;
  bool LateBindMembers = false;
  bool EvaluationFailed = false;
  // On a main script: the child script of the routine running now.
  TfsScript* ActiveRoutineScript = nullptr;
  // Stamped on every item added while set.
  const void* AddedByOwner = nullptr;

  TfsStatement* MainBlock() const { return mainBlock_.get(); }

  // ---- Symbols ------------------------------------------------------------------
  TfsCustomVariable* FindSymbol(const QString& name) const;
  TfsCustomVariable* FindLocalSymbol(const QString& name) const;
  TfsClassVariable* FindClassItem(const QString& name) const;
  // The class item registered for a Qt class or its nearest registered
  // ancestor class, up the chain of scripts; none when there is none.
  TfsClassVariable* FindClassItemOf(const QMetaObject* classType) const;
  // The global host functions of this script (not up the chain), in the
  // order registered; of several of one name only the one found by name.
  // The designer lists them with their declarations and categories.
  std::vector<const TfsMethodHelper*> FunctionItems() const;
  // The script takes the item over.
  void AddSymbol(const QString& name, TfsItemList* item);
  // Listed under the name but owned elsewhere (a routine's parameters).
  void AddSymbolUnowned(const QString& name, TfsItemList* item);
  // Takes the item out of the table without freeing it.
  void RemoveSymbol(TfsItemList* item);
  // Frees everything but the modules and the runtime library's items;
  // clears the main block, the code lines and the error.
  void ClearProgram();
  void ClearProgramOf(const void* owner);
  // The value-holding items of this script (variables and parameters), for
  // routines that save them around a recursive call.
  const std::vector<TfsCustomVariable*>& LocalValues() const { return localValues_; }

  // ---- Registration -------------------------------------------------------------
  TfsCustomVariable* AddTypeItem(const QString& name, TfsVarType typ);
  // None when the name is taken. Published properties become members. The
  // name is the class's own (without namespaces) unless given.
  TfsClassVariable* AddClassItem(const QMetaObject* classType, const QString& ancestor,
                                 const QString& name = QString());
  void AddConstItem(const QString& name, const QString& typeName, const Variant& value);
  void AddVariableItem(const QString& name, const QString& typeName, const Variant& value);
  void AddObjectItem(const QString& name, QObject* object);
  void AddEnumItems(const QString& typeName, const QString& names);
  void AddEnumSetItems(const QString& typeName, const QString& names);
  // A global host function described by a declaration such as
  // "function Copy(s: String; from, count: Integer): String".
  TfsMethodHelper* AddMethodItem(const QString& declaration, TfsCallMethodEvent handler,
                                 const QString& category = QString(), const QString& description = QString());
  TfsMethodHelper* AddMethodItem(const QString& declaration, TfsCallMethodCallerEvent handler,
                                 const QString& category = QString(), const QString& description = QString());
  // A form: its class is registered unless known (ancestor "TForm" for a
  // window, "TFrame" for a widget inside one, "TDataModule" for any other
  // object), each named child becomes a member, and the form an object item
  // under its name. AddComponentItem does the same for a component.
  void AddFormItem(QObject* form);
  void AddComponentItem(QObject* component);
  // Disconnects and frees the adaptors of one instance's event.
  void RemoveEventAdaptors(QObject* instance, const QString& eventName);
  // The function library and the binding modules, once per script.
  void AddRuntimeLibrary();
  void RemoveRuntimeLibrary();
  // Sets a variable found up the chain, or adds a Variant variable here.
  void SetVariableValue(const QString& name, const Variant& value);
  // The type code a type name stands for (registered types, classes); raises
  // "Unknown type" for a name that is neither.
  TfsTypeRec ResolveType(const QString& typeName) const;

  // ---- Code lines -----------------------------------------------------------------
  void RecordCodeLine(const QString& unitName, const QString& position);
  bool IsCodeLine(int line, const QString& unitName = QString()) const;

  // The first script up the chain (this one included) that is a main script
  // or has no parent.
  TfsScript* MainScript();
  // Raises the run-line notification of a statement.
  void NotifyRunLine(const QString& unitName, const QString& position);
  // Whether any script of the process has a run-line handler now (asked
  // before every statement, so it is one load).
  static bool AnyRunLineHandler() { return runLineHandlers_.load(std::memory_order_relaxed) != 0; }

private:
  friend class TfsProgramBuilder;
  struct Symbol {
    QString upperName;
    TfsItemList* item;
    bool owned;
  };
  void addSymbol(const QString& name, TfsItemList* item, bool owned);
  void reindex(const QString& upperName);
  void rebuildClassIndex();
  void freeWhere(const std::function<bool(const TfsItemList*)>& predicate);

  std::vector<Symbol> symbols_;
  QHash<QString, TfsCustomVariable*> index_;
  QHash<const QMetaObject*, TfsClassVariable*> classIndex_;
  std::vector<TfsCustomVariable*> localValues_;
  std::unique_ptr<TfsStatement> mainBlock_;
  QHash<QString, QSet<int>> codeLines_;
  TfsRunLineEvent onRunLine_;
  static inline std::atomic<int> runLineHandlers_{0};
};

// A text cut into lines at CR LF, CR or LF; a final line end adds no empty
// line, so "" has no lines and "\r\n" has one.
QStringList SplitSourceLines(const QString& text);
// Each line followed by CR LF.
QString JoinSourceLines(const QStringList& lines);
// UTF-8 bytes as text, a leading byte-order mark dropped; a text longer than
// a script's string may be is refused (EOutOfMemory).
QString TextOfUtf8(const QByteArray& bytes);
// A source file as text, as TextOfUtf8. Raises the file-open error when the
// file cannot be read.
QString ReadSourceFile(const QString& fileName);

}  // namespace valmoro::script
