#include "program_builder.h"

#include <charconv>
#include <string>

#include "designator.h"
#include "expression.h"
#include "host_classes.h"
#include "messages.h"
#include "program_messages.h"
#include "script.h"
#include "script_error.h"
#include "stack_guard.h"
#include "statements.h"
#include "xml_document.h"

namespace valmoro::script {

namespace {

bool named(const TfsXMLItem* element, const char* name) {
  return element->Name().compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
}

QString textOf(const TfsXMLItem* element) { return element->Prop(u"text"); }
QString posOf(const TfsXMLItem* element) { return element->Prop(u"pos"); }

const TfsXMLItem* child(const TfsXMLItem* element, const char* name) {
  const int i = element->Find(QString::fromLatin1(name));
  return i < 0 ? nullptr : element->Items(i);
}

Variant initialValue(TfsVarType typ) {
  switch (typ) {
    case fvtBool:
      return Variant(false);
    case fvtChar:
    case fvtString:
      return Variant(QString());
    case fvtInt:
    case fvtClass:
      return Variant(0);
    case fvtFloat:
      return Variant(0.0);
    default:
      return Variant::Null();
  }
}

std::unique_ptr<TfsCustomVariable> makeVariable(const QString& name, const TfsTypeRec& type) {
  if (type.Typ == fvtChar || type.Typ == fvtString)
    return std::make_unique<TfsStringVariable>(name, type.Typ, type.TypeName);
  return std::make_unique<TfsVariable>(name, type.Typ, type.TypeName);
}

// "L:C" as numbers; false for anything else.
bool parsePosition(const QString& text, int* line, int* column) {
  const qsizetype colon = text.indexOf(QLatin1Char(':'));
  if (colon < 0) return false;
  bool ok1 = false, ok2 = false;
  *line = text.left(colon).toInt(&ok1);
  *column = text.mid(colon + 1).toInt(&ok2);
  return ok1 && ok2;
}

}  // namespace

TfsProgramBuilder::TfsProgramBuilder(TfsScript* script, bool needDeclareVars, const TfsXMLItem* grammarRoot)
    : mainScript_(script), needDeclareVars_(needDeclareVars) {
  if (grammarRoot) {
    const int i = grammarRoot->Find(u"types");
    if (i >= 0) grammarTypes_ = grammarRoot->Items(i);
  }
}

TfsProgramBuilder::~TfsProgramBuilder() = default;

void TfsProgramBuilder::at(const TfsXMLItem* element) {
  const QString pos = posOf(element);
  if (!pos.isEmpty()) errorPos_ = pos;
}

void TfsProgramBuilder::fail(const QString& message) { throw ScriptError(message); }

void TfsProgramBuilder::BuildProgram(const TfsXMLItem* program) {
  withList_.clear();
  const int types = program->Find(u"types");
  programTypes_ = types >= 0 ? program->Items(types) : nullptr;
  processProgram(program, mainScript_);
}

// ---- Declarations ----------------------------------------------------------------------

void TfsProgramBuilder::processProgram(const TfsXMLItem* element, TfsScript* script) {
  // Routines first, so that they can be called before their text.
  declareRoutines(element, script);
  for (int i = 0; i < element->Count(); ++i) processStatement(element->Items(i), script, script->MainBlock());
}

void TfsProgramBuilder::declareRoutines(const TfsXMLItem* element, TfsScript* script) {
  for (int i = 0; i < element->Count(); ++i) {
    const TfsXMLItem* c = element->Items(i);
    if (named(c, "procedure") || named(c, "function")) declareRoutine(c, script);
    else if (named(c, "compoundstmt")) declareRoutines(c, script);
  }
}

void TfsProgramBuilder::checkRedeclared(const QString& name, TfsScript* script) {
  if (script->FindLocalSymbol(name)) fail(ProgramMessageQuoted(SIdRedeclared, name));
}

void TfsProgramBuilder::declareRoutine(const TfsXMLItem* element, TfsScript* script) {
  at(element);
  const TfsXMLItem* nameElement = child(element, "name");
  if (!nameElement) fail(InvalidFileFormatText());
  at(nameElement);
  const QString name = textOf(nameElement);
  checkRedeclared(name, script);

  const TfsXMLItem* typeElement = child(element, "type");
  const QString typeName = typeElement ? textOf(typeElement) : QStringLiteral("Variant");
  const bool isFunc = named(element, "function") && typeName.compare(QLatin1String("void"), Qt::CaseInsensitive) != 0;
  TfsTypeRec type{fvtVariant, QStringLiteral("Variant")};
  if (isFunc) {
    if (typeElement) at(typeElement);
    type = resolveType(typeName, script);
  }

  auto proc = std::make_unique<TfsProcVariable>(name, type.Typ, type.TypeName, script, isFunc);
  TfsProcVariable* raw = proc.get();
  if (isFunc) {
    std::unique_ptr<TfsCustomVariable> result = makeVariable(QStringLiteral("Result"), type);
    result->Value = initialValue(type.Typ);
    result->SourcePos = posOf(element);
    result->SourceUnit = unitName_;
    raw->RefItem = result.get();
    raw->Prog()->AddSymbol(QStringLiteral("Result"), result.release());
  }
  raw->SourcePos = posOf(element);
  raw->SourceUnit = unitName_;
  script->AddSymbol(name, proc.release());
  routines_.insert(element, raw);

  if (const TfsXMLItem* params = child(element, "parameters")) {
    bool nextByRef = false;
    for (int i = 0; i < params->Count(); ++i) {
      const TfsXMLItem* group = params->Items(i);
      at(group);
      if (named(group, "varparams")) {
        nextByRef = true;
        continue;
      }
      if (!named(group, "var")) continue;
      const bool byRef = nextByRef || group->Find(u"varparam") >= 0;
      nextByRef = false;
      for (int j = 0; j < group->Count(); ++j) {
        const TfsXMLItem* ident = group->Items(j);
        if (!named(ident, "ident")) continue;
        at(ident);
        const QString paramName = textOf(ident);
        checkRedeclared(paramName, raw->Prog());
        std::unique_ptr<TfsCustomVariable> param = createVariable(paramName, group, raw->Prog(), true, byRef, nullptr);
        auto* p = static_cast<TfsParamItem*>(param.release());
        raw->AddParam(std::unique_ptr<TfsParamItem>(p));
        raw->Prog()->AddSymbolUnowned(paramName, p);
      }
    }
  }
}

std::unique_ptr<TfsCustomVariable> TfsProgramBuilder::createVariable(const QString& name, const TfsXMLItem* var,
                                                                     TfsScript* script, bool isParam, bool byRef,
                                                                     TfsStatement* list) {
  const int typeIndex = var->Find(u"type");
  const bool typeFirst = typeIndex == 0;
  QString typeName = QStringLiteral("Variant");
  if (typeIndex >= 0) {
    at(var->Items(typeIndex));
    typeName = textOf(var->Items(typeIndex));
  }
  TfsTypeRec type = resolveType(typeName, script);
  Variant initial = initialValue(type.Typ);

  // The array and init that belong to this name: after its ident, up to the
  // next ident when the type comes first (each name has its own), else
  // shared by all names of the element.
  int identIndex = -1;
  for (int i = 0; i < var->Count() && identIndex < 0; ++i)
    if (named(var->Items(i), "ident") && textOf(var->Items(i)).compare(name, Qt::CaseInsensitive) == 0) identIndex = i;
  const TfsXMLItem* arrayElement = nullptr;
  const TfsXMLItem* initElement = nullptr;
  for (int i = identIndex + 1; i < var->Count(); ++i) {
    const TfsXMLItem* c = var->Items(i);
    if (named(c, "ident")) {
      if (typeFirst) break;
      continue;
    }
    if (named(c, "array") && !arrayElement) arrayElement = c;
    if (named(c, "init") && !initElement) initElement = c;
  }

  TfsArrayHelper* helper = nullptr;
  if (arrayElement) {
    at(arrayElement);
    std::vector<VariantArray::Bound> bounds;
    for (int i = 0; i < arrayElement->Count(); ++i) {
      const TfsXMLItem* dim = arrayElement->Items(i);
      if (!named(dim, "dim")) continue;
      at(dim);
      std::vector<int> values;
      for (int j = 0; j < dim->Count(); ++j)
        if (named(dim->Items(j), "expr")) values.push_back(compileExpression(dim->Items(j), script)->GetValue().ToInt());
      if (values.size() >= 2) bounds.push_back({values[0], values[1]});
      else if (values.size() == 1) bounds.push_back({0, values[0] - 1});
    }
    if (bounds.empty()) bounds.push_back({0, 0});
    try {
      initial = Variant::FromArray(VariantArray(bounds, vt::Variant));
    } catch (const ScriptError& e) {
      fail(e.message());
    }
    auto h = std::make_unique<TfsArrayHelper>(QString(), int(bounds.size()), type.Typ, type.TypeName);
    helper = h.get();
    script->AddSymbol(QString(), h.release());
    type = {fvtArray, QStringLiteral("Array")};
  }

  std::unique_ptr<TfsCustomVariable> item;
  if (isParam) item = std::make_unique<TfsParamItem>(name, type.Typ, type.TypeName, initElement != nullptr, byRef);
  else item = makeVariable(name, type);
  item->Value = initial;
  item->RefItem = helper;
  item->SourcePos = identIndex >= 0 ? posOf(var->Items(identIndex)) : posOf(var);
  item->SourceUnit = unitName_;
  if (!isParam) item->OnGetVarValue = mainScript_->OnGetVarValue;

  if (initElement) {
    at(initElement);
    const TfsXMLItem* exprElement = child(initElement, "expr");
    if (!exprElement) fail(InvalidFileFormatText());
    std::unique_ptr<TfsExpression> expression = compileExpression(exprElement, script);
    checkCompatible(type, {expression->Typ, expression->TypeName}, script);
    if (!list) {
      const Variant value = expression->GetValue();
      if (isParam) {
        static_cast<TfsParamItem*>(item.get())->DefValue = value;
        item->Value = value;
      } else {
        item->SetValue(value);
      }
    } else {
      auto target = std::make_unique<TfsVariableDesignator>(script, item.get());
      target->Typ = item->Typ;
      target->TypeName = item->TypeName;
      auto statement = std::make_unique<TfsAssignmentStmt>(script, unitName_, posOf(var));
      statement->SetParts(std::move(target), std::move(expression));
      mainScript_->RecordCodeLine(unitName_, posOf(var));
      list->Add(std::move(statement));
    }
  }
  return item;
}

void TfsProgramBuilder::processVar(const TfsXMLItem* element, TfsScript* script, TfsStatement* list) {
  for (int i = 0; i < element->Count(); ++i) {
    const TfsXMLItem* ident = element->Items(i);
    if (!named(ident, "ident")) continue;
    at(ident);
    const QString name = textOf(ident);
    checkRedeclared(name, script);
    std::unique_ptr<TfsCustomVariable> variable = createVariable(name, element, script, false, false, list);
    script->AddSymbol(name, variable.release());
  }
}

void TfsProgramBuilder::processConst(const TfsXMLItem* element, TfsScript* script) {
  const TfsXMLItem* ident = child(element, "ident");
  const TfsXMLItem* exprElement = child(element, "expr");
  if (!ident || !exprElement) fail(InvalidFileFormatText());
  at(ident);
  const QString name = textOf(ident);
  checkRedeclared(name, script);
  std::unique_ptr<TfsExpression> expression = compileExpression(exprElement, script);
  auto constant = std::make_unique<TfsVariable>(name, expression->Typ, expression->TypeName);
  constant->Value = expression->GetValue();
  constant->IsReadOnly = true;
  constant->SourcePos = posOf(ident);
  constant->SourceUnit = unitName_;
  script->AddSymbol(name, constant.release());
}

void TfsProgramBuilder::processUses(const TfsXMLItem* element, TfsScript* script) {
  const QString previous = unitName_;
  unitName_ = element->Prop(u"unit");
  QString unitText;
  if (mainScript_->OnGetILUnit) mainScript_->OnGetILUnit(script, unitName_, unitText);
  if (!unitText.isEmpty()) {
    TfsXMLDocument document;
    document.LoadFromData(unitText.toUtf8());
    processProgram(document.Root(), script);
  } else {
    for (int i = 0; i < element->Count(); ++i) processProgram(element->Items(i), script);
  }
  // An error leaves the unit's name for the error report.
  unitName_ = previous;
}

// ---- Statements ---------------------------------------------------------------------------

void TfsProgramBuilder::processStatement(const TfsXMLItem* element, TfsScript* script, TfsStatement* list) {
  at(element);
  if (StackIsLow()) fail(ScriptMessage(SNestingTooDeep));
  const QString name = element->Name().toLower();
  if (name == u"procedure" || name == u"function") {
    TfsProcVariable* proc = routines_.value(element);
    if (!proc) {
      const TfsXMLItem* nameElement = child(element, "name");
      TfsCustomVariable* item = nameElement ? script->FindSymbol(textOf(nameElement)) : nullptr;
      if (!item || item->Kind() != TfsCustomVariable::ItemKind::Proc) fail(InvalidFileFormatText());
      proc = static_cast<TfsProcVariable*>(item);
    }
    processProgram(element, proc->Prog());
    return;
  }
  if (name == u"var") return processVar(element, script, list);
  if (name == u"const") return processConst(element, script);
  if (name == u"uses") return processUses(element, script);
  if (name == u"compoundstmt") {
    for (int i = 0; i < element->Count(); ++i) processStatement(element->Items(i), script, list);
    return;
  }

  using Build = void (TfsProgramBuilder::*)(const TfsXMLItem*, TfsScript*, TfsStatement*);
  struct Entry {
    const char16_t* name;
    Build build;
  };
  static const Entry kStatements[] = {
      {u"assignstmt", &TfsProgramBuilder::buildAssign}, {u"callstmt", &TfsProgramBuilder::buildCall},
      {u"ifstmt", &TfsProgramBuilder::buildIf},         {u"casestmt", &TfsProgramBuilder::buildCase},
      {u"repeatstmt", &TfsProgramBuilder::buildRepeat}, {u"whilestmt", &TfsProgramBuilder::buildWhile},
      {u"forstmt", &TfsProgramBuilder::buildFor},       {u"vbforstmt", &TfsProgramBuilder::buildVbFor},
      {u"cppforstmt", &TfsProgramBuilder::buildCppFor}, {u"trystmt", &TfsProgramBuilder::buildTry},
      {u"return", &TfsProgramBuilder::buildReturn},     {u"with", &TfsProgramBuilder::buildWith},
      {u"delete", &TfsProgramBuilder::buildDelete},
  };
  for (const Entry& e : kStatements) {
    if (name == QStringView(e.name)) {
      mainScript_->RecordCodeLine(unitName_, posOf(element));
      ++depth_;
      (this->*e.build)(element, script, list);
      --depth_;
      return;
    }
  }
  const QString pos = posOf(element);
  if (name == u"break") {
    mainScript_->RecordCodeLine(unitName_, pos);
    list->Add(std::make_unique<TfsBreakStmt>(script, unitName_, pos));
  } else if (name == u"continue") {
    mainScript_->RecordCodeLine(unitName_, pos);
    list->Add(std::make_unique<TfsContinueStmt>(script, unitName_, pos));
  } else if (name == u"exit") {
    mainScript_->RecordCodeLine(unitName_, pos);
    list->Add(std::make_unique<TfsExitStmt>(script, unitName_, pos));
  }
  // Other elements ("empty", the routine's "name", "types" ...) build nothing.
}

void TfsProgramBuilder::addAssignment(std::unique_ptr<TfsDesignator> target, std::unique_ptr<TfsExpression> source,
                                      const TfsXMLItem* element, TfsScript* script, TfsStatement* list,
                                      const QString& givenModificator) {
  checkCompatible({target->Typ, target->TypeName}, {source->Typ, source->TypeName}, script);
  QString modificator = givenModificator;
  if (modificator.isEmpty()) modificator = source->Optimize(target.get());
  const QString pos = posOf(element);
  std::unique_ptr<TfsAssignmentStmt> statement;
  if (modificator == u"+") statement = std::make_unique<TfsAssignPlusStmt>(script, unitName_, pos);
  else if (modificator == u"-") statement = std::make_unique<TfsAssignMinusStmt>(script, unitName_, pos);
  else if (modificator == u"*") statement = std::make_unique<TfsAssignMulStmt>(script, unitName_, pos);
  else if (modificator == u"/") statement = std::make_unique<TfsAssignDivStmt>(script, unitName_, pos);
  else statement = std::make_unique<TfsAssignmentStmt>(script, unitName_, pos);
  statement->SetParts(std::move(target), std::move(source));
  list->Add(std::move(statement));
}

void TfsProgramBuilder::buildAssign(const TfsXMLItem* element, TfsScript* script, TfsStatement* list) {
  const TfsXMLItem* dsgn = child(element, "dsgn");
  const TfsXMLItem* exprElement = child(element, "expr");
  if (!dsgn || !exprElement) fail(InvalidFileFormatText());
  std::unique_ptr<TfsDesignator> target = compileDesignator(dsgn, script, DesignatorMode::Plain);
  if (target->IsReadOnly) fail(ProgramMessage(SLeftCantAssigned));
  const TfsXMLItem* modificator = child(element, "modificator");
  std::unique_ptr<TfsExpression> source = compileExpression(exprElement, script);
  addAssignment(std::move(target), std::move(source), element, script, list,
                modificator ? textOf(modificator) : QString());
}

void TfsProgramBuilder::buildCall(const TfsXMLItem* element, TfsScript* script, TfsStatement* list) {
  const TfsXMLItem* dsgn = child(element, "dsgn");
  if (!dsgn) fail(InvalidFileFormatText());
  auto statement = std::make_unique<TfsCallStmt>(script, unitName_, posOf(element));
  statement->Designator = compileDesignator(dsgn, script, DesignatorMode::Plain);
  if (const TfsXMLItem* modificator = child(element, "modificator")) {
    at(modificator);
    statement->Modificator = textOf(modificator);
    if (statement->Designator->IsReadOnly) fail(ProgramMessage(SLeftCantAssigned));
  } else {
    statement->Designator->NeedResult = false;
  }
  list->Add(std::move(statement));
}

void TfsProgramBuilder::buildIf(const TfsXMLItem* element, TfsScript* script, TfsStatement* list) {
  if (element->Count() == 0) fail(InvalidFileFormatText());
  auto statement = std::make_unique<TfsIfStmt>(script, unitName_, posOf(element));
  statement->Condition = compileExpression(element->Items(0), script);
  for (int i = 1; i < element->Count(); ++i) {
    const TfsXMLItem* branch = element->Items(i);
    at(branch);
    TfsStatement* target = named(branch, "thenstmt")   ? statement.get()
                           : named(branch, "elsestmt") ? statement->ElseStmt.get()
                                                       : nullptr;
    if (!target) continue;
    for (int j = 0; j < branch->Count(); ++j) processStatement(branch->Items(j), script, target);
  }
  list->Add(std::move(statement));
}

void TfsProgramBuilder::buildCase(const TfsXMLItem* element, TfsScript* script, TfsStatement* list) {
  if (element->Count() == 0) fail(InvalidFileFormatText());
  auto statement = std::make_unique<TfsCaseStmt>(script, unitName_, posOf(element));
  statement->Condition = compileExpression(element->Items(0), script);
  const int count = element->Count();
  for (int i = 1; i < count; ++i) {
    const TfsXMLItem* c = element->Items(i);
    at(c);
    if (named(c, "caseselector")) {
      if (c->Count() != 2) continue;
      auto selector = std::make_unique<TfsCaseSelector>(script, unitName_, posOf(c));
      selector->SetExpression = compileSet(c->Items(0), script);
      processStatement(c->Items(1), script, selector.get());
      statement->Add(std::move(selector));
    } else if (i == count - 1) {
      processStatement(c, script, statement->ElseStmt.get());
    }
  }
  list->Add(std::move(statement));
}

void TfsProgramBuilder::buildRepeat(const TfsXMLItem* element, TfsScript* script, TfsStatement* list) {
  const int count = element->Count();
  if (count == 0) fail(InvalidFileFormatText());
  auto statement = std::make_unique<TfsRepeatStmt>(script, unitName_, posOf(element));
  const bool inverse = named(element->Items(count - 1), "inverse");
  const int conditionIndex = inverse ? count - 2 : count - 1;
  if (conditionIndex < 0) fail(InvalidFileFormatText());
  statement->InverseCondition = inverse;
  for (int i = 0; i < conditionIndex; ++i) processStatement(element->Items(i), script, statement.get());
  statement->Condition = compileExpression(element->Items(conditionIndex), script);
  list->Add(std::move(statement));
}

void TfsProgramBuilder::buildWhile(const TfsXMLItem* element, TfsScript* script, TfsStatement* list) {
  if (element->Count() == 0) fail(InvalidFileFormatText());
  auto statement = std::make_unique<TfsWhileStmt>(script, unitName_, posOf(element));
  statement->Condition = compileExpression(element->Items(0), script);
  if (element->Count() > 1) processStatement(element->Items(1), script, statement.get());
  list->Add(std::move(statement));
}

TfsCustomVariable* TfsProgramBuilder::loopVariable(const TfsXMLItem* ident, TfsScript* script) {
  at(ident);
  const QString name = textOf(ident);
  TfsCustomVariable* item = script->FindSymbol(name);
  if (!item) {
    if (needDeclareVars_) fail(ProgramMessageQuoted(SIdUndeclared, name));
    auto v = std::make_unique<TfsVariable>(name, fvtVariant, QStringLiteral("Variant"));
    v->OnGetVarValue = mainScript_->OnGetVarValue;
    v->SourcePos = posOf(ident);
    v->SourceUnit = unitName_;
    item = v.get();
    mainScript_->AddSymbol(name, v.release());
  }
  if (item->Kind() != TfsCustomVariable::ItemKind::Variable ||
      !(item->Typ == fvtInt || item->Typ == fvtFloat || item->Typ == fvtVariant))
    fail(ProgramMessage(SForError));
  return item;
}

void TfsProgramBuilder::buildFor(const TfsXMLItem* element, TfsScript* script, TfsStatement* list) {
  const int count = element->Count();
  if (count < 3) fail(InvalidFileFormatText());
  auto statement = std::make_unique<TfsForStmt>(script, unitName_, posOf(element));
  TfsCustomVariable* variable = loopVariable(element->Items(0), script);
  statement->Variable = variable;
  const TfsTypeRec type{variable->Typ, variable->TypeName};
  statement->BeginValue = compileExpression(element->Items(1), script);
  checkCompatible(type, {statement->BeginValue->Typ, statement->BeginValue->TypeName}, script);
  int next = 2;
  if (named(element->Items(2), "downto")) {
    at(element->Items(2));
    statement->Down = true;
    next = 3;
  }
  if (next >= count) fail(InvalidFileFormatText());
  statement->EndValue = compileExpression(element->Items(next), script);
  checkCompatible(type, {statement->EndValue->Typ, statement->EndValue->TypeName}, script);
  if (next + 1 < count) processStatement(element->Items(next + 1), script, statement.get());
  list->Add(std::move(statement));
}

void TfsProgramBuilder::buildVbFor(const TfsXMLItem* element, TfsScript* script, TfsStatement* list) {
  const int count = element->Count();
  if (count < 3) fail(InvalidFileFormatText());
  auto statement = std::make_unique<TfsVbForStmt>(script, unitName_, posOf(element));
  TfsCustomVariable* variable = loopVariable(element->Items(0), script);
  statement->Variable = variable;
  const TfsTypeRec type{variable->Typ, variable->TypeName};
  statement->BeginValue = compileExpression(element->Items(1), script);
  checkCompatible(type, {statement->BeginValue->Typ, statement->BeginValue->TypeName}, script);
  statement->EndValue = compileExpression(element->Items(2), script);
  checkCompatible(type, {statement->EndValue->Typ, statement->EndValue->TypeName}, script);
  int next = 3;
  if (next < count && named(element->Items(next), "expr")) {
    statement->Step = compileExpression(element->Items(next), script);
    checkCompatible(type, {statement->Step->Typ, statement->Step->TypeName}, script);
    ++next;
  }
  if (next < count) processStatement(element->Items(next), script, statement.get());
  list->Add(std::move(statement));
}

void TfsProgramBuilder::buildCppFor(const TfsXMLItem* element, TfsScript* script, TfsStatement* list) {
  const int count = element->Count();
  auto statement = std::make_unique<TfsCppForStmt>(script, unitName_, posOf(element));
  if (count > 0) processStatement(element->Items(0), script, statement->FirstStmt.get());
  if (count > 1 && named(element->Items(1), "expr")) statement->Expression = compileExpression(element->Items(1), script);
  if (count > 2) processStatement(element->Items(2), script, statement->SecondStmt.get());
  if (count > 3) processStatement(element->Items(3), script, statement.get());
  list->Add(std::move(statement));
}

void TfsProgramBuilder::buildTry(const TfsXMLItem* element, TfsScript* script, TfsStatement* list) {
  auto statement = std::make_unique<TfsTryStmt>(script, unitName_, posOf(element));
  for (int i = 0; i < element->Count(); ++i) {
    const TfsXMLItem* c = element->Items(i);
    if (named(c, "exceptstmt") || named(c, "finallystmt")) {
      at(c);
      statement->IsExcept = named(c, "exceptstmt");
      for (int j = 0; j < c->Count(); ++j) processStatement(c->Items(j), script, statement->ExceptStmt.get());
    } else {
      processStatement(c, script, statement.get());
    }
  }
  list->Add(std::move(statement));
}

void TfsProgramBuilder::buildReturn(const TfsXMLItem* element, TfsScript* script, TfsStatement* list) {
  const QString pos = posOf(element);
  if (const TfsXMLItem* exprElement = child(element, "expr")) {
    TfsXMLItem result;
    result.SetName(QStringLiteral("dsgn"));
    result.SetProp(u"pos", pos);
    TfsXMLItem* node = result.Add();
    node->SetName(QStringLiteral("node"));
    node->SetProp(u"text", QStringLiteral("Result"));
    node->SetProp(u"pos", pos);
    std::unique_ptr<TfsDesignator> target = compileDesignator(&result, script, DesignatorMode::Plain);
    if (target->IsReadOnly) fail(ProgramMessage(SLeftCantAssigned));
    std::unique_ptr<TfsExpression> source = compileExpression(exprElement, script);
    addAssignment(std::move(target), std::move(source), element, script, list, QString());
  }
  list->Add(std::make_unique<TfsExitStmt>(script, unitName_, pos));
}

void TfsProgramBuilder::buildWith(const TfsXMLItem* element, TfsScript* script, TfsStatement* list) {
  const int count = element->Count();
  // The designators, then the statement; an empty statement leaves no
  // element, so a last "dsgn" is a designator too.
  const bool hasStatement = count > 0 && !named(element->Items(count - 1), "dsgn");
  const int designators = hasStatement ? count - 1 : count;
  size_t pushed = 0;
  for (int i = 0; i < designators; ++i) {
    std::unique_ptr<TfsDesignator> designator = compileDesignator(element->Items(i), script, DesignatorMode::Plain);
    if (designator->Typ != fvtClass && designator->Typ != fvtVariant) fail(ProgramMessage(SClassRequired));
    QString hidden;
    for (int n = 0;; ++n) {
      hidden = QStringLiteral("_WithList_%1").arg(n);
      bool taken = script->FindLocalSymbol(hidden) != nullptr;
      for (const WithEntry& w : withList_) taken = taken || w.name == hidden;
      if (!taken) break;
    }
    auto variable = std::make_unique<TfsVariable>(hidden, designator->Typ, designator->TypeName);
    TfsVariable* raw = variable.get();
    script->AddSymbol(hidden, variable.release());
    auto statement = std::make_unique<TfsWithStmt>(script, unitName_, posOf(element));
    statement->Variable = raw;
    statement->Designator = std::move(designator);
    list->Add(std::move(statement));
    withList_.push_back({hidden, raw});
    ++pushed;
  }
  if (hasStatement) processStatement(element->Items(count - 1), script, list);
  withList_.resize(withList_.size() - pushed);
}

void TfsProgramBuilder::buildDelete(const TfsXMLItem* element, TfsScript* script, TfsStatement* list) {
  const TfsXMLItem* dsgn = child(element, "dsgn");
  if (!dsgn) fail(InvalidFileFormatText());
  auto statement = std::make_unique<TfsCallStmt>(script, unitName_, posOf(element));
  statement->Designator = compileDesignator(dsgn, script, DesignatorMode::Delete);
  statement->Designator->NeedResult = false;
  list->Add(std::move(statement));
}

// ---- Expressions ----------------------------------------------------------------------------

Variant TfsProgramBuilder::literalValue(const TfsXMLItem* element) const {
  const QString text = textOf(element);
  if (text.startsWith(QLatin1Char('\''))) return Variant(text.mid(1, text.size() - 2));
  // A whole number (decimal, or hexadecimal after "$") of at most 64 bits;
  // anything else is a float with "." as its separator.
  const QByteArray bytes = text.toLatin1();
  const char* begin = bytes.constData();
  const char* end = begin + bytes.size();
  int base = 10;
  if (begin < end && *begin == '$') {
    ++begin;
    base = 16;
  }
  unsigned long long whole = 0;
  const auto r = std::from_chars(begin, end, whole, base);
  if (r.ec == std::errc() && r.ptr == end && begin != end) {
    if (whole < (1ULL << 31)) return Variant(int(whole));
    return Variant(static_cast<long long>(whole));
  }
  double d = 0;
  const auto f = std::from_chars(bytes.constData(), bytes.constData() + bytes.size(), d);
  if (f.ec == std::errc() && f.ptr == bytes.constData() + bytes.size()) return Variant(d);
  throw ScriptError(QStringLiteral("Invalid number: %1").arg(text));
}

QString TfsProgramBuilder::sourceBetween(const QString& from, const QString& to) const {
  // Only the main source's text is at hand; units give no source text.
  if (!unitName_.isEmpty()) return QString();
  int l1, c1, l2, c2;
  if (!parsePosition(from, &l1, &c1) || !parsePosition(to, &l2, &c2)) return QString();
  const QStringList& lines = mainScript_->Lines;
  if (l1 < 1 || l2 < l1 || l2 > lines.size()) return QString();
  QString out;
  for (int l = l1; l <= l2; ++l) {
    const QString& line = lines[l - 1];
    const int start = l == l1 ? c1 - 1 : 0;
    const int stop = l == l2 ? c2 - 1 : int(line.size());
    if (l > l1) out += QLatin1String("\r\n");
    out += line.mid(start, std::max(0, stop - start));
  }
  return out.trimmed();
}

std::unique_ptr<TfsExpression> TfsProgramBuilder::compileExpression(const TfsXMLItem* element, TfsScript* script) {
  at(element);
  if (StackIsLow()) fail(ScriptMessage(SNestingTooDeep));
  auto expression = std::make_unique<TfsExpression>(script);
  expression->SourcePos = posOf(element);
  expression->Source = sourceBetween(posOf(element), element->Prop(u"pos1"));
  addExpressionParts(expression.get(), element, script);
  if (expression->Depth() > TfsExpression::MaxDepth) fail(ScriptMessage(SNestingTooDeep));
  const QString error = expression->Finalize();
  if (!error.isEmpty()) {
    errorPos_ = error;
    fail(ProgramMessage(SIncompatibleTypes));
  }
  return expression;
}

void TfsProgramBuilder::addExpressionParts(TfsExpression* expression, const TfsXMLItem* element, TfsScript* script) {
  const int count = element->Count();
  for (int i = 0; i < count; ++i) {
    const TfsXMLItem* c = element->Items(i);
    at(c);
    if (named(c, "op")) {
      const QString op = textOf(c);
      // An operator left behind by an incomplete operation is dropped.
      if (i == count - 1 && op != u")") continue;
      expression->AddOperator(op, posOf(c));
    } else if (named(c, "number") || named(c, "string")) {
      expression->AddConst(literalValue(c), posOf(c));
    } else if (named(c, "dsgn")) {
      expression->AddDesignator(compileDesignator(c, script, DesignatorMode::Plain), posOf(c));
    } else if (named(c, "set")) {
      expression->AddSet(compileSet(c, script), posOf(c));
    } else if (named(c, "new")) {
      const TfsXMLItem* dsgn = child(c, "dsgn");
      if (!dsgn) fail(InvalidFileFormatText());
      expression->AddDesignator(compileDesignator(dsgn, script, DesignatorMode::New), posOf(c));
    } else if (named(c, "expr")) {
      if (StackIsLow()) fail(ScriptMessage(SNestingTooDeep));
      addExpressionParts(expression, c, script);
    }
  }
}

std::unique_ptr<TfsSetExpression> TfsProgramBuilder::compileSet(const TfsXMLItem* element, TfsScript* script) {
  at(element);
  auto set = std::make_unique<TfsSetExpression>();
  for (int i = 0; i < element->Count(); ++i) {
    const TfsXMLItem* c = element->Items(i);
    if (named(c, "expr")) set->Add(compileExpression(c, script));
    else if (named(c, "range")) set->Add(nullptr);
  }
  return set;
}

// ---- Designators ------------------------------------------------------------------------------

// The compilation of one designator: its links from left to right, each with
// the type it gives, then the implied "Free" of a delete, the arguments
// against the parameters, and the designator's fast form.
class TfsProgramBuilder::DesignatorCompiler {
public:
  DesignatorCompiler(TfsProgramBuilder& builder, const TfsXMLItem* element, TfsScript* script, DesignatorMode mode)
      : b_(builder),
        element_(element),
        script_(script),
        mode_(mode),
        designator_(std::make_unique<TfsDesignator>(script)),
        links_(designator_->Items) {}

