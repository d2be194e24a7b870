// Windows and controls built by scripts: events that run routines (clicks,
// keys, closing, resizing), the guards around them (re-entrance, nil,
// non-routines, freed forms and scripts), controls' lists and texts, and
// ShowModal when nobody can answer a window.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "run_support.h"
#include "script/forms_controls.h"
#include "script/module_classes.h"
#include "script/module_forms.h"
#include "script/module_graphics.h"

namespace valmoro::script::test {

namespace {

using forms::TButton;
using forms::TCustomForm;
using forms::TEdit;

// A script with the classes, graphics and forms modules that stays compiled
// between calls, so that events can run its routines later.
class FormsScript {
public:
  FormsScript() {
    script_ = std::make_unique<TfsScript>();
    script_->AddRuntimeLibrary();
    // The modules' items carry an owner of their own, so that clearing the
    // program (ClearProgramOf(nullptr)) keeps them.
    script_->AddedByOwner = &modulesOwner_;
    script_->AddSymbol(QString(), new TfsClassesModule(script_.get()));
    script_->AddSymbol(QString(), new TfsGraphicsModule(script_.get()));
    script_->AddSymbol(QString(), new TfsFormsModule(script_.get()));
    script_->AddedByOwner = nullptr;
  }

  // Compiles and runs the main block; the messages shown and the error.
  QString run(const QString& source) {
    script_->Lines = SplitSourceLines(source);
    if (!script_->CompileSource()) return script_->ErrorPosition + QStringLiteral(": ") + script_->ErrorText;
    try {
      script_->RunMain();
    } catch (const ScriptError& e) {
      return ExceptionClassNameOf(e) + QStringLiteral(": ") + e.message();
    }
    return QString();
  }

  QString call(const QString& routine) {
    try {
      script_->CallRoutine(routine);
    } catch (const ScriptError& e) {
      return ExceptionClassNameOf(e) + QStringLiteral(": ") + e.message();
    }
    return QString();
  }

  template <class T>
  T* object(const QString& variable) const {
    return qobject_cast<T*>(script_->FindSymbol(variable)->GetValue().ToObject());
  }

