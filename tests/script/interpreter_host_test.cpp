// What a host registers and how scripts reach it: functions in both handler
// conventions, classes with published and handler properties, methods,
// constructors, indexed and default properties, events, enumerations,
// variables; late binding through Variants and with-blocks; and the guards
// around nil and wrong-class objects.

#include <gtest/gtest.h>

#include <QObject>
#include <QPointer>

#include "qt_printers.h"
#include "run_support.h"
#include "script/host_classes.h"

namespace valmoro::script::test {

class TSample : public QObject {
  Q_OBJECT
  Q_PROPERTY(QString Caption READ caption WRITE setCaption)
  Q_PROPERTY(int Count READ count WRITE setCount)
  Q_PROPERTY(bool Active READ active WRITE setActive)
  Q_PROPERTY(double Ratio READ ratio WRITE setRatio)
  Q_PROPERTY(int Fixed READ fixed)
  Q_PROPERTY(TSample* Next READ next WRITE setNext)

public:
  Q_INVOKABLE explicit TSample(QObject* parent = nullptr) : QObject(parent) {}
  QString caption() const { return caption_; }
  void setCaption(const QString& c) { caption_ = c; }
  int count() const { return count_; }
  void setCount(int c) { count_ = c; }
  bool active() const { return active_; }
  void setActive(bool a) { active_ = a; }
  double ratio() const { return ratio_; }
  void setRatio(double r) { ratio_ = r; }
  int fixed() const { return 7; }
  TSample* next() const { return next_; }
  void setNext(TSample* n) { next_ = n; }
  void fire(int value) { emit fired(value); }

signals:
  void fired(int value);

private:
  QString caption_;
  int count_ = 0;
  bool active_ = false;
  double ratio_ = 0;
  QPointer<TSample> next_;
};

class TSampleList : public TSample {
  Q_OBJECT

public:
  Q_INVOKABLE explicit TSampleList(QObject* parent = nullptr) : TSample(parent) {}
  QStringList items;
};

class TOtherThing : public QObject {
  Q_OBJECT
};

namespace {

// Calls the routine named by the script for each "fired" signal.
class FiredEvent : public TfsCustomEvent {
public:
  using TfsCustomEvent::TfsCustomEvent;
  ~FiredEvent() override { FiredEvent::Disconnect(); }
  void Connect() override {
    connection_ = QObject::connect(static_cast<TSample*>(Instance()), &TSample::fired, [this](int value) {
      std::vector<Variant> args{Variant::FromObject(Instance()), Variant(value)};
      CallHandler(args);
    });
  }
  void Disconnect() override { QObject::disconnect(connection_); }

private:
  QMetaObject::Connection connection_;
};

// A script with the runtime library, TObject with Free, and the sample
// classes.
class Host : public ::testing::Test {
protected:
  void SetUp() override {
    script.AddRuntimeLibrary();
    // Host items carry an owner of their own, so that clearing the
    // program between runs (ClearProgramOf(nullptr)) keeps them.
    script.AddedByOwner = &hostOwner;
    TfsClassVariable* object = script.AddClassItem(&QObject::staticMetaObject, QString());
    object->AddMethod("procedure Free", [](QObject* instance, const QMetaObject*, const QString&, Variant&) {
      delete instance;
      return Variant::Null();
    });
    object->AddMethod("function ClassName: String",
                      [this](QObject* instance, const QMetaObject*, const QString&, Variant&) {
                        return Variant(ScriptNameOf(&script, instance));
                      });
    object->AddConstructor("constructor Create", TfsCallMethodEvent());

    sample = script.AddClassItem(&TSample::staticMetaObject, "TObject");
    sample->AddMethod("function Describe(Prefix: String; var Calls: Integer): String",
                      [](QObject* instance, const QMetaObject*, const QString& name, Variant& params) {
                        VariantArray& p = params.ArrayForWrite();
                        p.Put(1, VarAdd(p.At(1), Variant(1)));
                        return Variant(name + QLatin1Char(':') + p.At(0).ToString() +
                                       static_cast<TSample*>(instance)->caption());
                      });
    sample->AddProperty(
        "Twice", "Integer",
        [](QObject* instance, const QMetaObject*, const QString&) {
          return Variant(static_cast<TSample*>(instance)->count() * 2);
        },
        [](QObject* instance, const QMetaObject*, const QString&, const Variant& value) {
          static_cast<TSample*>(instance)->setCount(value.ToInt() / 2);
        });
    sample->AddProperty("Half", "Extended", [](QObject* instance, const QMetaObject*, const QString&) {
      return Variant(static_cast<TSample*>(instance)->count() / 2.0);
    });
    sample->AddEvent("OnFire", [](QObject* instance, TfsProcVariable* handler, const QString& name) {
      return std::make_unique<FiredEvent>(instance, handler, name);
    });

    list = script.AddClassItem(&TSampleList::staticMetaObject, "TSample");
    list->AddDefaultProperty("Items", "Integer", "String",
                             [](QObject* instance, const QMetaObject*, const QString& name, Variant& params) {
                               auto* l = static_cast<TSampleList*>(instance);
                               const int index = params.AsArray().At(0).ToInt();
                               if (index < 0) throw RunError(error_class::RangeError, QStringLiteral("List index"));
                               while (l->items.size() <= index) l->items << QString();
                               if (name == u"ITEMS.SET") l->items[index] = params.AsArray().At(1).ToString();
                               return Variant(l->items[index]);
                             });
    list->AddIndexProperty("Upper", "Integer", "String",
                           [](QObject* instance, const QMetaObject*, const QString&, Variant& params) {
                             auto* l = static_cast<TSampleList*>(instance);
                             return Variant(l->items.value(params.AsArray().At(0).ToInt()).toUpper());
                           },
                           true);
    script.AddClassItem(&TOtherThing::staticMetaObject, "TObject");

    first.setObjectName("First");
    first.setCaption("one");
    script.AddObjectItem("First", &first);
    script.AddObjectItem("Things", &things);
    script.AddObjectItem("Other", &other);
  }