  std::unique_ptr<TfsDesignator> run() {
    // "@Name" is a constant, not a chain of links.
    if (element_->Count() > 0 && named(element_->Items(0), "addr")) return routineAddress();
    // The links, name by name, with their arguments.
    compileLinks();
    if (links_.empty()) b_.fail(InvalidFileFormatText());
    // A delete frees what the links give.
    if (mode_ == DesignatorMode::Delete) addFree();
    // Argument counts, defaults and types.
    checkArguments();
    // The designator's type and its fast form.
    return finish();
  }

private:
  // "@Name": the routine passed by its name, as a string constant.
  std::unique_ptr<TfsDesignator> routineAddress() {
    const int count = element_->Count();
    b_.at(element_->Items(0));
    if (count != 2 || !named(element_->Items(1), "node")) b_.fail(ProgramMessage(SVarRequired));
    b_.at(element_->Items(1));
    auto constant = std::make_unique<TfsVariable>(QString(), fvtString, QStringLiteral("String"));
    constant->Value = Variant(textOf(element_->Items(1)));
    constant->IsReadOnly = true;
    auto result = std::make_unique<TfsVariableDesignator>(script_, constant.get());
    auto link = std::make_unique<TfsDesignatorItem>();
    link->Ref = constant.get();
    link->OwnedRef = std::move(constant);
    result->Items.push_back(std::move(link));
    result->Typ = fvtString;
    result->TypeName = QStringLiteral("String");
    result->IsReadOnly = true;
    return result;
  }

