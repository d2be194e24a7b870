// String lists through scripts: adding, indexes, names and values, comma
// text, sorting with duplicates, objects, files; and the ini files' section
// readers that fill them.

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "run_support.h"
#include "script/module_classes.h"
#include "script/module_ini_files.h"

namespace valmoro::script::test {

namespace {

QString RunWithClasses(const QString& source) {
  TfsScript script;
  script.AddRuntimeLibrary();
  script.AddSymbol(QString(), new TfsClassesModule(&script));
  script.AddSymbol(QString(), new TfsIniFilesModule(&script));
  return RunScript(QStringLiteral("PascalScript"), source, &script).Output();
}

}  // namespace

TEST(StringLists, EditingNamesValuesAndCommaText) {
  EXPECT_EQ(RunWithClasses("var l: TStringList;\nbegin l := TStringList.Create;\n"
                           "l.Add('jeden'); l.Add('dwa=2'); l.Insert(0, 'zero'); ShowMessage(l.Count);\n"
                           "ShowMessage(l[0] + ',' + l.Strings[2]); ShowMessage(l.IndexOf('JEDEN'));\n"
                           "ShowMessage(l.Names[2] + ':' + l.Values['dwa']); l.Values['trzy'] := '3';\n"
                           "l.Values['dwa'] := ''; l[0] := 'a b'; ShowMessage(l.CommaText);\n"
                           "l.CommaText := 'x, \"y z\",\"q\"\"\"'; ShowMessage(l.Count); ShowMessage(l[1] + '|' + l[2]);\n"
                           "l.Move(0, 2); l.Delete(0); ShowMessage(l.Text);\n"
                           "try ShowMessage(l[5]) except ShowMessage(ExceptionClassName + ': ' + ExceptionMessage) end;\n"
                           "ShowMessage(l.ClassName); l.Free end."),
            "3\nzero,dwa=2\n1\ndwa:2\n\"a b\",jeden,trzy=3\n3\ny z|q\"\nq\"\r\nx\r\n\n"
            "EStringListError: List index out of bounds (5)\nTStringList");
}

TEST(StringLists, SortedListsAndDuplicates) {
  EXPECT_EQ(RunWithClasses("var l: TStringList; i: Integer;\nbegin l := TStringList.Create;\n"
                           "l.Add('źdźbło'); l.Add('Zebra'); l.Add('ala'); l.Add('Łódź');\n"
                           "l.Sorted := True; ShowMessage(l.CommaText);\n"
                           "l.Add('ALA'); ShowMessage(l.Count);\n"
                           "ShowMessage(l.Find('zebra', i)); ShowMessage(i); ShowMessage(l.Find('b', i)); ShowMessage(i);\n"
                           "l.Duplicates := dupError; try l.Add('ala') except ShowMessage(ExceptionMessage) end;\n"
                           "l.Duplicates := dupAccept; l.Add('ala'); ShowMessage(l.Count);\n"
                           "try l.Insert(0, 'x') except ShowMessage(ExceptionMessage) end; l.Free end."),
            "ala,Łódź,Zebra,źdźbło\n4\nTrue\n2\nFalse\n1\nString list does not allow duplicates\n5\n"
            "Operation not allowed on sorted list");
}

TEST(StringLists, ObjectsFilesAndIniSections) {
  QTemporaryDir dir;
  const QString list = dir.filePath(QStringLiteral("l.txt"));
  const QString ini = dir.filePath(QStringLiteral("a.ini"));
  EXPECT_EQ(RunWithClasses(QStringLiteral(
                               "var l, m: TStringList; f: TMemIniFile;\nbegin l := TStringList.Create; m := TStringList.Create;\n"
                               "l.AddObject('m', m); ShowMessage(l.Objects[0] = m); ShowMessage(l.IndexOfObject(m));\n"
                               "l.Add('żółw'); l.SaveToFile('%1'); m.LoadFromFile('%1'); ShowMessage(m.CommaText);\n"
                               "f := TMemIniFile.Create('%2'); f.WriteString('B', 'x', '1'); f.WriteString('A', 'y', '2');\n"
                               "f.WriteString('B', 'z', '3');\n"
                               "f.ReadSections(l); ShowMessage(l.CommaText); f.ReadSection('B', l); ShowMessage(l.CommaText);\n"
                               "f.ReadSectionValues('b', l); ShowMessage(l.CommaText); ShowMessage(l.Values['z']);\n"
                               "f.Free; l.Free; m.Free end.")
                               .arg(list, ini)),
            "True\n0\nm,żółw\nB,A\nx,z\nx=1,z=3\n3");
}

}  // namespace valmoro::script::test