  TfsScript* script() { return script_.get(); }
  void destroy() { script_.reset(); }

private:
  const char modulesOwner_ = 0;
  std::unique_ptr<TfsScript> script_;
};

QPushButton* buttonWidget(TButton* button) { return static_cast<QPushButton*>(button->widget()); }

const char* const kClickForm =
    "var F: TForm; B: TButton; Clicks: Integer;\n"
    "procedure ButtonClick(Sender: TObject);\n"
    "begin\n"
    "  Clicks := Clicks + 1;\n"
    "  ShowMessage('klik ' + TButton(Sender).Caption + ' ' + IntToStr(Clicks));\n"
    "  ShowMessage(Sender = B);\n"
    "  { a click that arrives while this runs is dropped }\n"
    "  B.Click;\n"
    "end;\n"
    "procedure Unhook; begin B.OnClick := nil end;\n"
    "procedure HookCount; begin B.OnClick := 'Clicks' end;\n"
    "procedure FreeForm; begin F.Free end;\n"
    "begin\n"
    "  F := TForm.Create(nil);\n"
    "  F.Caption := 'Okno';\n"
    "  B := TButton.Create(F);\n"
    "  B.Parent := F;\n"
    "  B.Caption := 'OK';\n"
    "  B.SetBounds(10, 20, 80, 25);\n"
    "  B.OnClick := 'ButtonClick';\n"
    "end.";

}  // namespace

TEST(FormsEvents, ClickRunsTheRoutineWithTheButtonAsSenderOnceAndNilUnhooksIt) {
  dialogs::RecordingScope recording;
  FormsScript s;
  ASSERT_EQ(s.run(kClickForm), "");
  auto* form = s.object<TCustomForm>("F");
  auto* button = s.object<TButton>("B");
  ASSERT_NE(form, nullptr);
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(form->widget()->windowTitle(), "Okno");
  EXPECT_EQ(button->widget()->parentWidget(), form->widget());
  EXPECT_EQ(button->widget()->geometry(), QRect(10, 20, 80, 25));

  form->show();
  QTest::mouseClick(buttonWidget(button), Qt::LeftButton);
  buttonWidget(button)->click();
  EXPECT_EQ(recording.messages(), QStringList({"klik OK 1", "True", "klik OK 2", "True"}));

  // Assigning nil unhooks the routine; the button still clicks.
  dialogs::clearRecordedMessages();
  EXPECT_EQ(s.call("Unhook"), "");
  QTest::mouseClick(buttonWidget(button), Qt::LeftButton);
  EXPECT_TRUE(recording.messages().isEmpty());

  // A name that is no routine is refused.
  EXPECT_EQ(s.call("HookCount"), "EInvalidOperation: Event handler must be a procedure");
  EXPECT_EQ(s.call("FreeForm"), "");
}

TEST(FormsEvents, FreeingTheFormBeforeTheScriptOrTheScriptBeforeTheFormLeavesNothingDangling) {
  dialogs::RecordingScope recording;
  {
    // The form goes first, freed by the host; the script's adaptor stays
    // until the script ends.
    FormsScript s;
    ASSERT_EQ(s.run(kClickForm), "");
    QPointer<TButton> button = s.object<TButton>("B");
    delete s.object<TCustomForm>("F");
    EXPECT_TRUE(button.isNull());  // the button died with its window
    EXPECT_EQ(s.call("Unhook"), "EInvalidOperation: Cannot use 'TControl.OnClick' of a nil object");
  }
  {
    // The script goes first; the form is still clickable and runs nothing.
    auto s = std::make_unique<FormsScript>();
    ASSERT_EQ(s->run(kClickForm), "");
    QPointer<TCustomForm> form = s->object<TCustomForm>("F");
    QPointer<TButton> button = s->object<TButton>("B");
    s.reset();
    ASSERT_FALSE(button.isNull());
    dialogs::clearRecordedMessages();
    buttonWidget(button)->click();
    EXPECT_TRUE(recording.messages().isEmpty());
    delete form.data();
  }
  {
    // The program is cleared while the form lives on: the routine is gone,
    // a click runs nothing.
    FormsScript s;
    ASSERT_EQ(s.run(kClickForm), "");
    QPointer<TCustomForm> form = s.object<TCustomForm>("F");
    QPointer<TButton> button = s.object<TButton>("B");
    s.script()->ClearProgramOf(nullptr);
    dialogs::clearRecordedMessages();
    buttonWidget(button)->click();
    EXPECT_TRUE(recording.messages().isEmpty());
    delete form.data();
  }
  {
    // The form frees itself from its own button's click: it goes once the
    // click is over.
    FormsScript s;
    ASSERT_EQ(s.run(QString(kClickForm).replace("B.OnClick := 'ButtonClick'", "B.OnClick := 'FreeForm'")), "");
    QPointer<TCustomForm> form = s.object<TCustomForm>("F");
    QPointer<TButton> button = s.object<TButton>("B");
    buttonWidget(button)->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(form.isNull());
    EXPECT_TRUE(button.isNull());
  }
}

TEST(FormsEvents, AReassignedEventKeepsOneRoutineWhicheverRoutineAssignedIt) {
  dialogs::RecordingScope recording;
  FormsScript s;
  ASSERT_EQ(s.run("var F: TForm; B: TButton;\n"
                  "procedure First(Sender: TObject); begin ShowMessage('first') end;\n"
                  "procedure Second(Sender: TObject); begin ShowMessage('second') end;\n"
                  "procedure UseSecond; begin B.OnClick := 'Second' end;\n"
                  "procedure SwitchInside(Sender: TObject); begin ShowMessage('switch'); B.OnClick := 'First' end;\n"
                  "procedure UseSwitch; begin B.OnClick := 'SwitchInside' end;\n"
                  "begin F := TForm.Create(nil); B := TButton.Create(F); B.Parent := F; B.OnClick := 'First' end."),
            "");
  auto* button = s.object<TButton>("B");
  EXPECT_EQ(s.call("UseSecond"), "");
  buttonWidget(button)->click();
  EXPECT_EQ(recording.messages(), QStringList({"second"}));
  // A routine that replaces its own event while it runs.
  EXPECT_EQ(s.call("UseSwitch"), "");
  buttonWidget(button)->click();
  buttonWidget(button)->click();
  EXPECT_EQ(recording.messages(), QStringList({"second", "switch", "first"}));
  delete s.object<TCustomForm>("F");
}

TEST(FormsEvents, MouseEventsGiveButtonShiftAndPosition) {
  dialogs::RecordingScope recording;
  FormsScript s;
  ASSERT_EQ(s.run("var F: TForm;\n"
                  "procedure Down(Sender: TObject; Button: TMouseButton; Shift: TShiftState; X, Y: Integer);\n"
                  "begin ShowMessage(Format('down %d %d,%d shift=%s dbl=%s', [Button, X, Y, "
                  "BoolToStr(ssShift in Shift), BoolToStr(ssDouble in Shift)])) end;\n"
                  "procedure Up(Sender: TObject; Button: TMouseButton; Shift: TShiftState; X, Y: Integer);\n"
                  "begin ShowMessage(Format('up %d %d,%d', [Button, X, Y])) end;\n"
                  "procedure Click(Sender: TObject); begin ShowMessage('click') end;\n"
                  "procedure DblClick(Sender: TObject); begin ShowMessage('dblclick') end;\n"
                  "begin\n"
                  "  F := TForm.Create(nil); F.SetBounds(0, 0, 200, 100);\n"
                  "  F.OnMouseDown := 'Down'; F.OnMouseUp := 'Up'; F.OnClick := 'Click'; F.OnDblClick := 'DblClick';\n"
                  "  F.Show;\n"
                  "end."),
            "");
  QWidget* window = s.object<TCustomForm>("F")->widget();
  QTest::mouseClick(window, Qt::RightButton, Qt::ShiftModifier, QPoint(5, 6));
  QTest::mouseDClick(window, Qt::LeftButton, Qt::NoModifier, QPoint(7, 8));
  EXPECT_EQ(recording.messages(),
            QStringList({"down 1 5,6 shift=-1 dbl=0", "up 1 5,6", "click", "dblclick", "down 0 7,8 shift=0 dbl=-1"}));
  delete s.object<TCustomForm>("F");
}

TEST(FormsEvents, KeysAreTranslatedAndWrittenBack) {
  dialogs::RecordingScope recording;
  FormsScript s;
  ASSERT_EQ(s.run("var F: TForm; E: TEdit;\n"
                  "procedure EditKeyPress(Sender: TObject; var Key: Char);\n"
                  "begin\n"
                  "  if Key = 'a' then Key := 'b';\n"
                  "  if Key = 'x' then Key := #0;\n"
                  "end;\n"
                  "procedure EditKeyDown(Sender: TObject; var Key: Word; Shift: TShiftState);\n"
                  "begin\n"
                  "  if (Key = VK_DELETE) and (ssCtrl in Shift) then begin ShowMessage('Ctrl+Del'); Key := 0 end;\n"
                  "  if Key = VK_F2 then ShowMessage('F2');\n"
                  "end;\n"
                  "procedure EditChange(Sender: TObject); begin ShowMessage('zmiana: ' + E.Text) end;\n"
                  "procedure Watch; begin E.OnChange := 'EditChange' end;\n"
                  "begin\n"
                  "  F := TForm.Create(nil); E := TEdit.Create(F); E.Parent := F;\n"
                  "  E.OnKeyPress := 'EditKeyPress'; E.OnKeyDown := 'EditKeyDown';\n"
                  "end."),
            "");
  auto* edit = s.object<TEdit>("E");
  auto* line = static_cast<QLineEdit*>(edit->widget());
  QTest::keyClicks(line, "axc");
  EXPECT_EQ(line->text(), "bc");
  line->setCursorPosition(0);
  QTest::keyClick(line, Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(line->text(), "bc");  // the key was taken away
  QTest::keyClick(line, Qt::Key_F2);
  QTest::keyClick(line, Qt::Key_Delete);
  EXPECT_EQ(line->text(), "c");
  EXPECT_EQ(recording.messages(), QStringList({"Ctrl+Del", "F2"}));

  // OnChange follows the text, typed or set.
  dialogs::clearRecordedMessages();
  ASSERT_EQ(s.call("Watch"), "");
  QTest::keyClicks(line, "d");
  line->setText("e");
  EXPECT_EQ(recording.messages(), QStringList({"zmiana: dc", "zmiana: e"}));
  delete s.object<TCustomForm>("F");
}

TEST(FormsEvents, CloseQueryKeepsTheFormOpenAndOnCloseChoosesWhatHappens) {
  dialogs::RecordingScope recording;
  FormsScript s;
  ASSERT_EQ(s.run("var F: TForm; Allow: Boolean; How: TCloseAction;\n"
                  "procedure FormCloseQuery(Sender: TObject; var CanClose: Boolean);\n"
                  "begin ShowMessage('pytanie'); CanClose := Allow end;\n"
                  "procedure FormClose(Sender: TObject; var Action: TCloseAction);\n"
                  "begin ShowMessage('zamykanie ' + IntToStr(Action)); Action := How end;\n"
                  "procedure CloseIt; begin F.Close end;\n"
                  "procedure Allowed; begin Allow := True end;\n"
                  "procedure Freed; begin How := caFree end;\n"
                  "begin\n"
                  "  How := caHide;\n"
                  "  F := TForm.Create(nil); F.OnCloseQuery := 'FormCloseQuery'; F.OnClose := 'FormClose';\n"
                  "  F.Show;\n"
                  "end."),
            "");
  QPointer<TCustomForm> form = s.object<TCustomForm>("F");
  ASSERT_TRUE(form->widget()->isVisible());
  EXPECT_EQ(s.call("CloseIt"), "");
  EXPECT_TRUE(form->widget()->isVisible());
  // The window's own close button asks the same routine.
  form->widget()->close();
  EXPECT_TRUE(form->widget()->isVisible());
  EXPECT_EQ(recording.messages(), QStringList({"pytanie", "pytanie"}));

  EXPECT_EQ(s.call("Allowed"), "");
  EXPECT_EQ(s.call("CloseIt"), "");
  EXPECT_FALSE(form->widget()->isVisible());
  EXPECT_FALSE(form.isNull());
  form->show();
  EXPECT_EQ(s.call("Freed"), "");
  EXPECT_EQ(s.call("CloseIt"), "");
  EXPECT_TRUE(form.isNull());
  EXPECT_EQ(recording.messages(), QStringList({"pytanie", "pytanie", "pytanie", "zamykanie 1", "pytanie", "zamykanie 1"}));
}

TEST(FormsEvents, CanResizeAdjustsOrRefusesTheNewSize) {
  dialogs::RecordingScope recording;
  FormsScript s;
  ASSERT_EQ(s.run("var F: TForm;\n"
                  "procedure FormCanResize(Sender: TObject; var NewWidth, NewHeight: Integer; var Resize: Boolean);\n"
                  "begin\n"
                  "  if NewWidth > 400 then NewWidth := 400;\n"
                  "  Resize := NewHeight <> 13;\n"
                  "end;\n"
                  "begin\n"
                  "  F := TForm.Create(nil); F.SetBounds(0, 0, 200, 100); F.OnCanResize := 'FormCanResize';\n"
                  "  F.Width := 900; ShowMessage(F.Width);\n"
                  "  F.Height := 13; ShowMessage(F.Height);\n"
                  "  F.Free;\n"
                  "end."),
            "");
  EXPECT_EQ(recording.messages(), QStringList({"400", "100"}));
}

TEST(FormsControls, ListsTextsAndStatesGoBothWays) {
  dialogs::RecordingScope recording;
  FormsScript s;
  ASSERT_EQ(s.run("var F: TForm; M: TMemo; C: TComboBox; L: TListBox; X: TCheckBox; Lb: TLabel;\n"
                  "procedure Checked(Sender: TObject); begin if X.Checked then ShowMessage('check 1') else ShowMessage('check 0') end;\n"
                  "procedure Report; begin ShowMessage(M.Lines[1] + '/' + IntToStr(M.Lines.Count)) end;\n"
                  "begin\n"
                  "  F := TForm.Create(nil);\n"
                  "  M := TMemo.Create(F); M.Parent := F;\n"
                  "  M.Lines.Add('pierwsza'); M.Lines.Add('druga');\n"
                  "  ShowMessage(M.Text);\n"
                  "  M.Text := 'a' + #13#10 + 'b' + #13#10 + 'c'; ShowMessage(M.Lines.Count);\n"
                  "  C := TComboBox.Create(F); C.Parent := F; C.Style := csDropDownList;\n"
                  "  C.Items.Add('zero'); C.Items.Add('jeden'); C.ItemIndex := 1; ShowMessage(C.Text);\n"
                  "  L := TListBox.Create(F); L.Parent := F; L.Items.CommaText := 'x,y,z';\n"
                  "  L.ItemIndex := 2; ShowMessage(L.ItemIndex); ShowMessage(L.Selected[2]);\n"
                  "  X := TCheckBox.Create(F); X.Parent := F; X.OnClick := 'Checked'; X.Checked := True;\n"
                  "  Lb := TLabel.Create(F); Lb.Parent := F; Lb.Caption := 'Temperatura'; ShowMessage(Lb.Width > 0);\n"
                  "  F.Caption := 'Pomiar'; ShowMessage(F.Caption);\n"
                  "end."),
            "");
  EXPECT_EQ(recording.messages(),
            QStringList({"pierwsza\r\ndruga", "3", "jeden", "2", "True", "check 1", "True", "Pomiar"}));
  EXPECT_EQ(static_cast<QComboBox*>(s.object<forms::TComboBox>("C")->widget())->currentText(), "jeden");
  // What the user types reaches the lines.
  auto* memo = static_cast<QPlainTextEdit*>(s.object<forms::TMemo>("M")->widget());
  memo->setPlainText("u1\nu2");
  dialogs::clearRecordedMessages();
  ASSERT_EQ(s.call("Report"), "");
  EXPECT_EQ(recording.messages(), QStringList({"u2/2"}));
  delete s.object<TCustomForm>("F");
}

TEST(FormsControls, ShowModalDoesNotWaitWithoutWindows) {
  dialogs::RecordingScope recording;
  FormsScript s;
  const QString source =
      "var F: TForm; B: TButton;\n"
      "procedure FormShow(Sender: TObject); begin ShowMessage('pokaz') end;\n"
      "procedure FormShowOk(Sender: TObject); begin ShowMessage('pokaz'); F.ModalResult := mrOk end;\n"
      "procedure FormHide(Sender: TObject); begin ShowMessage('ukryj') end;\n"
      "begin\n"
      "  F := TForm.Create(nil); F.OnShow := 'FormShow'; F.OnHide := 'FormHide';\n"
      "  ShowMessage(F.ShowModal);\n"
      "  F.OnShow := 'FormShowOk';\n"
      "  ShowMessage(F.ShowModal);\n"
      "  ShowMessage(F.ShowModal = mrYes);\n"
      "  F.Free;\n"
      "end.";
  forms::ClearQueuedModalResults();
  ASSERT_EQ(s.run(QString(source).replace("ShowMessage(F.ShowModal = mrYes);", "")), "");
  EXPECT_EQ(recording.messages(), QStringList({"pokaz", "ukryj", "2", "pokaz", "ukryj", "1"}));
  // A queued answer wins.
  dialogs::clearRecordedMessages();
  forms::QueueModalResult(6);
  ASSERT_EQ(FormsScript().run("var F: TForm; begin F := TForm.Create(nil); ShowMessage(F.ShowModal = mrYes); "
                              "ShowMessage(F.ShowModal); F.Free end."),
            "");
  EXPECT_EQ(recording.messages(), QStringList({"True", "2"}));
}

TEST(FormsControls, ConstantsEnumerationsAndApplication) {
  dialogs::RecordingScope recording;
  FormsScript s;
  ASSERT_EQ(s.run("begin\n"
                  "  ShowMessage(IntToStr(mrNone) + IntToStr(mrOk) + IntToStr(mrYesToAll));\n"
                  "  ShowMessage(IntToStr(crHourGlass) + ' ' + IntToStr(crSizeAll) + ' ' + IntToStr(crHandPoint));\n"
                  "  ShowMessage(IntToStr(VK_RETURN) + ' ' + IntToStr(VK_F1) + ' ' + IntToStr(VK_SCROLL));\n"
                  "  ShowMessage(IntToStr(bsSizeToolWin) + ' ' + IntToStr(taCenter) + ' ' + IntToStr(alClient));\n"
                  "  ShowMessage(ssCtrl in [ssShift, ssCtrl]);\n"
                  "  ShowMessage(Application.ExeName <> '');\n"
                  "  Application.ProcessMessages;\n"
                  "end."),
            "");
  EXPECT_EQ(recording.messages(), QStringList({"0110", "-11 -22 -21", "13 112 145", "5 2 5", "True", "True"}));
  EXPECT_EQ(FormsScript().run("var B: TButton; begin B := TButton.Create(nil); B.Parent := B end."),
            "EInvalidOperation: A control cannot be its own parent");
}


TEST(FormsEvents, AControlFreedAsAnObjectInsideItsOwnMouseEventGoesWhenTheEventIsDone) {
  dialogs::RecordingScope recording;
  FormsScript s;
  ASSERT_EQ(s.run("var F: TForm; B, C: TButton; O: TObject;\n"
                  "procedure Kill(Sender: TObject; Button: TMouseButton; Shift: TShiftState; X, Y: Integer);\n"
                  "begin Sender.Free; ShowMessage('po') end;\n"
                  "procedure KillOwned(Sender: TObject; Button: TMouseButton; Shift: TShiftState; X, Y: Integer);\n"
                  "begin F.Components[1].Free; ShowMessage('po 2') end;\n"
                  "begin F := TForm.Create(nil); B := TButton.Create(F); B.Parent := F; B.OnMouseDown := 'Kill';\n"
                  "  C := TButton.Create(F); C.Parent := F; C.OnMouseDown := 'KillOwned';\n"
                  "  { outside any event an object goes at once }\n"
                  "  O := TButton.Create(F); O.Free; ShowMessage(O = nil) end."),
            "");
  auto* form = s.object<TCustomForm>("F");
  QPointer<QWidget> b = s.object<TButton>("B")->widget();
  QPointer<QWidget> c = s.object<TButton>("C")->widget();
  form->show();
  QTest::mousePress(b.data(), Qt::LeftButton);
  QTest::mousePress(c.data(), Qt::LeftButton);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(b.isNull());
  EXPECT_TRUE(c.isNull());
  EXPECT_EQ(recording.messages(), QStringList({"True", "po", "po 2"}));
  delete form;
}


TEST(FormsControls, FreeingTheApplicationObjectLeavesNilAndNothingFreedTwice) {
  dialogs::RecordingScope recording;
  {
    FormsScript s;
    EXPECT_EQ(s.run("begin ShowMessage(Application = nil); Application.Free; ShowMessage(Application = nil);\n"
                    "try Application.Title := 'x' except ShowMessage(ExceptionClassName) end end."),
              "");
  }
  EXPECT_EQ(recording.messages(), QStringList({"False", "True", "EInvalidOperation"}));
}

}  // namespace valmoro::script::test