  // Appends a link and notes the type it gives.
  void push(std::unique_ptr<TfsDesignatorItem> link) {
    links_.push_back(std::move(link));
    linkTypes_.resize(links_.size());
    linkTypes_.back() = typeOfLast();
  }

  // A link to an item known now.
  void addLink(TfsCustomVariable* item, const QString& pos) {
    auto link = std::make_unique<TfsDesignatorItem>();
    link->Ref = item;
    link->SourcePos = pos;
    push(std::move(link));
  }

  // A link to a member found only at run time.
  void addDynamic(const QString& name, const QString& pos) {
    auto link = std::make_unique<TfsDesignatorItem>();
    link->Dynamic = true;
    link->MemberName = name;
    link->SourcePos = pos;
    push(std::move(link));
  }

  // What the last link gives: its item's type; a constructor gives the
  // class of the link before it.
  TfsTypeRec typeOfLast() const {
    if (links_.empty() || links_.back()->Dynamic) return {fvtVariant, QStringLiteral("Variant")};
    TfsCustomVariable* item = links_.back()->Ref;
    if (item->Typ == fvtConstructor) {
      const QString cls = links_.size() >= 2 && !links_[links_.size() - 2]->Dynamic
                              ? linkTypes_[links_.size() - 2].TypeName
                              : QString();
      return {fvtClass, cls};
    }
    return {item->Typ, item->TypeName};
  }