  // Each run starts from a clean program; the host items stay.
  QString run(const QString& source, const QString& language = QStringLiteral("PascalScript")) {
    script.AddedByOwner = nullptr;
    script.ClearProgramOf(nullptr);
    const QString out = RunScript(language, source, &script).Output();
    script.AddedByOwner = &hostOwner;
    return out;
  }

  const char hostOwner = 0;
  TfsScript script;
  TfsClassVariable* sample = nullptr;
  TfsClassVariable* list = nullptr;
  TSample first;
  TSampleList things;
  TOtherThing other;
};

TEST_F(Host, PublishedPropertiesByType) {
  EXPECT_EQ(run("begin\n  First.Caption := First.Caption + '!';\n  First.Count := 41;\n  First.Count := First.Count + 1;\n"
                "  First.Active := True;\n  First.Ratio := 2.5;\n"
                "  ShowMessage(First.Caption); ShowMessage(First.Count); ShowMessage(First.Active);\n"
                "  ShowMessage(First.Ratio); ShowMessage(First.Fixed);\nend."),
            "one!\n42\nTrue\n2,5\n7");
  EXPECT_EQ(first.caption(), "one!");
  EXPECT_EQ(first.count(), 42);
  EXPECT_TRUE(first.active());
  EXPECT_EQ(run("begin First.Fixed := 1 end."), "1:18: Left side cannot be assigned to");
  EXPECT_EQ(run("begin First.Count := 'x' end."), "1:25: Incompatible types: 'Integer', 'String'");
  EXPECT_EQ(run("begin First.Missing := 1 end."), "1:20: Undeclared identifier: 'Missing'");
}

TEST_F(Host, HandlerPropertiesMethodsAndByReferenceArguments) {
  first.setCount(5);
  EXPECT_EQ(run("var n: Integer;\nbegin\n  ShowMessage(First.Twice);\n  First.Twice := 20;\n  ShowMessage(First.Count);\n"
                "  ShowMessage(First.Half);\n  n := 0;\n  ShowMessage(First.Describe('>', n));\n"
                "  ShowMessage(First.Describe('#', n));\n  ShowMessage(n);\nend."),
            "10\n10\n5\nDESCRIBE:>one\nDESCRIBE:#one\n2");
  EXPECT_EQ(run("begin First.Half := 1 end."), "1:17: Left side cannot be assigned to");
  EXPECT_EQ(run("begin ShowMessage(First.Describe('x')) end."), "1:37: Not enough actual parameters");
}

TEST_F(Host, ObjectsReachedThroughOtherObjects) {
  TSample second;
  second.setCaption("two");
  first.setNext(&second);
  EXPECT_EQ(run("begin ShowMessage(First.Next.Caption); First.Next.Count := 3 end."), "two");
  EXPECT_EQ(second.count(), 3);
  // A class-typed property that holds nil.
  second.setNext(nullptr);
  EXPECT_EQ(run("begin ShowMessage(First.Next.Next.Caption) end."),
            "EInvalidOperation: Cannot use 'TSample.Caption' of a nil object");
}

TEST_F(Host, ConstructorsCastsAndIs) {
  EXPECT_EQ(run("var s: TSample;\nbegin\n  s := TSample.Create;\n  s.Caption := 'new';\n  ShowMessage(s.Caption);\n"
                "  ShowMessage(s.ClassName);\n  s.Free;\nend."),
            "new\nTSample");
  EXPECT_EQ(run("var l: TSampleList;\nbegin\n  l := TSampleList.Create;\n  ShowMessage(l.ClassName);\n"
                "  ShowMessage(l is TSample);\n  ShowMessage(First is TSampleList);\n  ShowMessage(Other is TSample);\n"
                "  l.Free;\nend."),
            "TSampleList\nTrue\nFalse\nFalse");
  EXPECT_EQ(run("{ TSample o = new TSample; o.Caption = \"c++\"; ShowMessage(o.Caption); delete o; }", "C++Script"),
            "c++");
  // A cast is checked when the object is used.
  EXPECT_EQ(run("begin ShowMessage(TSample(Things).Caption + '|') end."), "|");
  EXPECT_EQ(run("begin ShowMessage(TSampleList(Other)[0]) end."),
            "EInvalidOperation: Object of class TOtherThing is not a TSampleList ('Items')");
}

TEST_F(Host, IndexedAndDefaultProperties) {
  EXPECT_EQ(run("begin\n  Things[0] := 'a';\n  Things.Items[2] := 'c';\n  ShowMessage(Things[0] + Things[1] + Things.Items[2]);\n"
                "  ShowMessage(Things.Upper[2]);\nend."),
            "ac\nC");
  EXPECT_EQ(things.items, QStringList({"a", "", "c"}));
  // The index is the property's parameter.
  EXPECT_EQ(run("begin ShowMessage(Things.Upper) end."), "1:31: Not enough actual parameters");
  EXPECT_EQ(run("begin ShowMessage(Things.Upper.Caption) end."), "1:39: Index required");
  EXPECT_EQ(run("begin Things.Upper[0] := 'x' end."), "1:21: Left side cannot be assigned to");
  EXPECT_EQ(run("begin ShowMessage(First[0]) end."), "1:25: Class TSample does not have a default property");
  EXPECT_EQ(run("begin Things[-1] := 'x' end."), "ERangeError: List index");
}

TEST_F(Host, NilAndDestroyedObjectsRaiseInsteadOfCrashing) {
  EXPECT_EQ(run("var s: TSample; begin s := nil; s.Caption := 'x' end."),
            "EInvalidOperation: Cannot use 'TSample.Caption' of a nil object");
  EXPECT_EQ(run("var s: TSample; begin s := nil; ShowMessage(s.Describe('', s)) end."),
            "1:60: Incompatible types: 'Integer', 'TSample'");
  EXPECT_EQ(run("var s: TSample; n: Integer; begin s := nil; ShowMessage(s.Describe('', n)) end."),
            "EInvalidOperation: Cannot use 'TSample.Describe' of a nil object");
  // The script keeps a reference; the host destroys the object.
  auto* doomed = new TSample;
  script.AddObjectItem("Doomed", doomed);
  EXPECT_EQ(run("var keep: TSample; begin keep := Doomed; ShowMessage(keep.Fixed) end."), "7");
  delete doomed;
  EXPECT_EQ(run("var keep: TSample; begin keep := Doomed; ShowMessage(keep = nil); ShowMessage(keep.Fixed) end."),
            "True\nEInvalidOperation: Cannot use 'TSample.Fixed' of a nil object");
  EXPECT_EQ(run("var v: Variant; begin v := 5; ShowMessage(v.Caption) end."),
            "EInvalidOperation: Value of type (Integer) is not an object ('Caption')");
}

TEST_F(Host, VariantsAndWithBlocksResolveMembersAtRunTime) {
  EXPECT_EQ(run("var v: Variant;\nbegin\n  v := First;\n  v.Caption := 'late';\n  ShowMessage(v.Caption);\n"
                "  v := Things;\n  v[1] := 'x';\n  ShowMessage(v.Items[1]);\n  ShowMessage(v.Missing);\nend."),
            "late\nx\nEInvalidOperation: Undeclared identifier: 'Missing'");
  EXPECT_EQ(run("var s: TSample;\nbegin\n  s := First;\n  with s do begin\n    Caption := 'with';\n    Count := Fixed;\n"
                "  end;\n  ShowMessage(First.Caption);\n  ShowMessage(First.Count);\nend."),
            "with\n7");
  // A with-block over a Variant: members found when it runs.
  EXPECT_EQ(run("var v: Variant;\nbegin\n  v := Things;\n  with v do begin\n    Caption := 'w';\n    Items[0] := 'z';\n"
                "  end;\n  ShowMessage(Things.Caption + Things[0]);\nend."),
            "wz");
  // Names the script knows win over members of a Variant's object.
  EXPECT_EQ(run("var v: Variant; Caption: String;\nbegin\n  v := First;\n  with v do Caption := 'mine';\n"
                "  ShowMessage(Caption);\nend."),
            "mine");
  EXPECT_EQ(run("var n: Integer; begin with n do ; end."), "1:29: Class type required");
}

TEST_F(Host, LateBoundMembersAreResolvedWhenTheyRun) {
  EXPECT_EQ(run("begin First.Later := 1 end."), "1:18: Undeclared identifier: 'Later'");
  script.LateBindMembers = true;
  EXPECT_EQ(run("begin ShowMessage(First.Caption); First.Later := 1 end."),
            "one\nEInvalidOperation: Undeclared identifier: 'Later'");
  // The first name's arguments are taken once when the rest waits for the
  // run: the call stays a call of one argument.
  EXPECT_EQ(run("function Pick(n: Integer): TSample;\nbegin\n  ShowMessage(n);\n  Result := First;\nend;\n"
                "begin\n  ShowMessage(Pick(5).Caption);\n  Pick(6).Later := 1;\nend."),
            "5\none\n6\nEInvalidOperation: Undeclared identifier: 'Later'");
  script.LateBindMembers = false;
}

TEST_F(Host, EventsRunScriptRoutines) {
  const QString source = QStringLiteral(
      "procedure Fired(Sender: TSample; Value: Integer);\nbegin\n  ShowMessage(Sender.Caption);\n  ShowMessage(Value);\n"
      "end;\nbegin\n  First.OnFire := 'Fired';\nend.");
  dialogs::RecordingScope recording;
  script.AddedByOwner = nullptr;
  script.ClearProgramOf(nullptr);
  script.Lines = SplitSourceLines(source);
  ASSERT_TRUE(script.CompileSource()) << script.ErrorText.toStdString();
  script.RunMain();
  first.fire(3);
  first.fire(4);
  EXPECT_EQ(recording.messages(), QStringList({"one", "3", "one", "4"}));

  // Assigning nil disconnects the routine.
  script.ClearProgramOf(nullptr);
  script.Lines = SplitSourceLines(QString(source).replace("First.OnFire := 'Fired'", "First.OnFire := nil"));
  ASSERT_TRUE(script.CompileSource()) << script.ErrorText.toStdString();
  script.RunMain();
  dialogs::clearRecordedMessages();
  first.fire(5);
  EXPECT_TRUE(recording.messages().isEmpty());
  EXPECT_EQ(run("var NotARoutine: Integer; begin First.OnFire := 'NotARoutine' end."),
            "EInvalidOperation: Event handler must be a procedure");
}

TEST_F(Host, GlobalFunctionsInBothConventionsAndMacros) {
  script.AddMethodItem("function Join(a, b: String; sep: String = '-'): String",
                       [](QObject* instance, const QMetaObject* cls, const QString& name, Variant& params) {
                         EXPECT_EQ(instance, nullptr);
                         EXPECT_EQ(cls, nullptr);
                         EXPECT_EQ(name, "JOIN");
                         const VariantArray& p = params.AsArray();
                         return Variant(p.At(0).ToString() + p.At(2).ToString() + p.At(1).ToString());
                       });
  script.AddMethodItem("procedure Bump(var x: Integer; by: Integer = 1)",
                       [](QObject*, const QMetaObject*, const QString&, TfsMethodHelper* caller) {
                         caller->SetArg(0, VarAdd(caller->Arg(0), caller->Arg(1)));
                         return Variant::Null();
                       });
  script.AddMethodItem("macrofunction Source(Expr: Variant): String",
                       [](QObject*, const QMetaObject*, const QString&, TfsMethodHelper* caller) {
                         return Variant(QStringLiteral("[") + caller->Arg(0).ToString() + QStringLiteral("]"));
                       });
  EXPECT_EQ(run("var i: Integer;\nbegin\n  ShowMessage(Join('a', 'b'));\n  ShowMessage(Join('a', 'b', '+'));\n"
                "  i := 1;\n  Bump(i);\n  Bump(i, 10);\n  ShowMessage(i);\n  ShowMessage(Source(i * 2 + 1));\nend."),
            "a-b\na+b\n12\n[i * 2 + 1]");
  const TfsMethodHelper* join = static_cast<TfsMethodHelper*>(script.FindSymbol("Join"));
  EXPECT_EQ(join->Declaration, "function Join(a, b: String; sep: String = '-'): String");
  EXPECT_EQ(join->Count(), 3);
  EXPECT_EQ(join->RequiredCount(), 2);
  EXPECT_EQ(join->Params(2)->DefValue.ToString(), "-");
}

TEST_F(Host, ConstantsVariablesAndEnumerations) {
  script.AddConstItem("Answer", "Integer", Variant(42));
  script.AddVariableItem("Greeting", "String", Variant(QStringLiteral("cześć")));
  script.AddEnumItems("TFruit", "fApple, fPear, fPlum");
  script.AddEnumSetItems("TFlags", "flA, flB, flC");
  EXPECT_EQ(run("var f: TFruit;\nbegin\n  f := fPlum;\n  ShowMessage(f);\n  ShowMessage(flC);\n  ShowMessage(Answer);\n"
                "  ShowMessage(Greeting);\n  Greeting := 'ā-ż';\n  ShowMessage(Greeting);\nend."),
            "2\n4\n42\ncześć\n?-ż");
  EXPECT_EQ(run("begin Answer := 1 end."), "1:13: Left side cannot be assigned to");
  // A script's own String variable keeps every character.
  EXPECT_EQ(run("var s: String; begin s := 'ā-ż'; ShowMessage(s) end."), "ā-ż");
  script.SetVariableValue("Fresh", Variant(3));
  EXPECT_EQ(run("begin ShowMessage(Fresh + 1) end."), "4");
}

TEST_F(Host, ComponentsOfAFormAreMembers) {
  auto* form = new TSample;
  form->setObjectName("Form1");
  auto* button = new TSample(form);
  button->setObjectName("Button1");
  button->setCaption("OK");
  script.AddFormItem(form);
  EXPECT_EQ(run("begin ShowMessage(Form1.Button1.Caption); Form1.Button1.Count := 9 end."), "OK");
  EXPECT_EQ(button->count(), 9);
  delete form;
}

TEST_F(Host, AutomationObjectsAreCalledByName) {
  struct Fake : TfsAutomationObject {
    QStringList calls;
    Variant Invoke(const QString& member, Access access, std::vector<Variant>& args) override {
      QStringList parts;
      for (const Variant& a : args) parts << a.ToString();
      const char* kind = access == Access::Get ? "get" : access == Access::Put ? "put" : "call";
      calls << QStringLiteral("%1 %2(%3)").arg(QLatin1String(kind), member, parts.join(QLatin1Char(',')));
      return Variant(member.size());
    }
  };
  auto fake = std::make_shared<Fake>();
  script.AddVariableItem("Excel", "Variant", Variant::FromDispatch(fake));
  EXPECT_EQ(run("begin Excel.Visible := True; ShowMessage(Excel.Workbooks); Excel.Cells(1, 2) end."), "9");
  EXPECT_EQ(fake->calls, QStringList({"put Visible(True)", "get Workbooks()", "call Cells(1,2)"}));
}

TEST_F(Host, RoutinesCalledByTheHost) {
  ASSERT_EQ(run("function Add(a, b: Integer): Integer; begin Result := a + b end;\n"
                "procedure Both(var a: Integer; var s: String); begin a := a * 2; s := s + '!' end;\n"
                "begin end."),
            "");
  EXPECT_EQ(script.CallRoutine("Add", Variant::FromArray(VariantArray::Of({Variant(2), Variant(3)}))).ToInt(), 5);
  EXPECT_EQ(script.CallRoutine("add", Variant::FromArray(VariantArray::Of({Variant(1), Variant(1)}))).ToInt(), 2);
  Variant args = Variant::FromArray(VariantArray::Of({Variant(21), Variant("hi")}));
  EXPECT_TRUE(script.CallRoutineByRef("Both", args).IsNull());
  EXPECT_EQ(args.AsArray().At(0).ToInt(), 42);
  EXPECT_EQ(args.AsArray().At(1).ToString(), "hi!");
  EXPECT_TRUE(script.CallRoutine("NoSuchRoutine").IsNull());
  EXPECT_THROW(script.CallRoutine("Add", Variant::FromArray(VariantArray::Of({Variant(1), Variant(2), Variant(3)}))),
               ScriptError);
  // A routine of the parent script is not this script's.
  TfsScript child(&script);
  EXPECT_TRUE(child.CallRoutine("Add").IsNull());
}

TEST_F(Host, RunLineEventsVariableHandlerAndStop) {
  QStringList lines;
  script.SetOnRunLine([&](TfsScript*, const QString& unit, const QString& pos) { lines << unit + pos; });
  EXPECT_EQ(run("var i: Integer;\nbegin\n  i := 1;\n  if i > 0 then\n    i := 2;\nend."), "");
  script.SetOnRunLine({});
  EXPECT_EQ(lines, QStringList({"3:3", "4:3", "5:5"}));
  EXPECT_TRUE(script.IsCodeLine(4));
  EXPECT_FALSE(script.IsCodeLine(2));

  TfsScript watched;
  watched.AddRuntimeLibrary();
  watched.OnGetVarValue = [](const QString& name, TfsVarType, const Variant& old) {
    return name == u"Live" ? Variant(QStringLiteral("from host")) : (old.IsNull() ? Variant::Null() : Variant::Null());
  };
  EXPECT_EQ(RunScript("PascalScript", "var Live, Plain: String; begin Plain := 'p'; ShowMessage(Live + ' ' + Plain) end.",
                      &watched)
                .Output(),
            "from host p");

  TfsScript stopped;
  stopped.AddRuntimeLibrary();
  stopped.AddMethodItem("procedure Stop", [&stopped](QObject*, const QMetaObject*, const QString&, TfsMethodHelper*) {
    stopped.StopRun();
    return Variant::Null();
  });
  EXPECT_EQ(RunScript("PascalScript",
                      "procedure P; begin ShowMessage('p1'); Stop; ShowMessage('p2') end;\n"
                      "begin while True do P; ShowMessage('never') end.",
                      &stopped)
                .Output(),
            "p1");
}

TEST_F(Host, ClearProgramKeepsTheLibraryAndTheHostItemsOfTheLibrary) {
  EXPECT_EQ(run("var x: Integer; begin x := 1; ShowMessage(x) end."), "1");
  script.ClearProgram();
  EXPECT_EQ(script.FindSymbol("x"), nullptr);
  // The same names can be declared again; the library is still there.
  EXPECT_EQ(run("var x: String; begin x := 'again'; ShowMessage(x) end."), "again");
  const void* owner = &script;
  script.AddedByOwner = owner;
  script.AddVariableItem("Owned", "Integer", Variant(1));
  script.AddedByOwner = nullptr;
  ASSERT_NE(script.FindSymbol("Owned"), nullptr);
  script.ClearProgramOf(owner);
  EXPECT_EQ(script.FindSymbol("Owned"), nullptr);
  EXPECT_NE(script.FindSymbol("ShowMessage"), nullptr);
  script.RemoveRuntimeLibrary();
  EXPECT_EQ(script.FindSymbol("ShowMessage"), nullptr);
  EXPECT_FALSE(script.RuntimeLibraryAdded);
}

TEST_F(Host, RoutineNamesAsValues) {
  EXPECT_EQ(run("procedure Handler; begin end;\nvar s: String;\nbegin s := @Handler; ShowMessage(s) end."), "Handler");
  EXPECT_EQ(run("function F: Integer; begin Result := 1 end;\nbegin\n  First.OnFire := @F;\nend."), "");
}

}  // namespace
}  // namespace valmoro::script::test

#include "interpreter_host_test.moc"
