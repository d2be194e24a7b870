#pragma once
// Statements: the executable part of the program tree. A statement is also
// a list of statements (its body); TfsStatement itself is the plain block.
//
// Control travels through flags of the statement's script: BreakRequested
// and ContinueRequested (cleared by the loops), ExitRequested and
// StopRequested (cleared when a run or a routine call begins and ends). A
// routine runs in its own child script, so exit leaves only the routine.

#include <QString>
#include <memory>
#include <vector>

#include "program_items.h"
#include "script.h"

namespace valmoro::script {

class TfsDesignator;
class TfsExpression;
class TfsSetExpression;

class TfsStatement : public TfsItemList {
public:
  TfsStatement(TfsScript* script, const QString& unitName, const QString& sourcePos);
  ~TfsStatement() override;

  // The plain block: its statements in order, until one of them requests
  // break, continue, exit or stop.
  virtual void Execute() { ExecuteBlock(); }
  void Clear() override { Items.clear(); }

  void Add(std::unique_ptr<TfsStatement> statement) { Items.push_back(std::move(statement)); }
  int Count() const { return int(Items.size()); }

  TfsScript* Prog;
  QString UnitName;
  QString SourcePos;
  std::vector<std::unique_ptr<TfsStatement>> Items;

  // The statements of the list in order (what Execute does for a plain
  // block), without the virtual call.
  void ExecuteBlock() {
    TfsScript* s = Prog;
    for (const auto& statement : Items) {
      if (s->StopRequested) break;
      statement->Execute();
      if (s->BreakRequested || s->ContinueRequested || s->ExitRequested) break;
    }
  }

protected:
  // The run-line notification; true when the statement should do nothing
  // more because a stop was requested.
  bool runLine() {
    if (TfsScript::AnyRunLineHandler()) Prog->NotifyRunLine(UnitName, SourcePos);
    return Prog->StopRequested;
  }
};

// target := source. The target is the variable itself when the designator is
// a plain variable, the source a lone operand when the expression is one.
class TfsAssignmentStmt : public TfsStatement {
public:
  using TfsStatement::TfsStatement;
  ~TfsAssignmentStmt() override;
  void Execute() override;
  // Keeps what the statement reads and writes, owning both.
  void SetParts(std::unique_ptr<TfsDesignator> designator, std::unique_ptr<TfsExpression> expression);

  TfsCustomVariable* Designator = nullptr;
  TfsCustomVariable* Expression = nullptr;

protected:
  // The source is a variable or a constant: evaluating it runs no code.
  bool sourcePure_ = false;
  std::unique_ptr<TfsDesignator> ownedDesignator_;
  std::unique_ptr<TfsExpression> ownedExpression_;
  std::unique_ptr<TfsCustomVariable> ownedOperand_;
};

// target := target op source.
class TfsAssignPlusStmt : public TfsAssignmentStmt {
public:
  using TfsAssignmentStmt::TfsAssignmentStmt;
  void Execute() override;
};
class TfsAssignMinusStmt : public TfsAssignmentStmt {
public:
  using TfsAssignmentStmt::TfsAssignmentStmt;
  void Execute() override;
};
class TfsAssignMulStmt : public TfsAssignmentStmt {
public:
  using TfsAssignmentStmt::TfsAssignmentStmt;
  void Execute() override;
};
class TfsAssignDivStmt : public TfsAssignmentStmt {
public:
  using TfsAssignmentStmt::TfsAssignmentStmt;
  void Execute() override;
};

// A call, or ++ / -- with Modificator "+" / "-".
class TfsCallStmt : public TfsStatement {
public:
  using TfsStatement::TfsStatement;
  ~TfsCallStmt() override;
  void Execute() override;
  std::unique_ptr<TfsDesignator> Designator;
  QString Modificator;
};

class TfsIfStmt : public TfsStatement {
public:
  TfsIfStmt(TfsScript* script, const QString& unitName, const QString& sourcePos);
  ~TfsIfStmt() override;
  void Execute() override;
  std::unique_ptr<TfsExpression> Condition;
  std::unique_ptr<TfsStatement> ElseStmt;
};

class TfsCaseSelector : public TfsStatement {
public:
  using TfsStatement::TfsStatement;
  ~TfsCaseSelector() override;
  void Execute() override { ExecuteBlock(); }
  std::unique_ptr<TfsSetExpression> SetExpression;
};

class TfsCaseStmt : public TfsStatement {
public:
  TfsCaseStmt(TfsScript* script, const QString& unitName, const QString& sourcePos);
  ~TfsCaseStmt() override;
  void Execute() override;
  std::unique_ptr<TfsExpression> Condition;
  std::unique_ptr<TfsStatement> ElseStmt;
};

class TfsRepeatStmt : public TfsStatement {
public:
  using TfsStatement::TfsStatement;
  ~TfsRepeatStmt() override;
  void Execute() override;
  std::unique_ptr<TfsExpression> Condition;
  bool InverseCondition = false;
};

class TfsWhileStmt : public TfsStatement {
public:
  using TfsStatement::TfsStatement;
  ~TfsWhileStmt() override;
  void Execute() override;
  std::unique_ptr<TfsExpression> Condition;
};

class TfsForStmt : public TfsStatement {
public:
  using TfsStatement::TfsStatement;
  ~TfsForStmt() override;
  void Execute() override;
  TfsCustomVariable* Variable = nullptr;
  std::unique_ptr<TfsExpression> BeginValue;
  std::unique_ptr<TfsExpression> EndValue;
  bool Down = false;
};

class TfsVbForStmt : public TfsStatement {
public:
  using TfsStatement::TfsStatement;
  ~TfsVbForStmt() override;
  void Execute() override;
  TfsCustomVariable* Variable = nullptr;
  std::unique_ptr<TfsExpression> BeginValue;
  std::unique_ptr<TfsExpression> EndValue;
  std::unique_ptr<TfsExpression> Step;
};

class TfsCppForStmt : public TfsStatement {
public:
  TfsCppForStmt(TfsScript* script, const QString& unitName, const QString& sourcePos);
  ~TfsCppForStmt() override;
  void Execute() override;
  std::unique_ptr<TfsStatement> FirstStmt;
  std::unique_ptr<TfsExpression> Expression;
  std::unique_ptr<TfsStatement> SecondStmt;
};

class TfsTryStmt : public TfsStatement {
public:
  TfsTryStmt(TfsScript* script, const QString& unitName, const QString& sourcePos);
  ~TfsTryStmt() override;
  void Execute() override;
  bool IsExcept = false;
  std::unique_ptr<TfsStatement> ExceptStmt;  // the except or finally statements
};

class TfsBreakStmt : public TfsStatement {
public:
  using TfsStatement::TfsStatement;
  void Execute() override { Prog->BreakRequested = true; }
};

class TfsContinueStmt : public TfsStatement {
public:
  using TfsStatement::TfsStatement;
  void Execute() override { Prog->ContinueRequested = true; }
};

class TfsExitStmt : public TfsStatement {
public:
  using TfsStatement::TfsStatement;
  void Execute() override {
    runLine();
    Prog->ExitRequested = true;
  }
};

// Puts the object of a with-block into its hidden variable.
class TfsWithStmt : public TfsStatement {
public:
  using TfsStatement::TfsStatement;
  ~TfsWithStmt() override;
  void Execute() override;
  TfsCustomVariable* Variable = nullptr;
  std::unique_ptr<TfsDesignator> Designator;
};

}  // namespace valmoro::script