  // A symbol the language's library must have ("__ArrayHelper", ...).
  TfsCustomVariable* requiredSymbol(const QString& name) {
    TfsCustomVariable* symbol = script_->FindSymbol(name);
    if (!symbol) b_.fail(ProgramMessageQuoted(SIdUndeclared, name));
    return symbol;
  }

  // The names and arguments in order: each argument goes to the link before it.
  void compileLinks() {
    const int count = element_->Count();
    for (int i = 0; i < count; ++i) {
      const TfsXMLItem* c = element_->Items(i);
      if (named(c, "expr")) {
        if (!links_.empty()) links_.back()->Args.push_back(b_.compileExpression(c, script_));
        continue;
      }
      if (!named(c, "node")) continue;
      b_.at(c);
      const QString name = textOf(c);
      const QString pos = posOf(c);
      if (links_.empty()) {
        firstNode_ = i;
        firstLink(name, pos);
      } else if (dynamic_) {
        addDynamic(name, pos);
      } else {
        nextLink(name, pos, i);
      }
    }
  }

  // The first name: a member of an open with-block, else a symbol (an
  // undeclared one becomes a variable where the language allows); after
  // "new", the class's constructor follows.
  void firstLink(const QString& name, const QString& pos) {
    if (!withBlockLink(name, pos)) addLink(symbolOrNewVariable(name, pos), pos);
    if (mode_ == DesignatorMode::New) {
      if (links_.back()->Dynamic || links_.back()->Ref->Kind() != TfsCustomVariable::ItemKind::Class)
        b_.fail(ProgramMessage(SClassRequired));
      auto* cls = static_cast<TfsClassVariable*>(links_.back()->Ref);
      TfsCustomHelper* create = cls->FindMember(QStringLiteral("Create"));
      if (!create) b_.fail(ProgramMessageQuoted(SIdUndeclared, QStringLiteral("Create")));
      addLink(create, pos);
    }
  }

