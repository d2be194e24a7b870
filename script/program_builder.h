#pragma once
// TfsProgramBuilder: turns program XML into a script's program tree —
// declarations into symbol tables, statements into statement lists — and
// checks names, types and calls on the way. The first failure raises
// ScriptError; ErrorPosition() then says where ("L:C" of the element being
// handled) and UnitName() in which included unit.

#include <QHash>
#include <QString>
#include <memory>
#include <vector>

#include "program_items.h"

namespace valmoro::script {

class TfsDesignator;
class TfsExpression;
class TfsProcVariable;
class TfsScript;
class TfsSetExpression;
class TfsStatement;
class TfsXMLItem;

class TfsProgramBuilder {
public:
  // script: the script being compiled (undeclared names of languages that
  // do not require declarations become its variables). grammarRoot: the
  // language's grammar, for its type aliases.
  TfsProgramBuilder(TfsScript* script, bool needDeclareVars, const TfsXMLItem* grammarRoot = nullptr);
  ~TfsProgramBuilder();
  TfsProgramBuilder(const TfsProgramBuilder&) = delete;
  TfsProgramBuilder& operator=(const TfsProgramBuilder&) = delete;

  // Builds the whole program: its routines, declarations and main block.
  void BuildProgram(const TfsXMLItem* program);

  const QString& ErrorPosition() const { return errorPos_; }
  const QString& UnitName() const { return unitName_; }

  enum class DesignatorMode { Plain, New, Delete };

private:
  class DesignatorCompiler;  // the steps of compileDesignator

  struct WithEntry {
    QString name;
    TfsCustomVariable* variable;
  };

  void at(const TfsXMLItem* element);
  [[noreturn]] void fail(const QString& message);

  void processProgram(const TfsXMLItem* element, TfsScript* script);
  void declareRoutines(const TfsXMLItem* element, TfsScript* script);
  void declareRoutine(const TfsXMLItem* element, TfsScript* script);
  void processStatement(const TfsXMLItem* element, TfsScript* script, TfsStatement* list);
  void processVar(const TfsXMLItem* element, TfsScript* script, TfsStatement* list);
  void processConst(const TfsXMLItem* element, TfsScript* script);
  void processUses(const TfsXMLItem* element, TfsScript* script);
  void checkRedeclared(const QString& name, TfsScript* script);

  // Creates the variable (or parameter) called name as declared by a "var"
  // element; list receives its initialiser, or the initial value is
  // computed now when list is null.
  std::unique_ptr<TfsCustomVariable> createVariable(const QString& name, const TfsXMLItem* var, TfsScript* script,
                                                    bool isParam, bool byRef, TfsStatement* list);

  // Statements.
  void buildAssign(const TfsXMLItem* element, TfsScript* script, TfsStatement* list);
  void buildCall(const TfsXMLItem* element, TfsScript* script, TfsStatement* list);
  void buildIf(const TfsXMLItem* element, TfsScript* script, TfsStatement* list);
  void buildCase(const TfsXMLItem* element, TfsScript* script, TfsStatement* list);
  void buildRepeat(const TfsXMLItem* element, TfsScript* script, TfsStatement* list);
  void buildWhile(const TfsXMLItem* element, TfsScript* script, TfsStatement* list);
  void buildFor(const TfsXMLItem* element, TfsScript* script, TfsStatement* list);
  void buildVbFor(const TfsXMLItem* element, TfsScript* script, TfsStatement* list);
  void buildCppFor(const TfsXMLItem* element, TfsScript* script, TfsStatement* list);
  void buildTry(const TfsXMLItem* element, TfsScript* script, TfsStatement* list);
  void buildReturn(const TfsXMLItem* element, TfsScript* script, TfsStatement* list);
  void buildWith(const TfsXMLItem* element, TfsScript* script, TfsStatement* list);
  void buildDelete(const TfsXMLItem* element, TfsScript* script, TfsStatement* list);
  TfsCustomVariable* loopVariable(const TfsXMLItem* ident, TfsScript* script);
  void addAssignment(std::unique_ptr<TfsDesignator> target, std::unique_ptr<TfsExpression> source,
                     const TfsXMLItem* element, TfsScript* script, TfsStatement* list, const QString& modificator);

  // Expressions and designators.
  std::unique_ptr<TfsExpression> compileExpression(const TfsXMLItem* element, TfsScript* script);
  void addExpressionParts(TfsExpression* expression, const TfsXMLItem* element, TfsScript* script);
  std::unique_ptr<TfsSetExpression> compileSet(const TfsXMLItem* element, TfsScript* script);
  std::unique_ptr<TfsDesignator> compileDesignator(const TfsXMLItem* element, TfsScript* script,
                                                   DesignatorMode mode);
  Variant literalValue(const TfsXMLItem* element) const;
  QString sourceBetween(const QString& from, const QString& to) const;

  // Types.
  TfsTypeRec resolveType(const QString& name, TfsScript* script) const;
  QString applyAlias(const QString& name) const;
  void checkCompatible(const TfsTypeRec& target, const TfsTypeRec& source, TfsScript* script);

  TfsScript* mainScript_;
  bool needDeclareVars_;
  const TfsXMLItem* grammarTypes_ = nullptr;
  const TfsXMLItem* programTypes_ = nullptr;
  QString errorPos_;
  QString unitName_;
  std::vector<WithEntry> withList_;
  QHash<const TfsXMLItem*, TfsProcVariable*> routines_;
  int depth_ = 0;
};

}  // namespace valmoro::script