  // Open with-blocks, innermost first; true when one of them has the name.
  bool withBlockLink(const QString& name, const QString& pos) {
    for (auto w = b_.withList_.rbegin(); w != b_.withList_.rend(); ++w) {
      TfsCustomVariable* hidden = w->variable;
      if (hidden->Typ == fvtVariant) {
        if (script_->FindSymbol(name)) return false;
        // A member of an object known only at run time.
        addLink(hidden, pos);
        addDynamic(name, pos);
        dynamic_ = true;
        return true;
      }
      if (hidden->Typ == fvtClass) {
        TfsClassVariable* cls = script_->FindClassItem(hidden->TypeName);
        if (TfsCustomHelper* member = cls ? cls->FindMember(name) : nullptr) {
          addLink(hidden, pos);
          addLink(member, pos);
          return true;
        }
      }
    }
    return false;
  }

  TfsCustomVariable* symbolOrNewVariable(const QString& name, const QString& pos) {
    if (TfsCustomVariable* item = script_->FindSymbol(name)) return item;
    if (b_.needDeclareVars_) b_.fail(ProgramMessageQuoted(SIdUndeclared, name));
    auto v = std::make_unique<TfsVariable>(name, fvtVariant, QStringLiteral("Variant"));
    v->OnGetVarValue = b_.mainScript_->OnGetVarValue;
    v->SourcePos = pos;
    v->SourceUnit = b_.unitName_;
    TfsCustomVariable* item = v.get();
    b_.mainScript_->AddSymbol(name, v.release());
    return item;
  }

  // A name after the first, resolved by the type the links so far give; i
  // is the element's index (late binding starts again after the first name).
  void nextLink(const QString& name, const QString& pos, int& i) {
    TfsDesignatorItem* previousLink = links_.back().get();
    TfsCustomVariable* p = previousLink->Ref;
    // An indexed property takes the "[" that follows as its index.
    if (auto* method = dynamic_cast<TfsMethodHelper*>(p); method && method->IndexMethod && !previousLink->Flag) {
      if (name != u"[") b_.fail(ProgramMessage(SIndexRequired));
      previousLink->Flag = true;
      return;
    }
    TfsTypeRec type = linkTypes_.back();
    const bool readable = p->Kind() == TfsCustomVariable::ItemKind::Variable ||
                          p->Kind() == TfsCustomVariable::ItemKind::StringVariable ||
                          p->Kind() == TfsCustomVariable::ItemKind::Param;
    if (type.Typ == fvtVariant && variantLink(name, pos, readable ? p->GetValue() : Variant::Null(), type)) return;
    if (type.Typ == fvtString || type.Typ == fvtChar) {
      if (name != u"[") b_.fail(ProgramMessage(SStringError));
      addLink(requiredSymbol(QStringLiteral("__StringHelper")), pos);
      return;
    }
    if (type.Typ == fvtClass) {
      classLink(name, pos, readable ? p : nullptr, type, i);
      return;
    }
    if (type.Typ == fvtArray && name == u"[") {
      TfsCustomVariable* helper = p->RefItem;
      if (!helper || helper->Kind() != TfsCustomVariable::ItemKind::Helper)
        helper = requiredSymbol(QStringLiteral("__ArrayHelper"));
      addLink(helper, pos);
      return;
    }
    b_.fail(ProgramMessage(SArrayRequired));
  }

  // After a link of no declared type, what it holds now decides (a host may
  // have stored an object before compiling): a text or a class sets type;
  // an array's index, or anything else as a run-time member, is linked here
  // and gives true.
  bool variantLink(const QString& name, const QString& pos, const Variant& value, TfsTypeRec& type) {
    if (value.IsString()) {
      type = {fvtString, QStringLiteral("String")};
    } else if (value.IsArray()) {
      if (name != u"[") b_.fail(ProgramMessage(SIndexRequired));
      addLink(requiredSymbol(QStringLiteral("__ArrayHelper")), pos);
      return true;
    } else if (QObject* object = value.AsObject()) {
      if (TfsClassVariable* cls = script_->FindClassItemOf(object->metaObject())) type = {fvtClass, cls->Name()};
    }
    if (type.Typ != fvtVariant) return false;
    dynamic_ = true;
    addDynamic(name, pos);
    return true;
  }

  // A name after a link of a class: its default property for "[", a member,
  // a component the object owns; else late binding when the script allows
  // it. holder: the link before when it is one that holds a value, else null.
  void classLink(const QString& name, const QString& pos, TfsCustomVariable* holder, const TfsTypeRec& type,
                 int& i) {
    TfsClassVariable* cls = script_->FindClassItem(type.TypeName);
    if (!cls) b_.fail(ProgramMessageQuoted(SUnknownType, type.TypeName));
    if (name == u"[") {
      if (!cls->DefProperty) b_.fail(FormatProgramMessage(SClassError, cls->Name()));
      addLink(cls->DefProperty, pos);
      links_.back()->Flag = true;
      return;
    }
    if (TfsCustomHelper* member = cls->FindMember(name)) {
      addLink(member, pos);
      return;
    }
    if (ownedComponentLink(name, pos, holder ? holder->GetValue().AsObject() : nullptr)) return;
    if (!script_->Running && script_->LateBindMembers) {
      // All links after the first are resolved at run time. The walk starts
      // again after the first name, so its arguments are taken again too.
      links_.resize(1);
      linkTypes_.resize(1);
      links_[0]->Args.clear();
      dynamic_ = true;
      i = firstNode_;
      return;
    }
    b_.fail(ProgramMessageQuoted(SIdUndeclared, name));
  }

  // A component that the object in the variable owns, held as a constant
  // link; false when it owns none of that name.
  bool ownedComponentLink(const QString& name, const QString& pos, QObject* owner) {
    if (!owner) return false;
    QObject* found = nullptr;
    for (QObject* o : owner->children())
      if (o->objectName().compare(name, Qt::CaseInsensitive) == 0) found = o;
    if (!found) return false;
    const TfsClassVariable* foundClass = script_->FindClassItemOf(found->metaObject());
    auto holder = std::make_unique<TfsVariable>(name, fvtClass,
                                                foundClass ? foundClass->Name() : ScriptClassName(found->metaObject()));
    holder->Value = Variant::FromObject(found);
    holder->IsReadOnly = true;
    auto link = std::make_unique<TfsDesignatorItem>();
    link->Ref = holder.get();
    link->OwnedRef = std::move(holder);
    link->SourcePos = pos;
    push(std::move(link));
    return true;
  }

  // "delete x": the object's "Free" as the last link.
  void addFree() {
    const TfsTypeRec last = linkTypes_.back();
    if (last.Typ != fvtClass && last.Typ != fvtVariant) b_.fail(ProgramMessage(SClassRequired));
    if (dynamic_ || last.Typ == fvtVariant) {
      addDynamic(QStringLiteral("Free"), links_.back()->SourcePos);
      dynamic_ = true;
    } else {
      TfsClassVariable* tobject = script_->FindClassItem(QStringLiteral("TObject"));
      TfsCustomHelper* free = tobject ? tobject->FindMember(QStringLiteral("Free")) : nullptr;
      if (!free) b_.fail(ProgramMessageQuoted(SIdUndeclared, QStringLiteral("Free")));
      addLink(free, links_.back()->SourcePos);
    }
  }

  // Arguments: their number against the parameters, defaults for those
  // left out, each compatible with its parameter.
  void checkArguments() {
    for (auto& link : links_) {
      if (link->Dynamic) continue;
      TfsCustomVariable* item = link->Ref;
      if (item->Kind() == TfsCustomVariable::ItemKind::Designator) continue;
      const int given = int(link->Args.size());
      if (given < item->RequiredCount()) b_.fail(ProgramMessage(SNotEnoughParams));
      if (given > item->Count()) b_.fail(ProgramMessage(STooManyParams));
      for (int j = 0; j < given; ++j) {
        TfsParamItem* param = item->Params(j);
        TfsExpression* arg = link->Args[size_t(j)].get();
        if (!TypesCompatible({param->Typ, param->TypeName}, {arg->Typ, arg->TypeName}, script_)) {
          b_.errorPos_ = arg->SourcePos;
          b_.fail(ProgramMessage(SIncompatibleTypes) + QStringLiteral(": '%1', '%2'")
                                                           .arg(TypeDisplayName(param->Typ, param->TypeName),
                                                                TypeDisplayName(arg->Typ, arg->TypeName)));
        }
      }
      for (int j = given; j < item->Count(); ++j) {
        auto constant = std::make_unique<TfsExpression>(script_);
        constant->AddConst(item->Params(j)->DefValue, link->SourcePos);
        constant->Finalize();
        link->Args.push_back(std::move(constant));
      }
    }
  }

  // The designator's type is the last link's; then the fast forms.
  std::unique_ptr<TfsDesignator> finish() {
    const TfsTypeRec type = dynamic_ ? TfsTypeRec{fvtVariant, QStringLiteral("Variant")} : linkTypes_.back();
    const bool readOnly = !dynamic_ && links_.back()->Ref->IsReadOnly;
    std::unique_ptr<TfsDesignator> result;
    const auto kindOf = [&](size_t i) {
      return links_[i]->Dynamic ? TfsCustomVariable::ItemKind::Other : links_[i]->Ref->Kind();
    };
    using K = TfsCustomVariable::ItemKind;
    if (!dynamic_ && links_.size() == 1 && links_[0]->Args.empty() &&
        (kindOf(0) == K::Variable || kindOf(0) == K::StringVariable || kindOf(0) == K::Param)) {
      result = std::make_unique<TfsVariableDesignator>(script_, links_[0]->Ref);
    } else if (!dynamic_ && links_.size() == 1 && kindOf(0) == K::Proc) {
      result = std::make_unique<TfsRoutineDesignator>(script_);
    } else if (!dynamic_ && links_.size() == 2 && kindOf(0) == K::StringVariable && links_[0]->Args.empty() &&
               dynamic_cast<TfsStringHelper*>(links_[1]->Ref) && links_[1]->Args.size() == 1) {
      result = std::make_unique<TfsStringDesignator>(script_);
    } else if (!dynamic_ && links_.size() == 2 && kindOf(0) == K::Variable && links_[0]->Ref->Typ == fvtArray &&
               links_[0]->Args.empty() && dynamic_cast<TfsArrayHelper*>(links_[1]->Ref)) {
      result = std::make_unique<TfsArrayDesignator>(script_);
    }
    std::unique_ptr<TfsDesignator> designator = std::move(designator_);
    if (result) {
      result->Items = std::move(designator->Items);
      designator = std::move(result);
    }
    designator->Typ = type.Typ;
    designator->TypeName = type.TypeName;
    designator->IsReadOnly = readOnly;
    designator->SourcePos = posOf(element_);
    return designator;
  }

  TfsProgramBuilder& b_;
  const TfsXMLItem* element_;
  TfsScript* script_;
  DesignatorMode mode_;
  std::unique_ptr<TfsDesignator> designator_;
  std::vector<std::unique_ptr<TfsDesignatorItem>>& links_;  // designator_'s
  std::vector<TfsTypeRec> linkTypes_;                       // what each link gives
  bool dynamic_ = false;                                    // the links from here on resolved at run time
  int firstNode_ = -1;                                      // element index of the first name
};

std::unique_ptr<TfsDesignator> TfsProgramBuilder::compileDesignator(const TfsXMLItem* element, TfsScript* script,
                                                                    DesignatorMode mode) {
  at(element);
  if (StackIsLow()) fail(ScriptMessage(SNestingTooDeep));
  return DesignatorCompiler(*this, element, script, mode).run();
}

// ---- Types ----------------------------------------------------------------------------------

QString TfsProgramBuilder::applyAlias(const QString& name) const {
  for (const TfsXMLItem* types : {programTypes_, grammarTypes_}) {
    if (!types) continue;
    const int i = types->Find(name);
    if (i >= 0) {
      const QString target = types->Items(i)->Prop(u"type");
      if (!target.isEmpty()) return target;
    }
  }
  return name;
}

TfsTypeRec TfsProgramBuilder::resolveType(const QString& name, TfsScript* script) const {
  return script->ResolveType(applyAlias(name));
}

void TfsProgramBuilder::checkCompatible(const TfsTypeRec& target, const TfsTypeRec& source, TfsScript* script) {
  if (TypesCompatible(target, source, script)) return;
  fail(ProgramMessage(SIncompatibleTypes) + QStringLiteral(": '%1', '%2'")
                                                .arg(TypeDisplayName(target.Typ, target.TypeName),
                                                     TypeDisplayName(source.Typ, source.TypeName)));
}

}  // namespace valmoro::script
