// String lists through scripts: adding, indexes, names and values, comma
// text, sorting with duplicates, objects, files; and the ini files' section
// readers that fill them.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "run_support.h"
#include "script/host_streams.h"
#include "script/module_classes.h"
#include "script/module_ini_files.h"

namespace valmoro::script::test {

namespace {

QString RunWithClasses(const QString& source) {
  return RunWithModules<TfsClassesModule, TfsIniFilesModule>(source);
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

TEST(StringLists, AValueIsFoundUnderANameWrittenWithDecomposedAccents) {
  // "Kwota\u0301" (accent as a combining mark) names the same key as the
  // composed "Kwotá" but is one character longer.
  EXPECT_EQ(RunWithClasses(QString::fromUtf8("var l: TStringList;\nbegin l := TStringList.Create;\n"
                                             "l.Add('Kwot\u00e1=123'); l.Add('ĄĆ=xy');\n"
                                             "ShowMessage(l.IndexOfName('Kwota\u0301'));\n"
                                             "ShowMessage(l.Values['Kwota\u0301']);\n"
                                             "ShowMessage(l.Values['ąć']); l.Free end.")),
            "0\n123\nxy");
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


TEST(ScriptObjects, ComponentsOwnersAndFreedObjectsReadNil) {
  EXPECT_EQ(RunWithClasses("var a, b, c: TComponent;\nbegin a := TComponent.Create(nil); a.Name := 'Okno';\n"
                           "b := TComponent.Create(a); b.Name := 'Przycisk'; c := TComponent.Create(a);\n"
                           "ShowMessage(a.ComponentCount); ShowMessage(b.Owner.Name); ShowMessage(a.Owner = nil);\n"
                           "ShowMessage(a.FindComponent('PRZYCISK') = b); ShowMessage(a.Components[1] = c);\n"
                           "b.Tag := 7; ShowMessage(b.Tag + 1);\n"
                           "c.Free; ShowMessage(c = nil); ShowMessage(a.ComponentCount);\n"
                           "a.Free; ShowMessage(b = nil);\n"
                           "try b.Name := 'x' except ShowMessage(ExceptionClassName) end end."),
            "2\nOkno\nTrue\nTrue\nTrue\n8\nTrue\n1\nTrue\nEInvalidOperation");
}

TEST(ScriptObjects, CollectionsAndAssign) {
  EXPECT_EQ(RunWithClasses("var c, d: TCollection; i, j: TCollectionItem; l: TStringList;\n"
                           "begin c := TCollection.Create; i := c.Add; i.DisplayName := 'pierwszy';\n"
                           "j := c.Add; j.DisplayName := 'drugi'; c.Insert(0).DisplayName := 'zerowy';\n"
                           "ShowMessage(c.Count); ShowMessage(c[0].DisplayName + ',' + c.Items[2].DisplayName);\n"
                           "ShowMessage(IntToStr(i.Index) + IntToStr(i.ID) + IntToStr(j.ID));\n"
                           "j.Index := 0; ShowMessage(c[0].DisplayName); ShowMessage(c.FindItemID(0) = i);\n"
                           "d := TCollection.Create; d.Assign(c); ShowMessage(IntToStr(d.Count) + d[2].DisplayName);\n"
                           "i.Free; ShowMessage(c.Count); c.Delete(0); ShowMessage(j = nil);\n"
                           "i := d[0]; i.Collection := c; ShowMessage(IntToStr(c.Count) + IntToStr(d.Count));\n"
                           "c.Free; ShowMessage(i = nil);\n"
                           "try d[5].DisplayName := 'x' except ShowMessage(ExceptionClassName + ': ' + ExceptionMessage) end;\n"
                           "l := TStringList.Create;\n"
                           "try d.Assign(l) except ShowMessage(ExceptionClassName + ': ' + ExceptionMessage) end;\n"
                           "l.Free; d.Free end."),
            "3\nzerowy,drugi\n101\ndrugi\nTrue\n3pierwszy\n2\nTrue\n22\nTrue\n"
            "EListError: List index out of bounds (5)\n"
            "EConvertError: Cannot assign a TStringList to a TCollection");
}

TEST(ScriptObjects, ListsHoldObjectsAndValues) {
  EXPECT_EQ(RunWithClasses("var l: TList; a, b: TStringList;\n"
                           "begin l := TList.Create; a := TStringList.Create; b := TStringList.Create;\n"
                           "l.Add(a); l.Add(b); l.Insert(1, 42); ShowMessage(l.Count);\n"
                           "ShowMessage(l.IndexOf(b)); ShowMessage(l.IndexOf(42)); ShowMessage(l[1]);\n"
                           "ShowMessage(l.First = a); ShowMessage(l.Last = b);\n"
                           "l.Exchange(0, 2); ShowMessage(l.IndexOf(a)); l.Move(2, 0); ShowMessage(l.IndexOf(a));\n"
                           "b.Free; ShowMessage(l[1] = nil); ShowMessage(l.IndexOf(nil));\n"
                           "ShowMessage(l.Remove(42)); ShowMessage(l.Remove(42)); ShowMessage(l.Count);\n"
                           "l.Count := 4; ShowMessage(l[3] = nil); l[3] := 'x'; ShowMessage(l.Items[3]);\n"
                           "try l.Delete(9) except ShowMessage(ExceptionClassName + ': ' + ExceptionMessage) end;\n"
                           "l.Clear; ShowMessage(l.Count); a.Free; l.Free end."),
            "3\n2\n1\n42\nTrue\nTrue\n2\n0\nTrue\n1\n2\n-1\n2\nTrue\nx\nEListError: List index out of bounds (9)\n0");
}

TEST(ScriptStreams, MemoryStreamBytesSeekAndRead) {
  EXPECT_EQ(RunWithClasses("var m, n: TMemoryStream; s: String;\n"
                           "begin m := TMemoryStream.Create;\n"
                           "ShowMessage(m.Write('abc' + Chr(0) + Chr(255) + 'xyz', 8));\n"
                           "ShowMessage(IntToStr(m.Size) + ' ' + IntToStr(m.Position));\n"
                           "ShowMessage(m.Seek(-3, soFromEnd)); ShowMessage(m.Read(s, 10)); ShowMessage(s);\n"
                           "m.Position := 3; m.Read(s, 2); ShowMessage(IntToStr(Ord(Copy(s, 1, 1))) + ' ' + IntToStr(Ord(Copy(s, 2, 1))));\n"
                           "ShowMessage(m.Seek(2, soFromCurrent)); ShowMessage(m.Read(s, 0)); \n"
                           "m.Position := 10; m.Write('!', 1); ShowMessage(m.Size); m.Position := 8; m.Read(s, 3);\n"
                           "ShowMessage(IntToStr(Ord(Copy(s, 1, 1))) + Copy(s, 3, 1));\n"
                           "m.Size := 2; ShowMessage(IntToStr(m.Size) + ' ' + IntToStr(m.Position));\n"
                           "ShowMessage(m.Write('ąb', 5)); ShowMessage(m.Size);\n"
                           "n := TMemoryStream.Create; ShowMessage(n.CopyFrom(m, 0)); n.Position := 0; n.Read(s, 2); ShowMessage(s);\n"
                           "try m.Seek(-1, soFromBeginning) except ShowMessage(ExceptionClassName) end;\n"
                           "try n.CopyFrom(m, 100) except ShowMessage(ExceptionClassName) end;\n"
                           "m.Free; n.Free; ShowMessage(m = nil) end."),
            "8\n8 8\n5\n3\nxyz\n0 255\n7\n0\n11\n0!\n2 2\n3\n5\n5\nab\nEStreamError\nEReadError\nTrue");
}

TEST(ScriptStreams, FileStreamModesAndErrors) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("dane.bin"));
  const QString missing = dir.filePath(QStringLiteral("brak.bin"));
  EXPECT_EQ(RunWithClasses(QStringLiteral(
                               "var f: TFileStream; m: TMemoryStream; s: String;\n"
                               "begin f := TFileStream.Create('%1', fmCreate); ShowMessage(f.Write('Zażółć', 6));\n"
                               "ShowMessage(f.FileName = '%1'); f.Free;\n"
                               "f := TFileStream.Create('%1', fmOpenRead or fmShareDenyNone); ShowMessage(f.Size);\n"
                               "ShowMessage(f.Read(s, 2)); ShowMessage(s); ShowMessage(f.Position);\n"
                               "try f.Write('x', 1) except ShowMessage(ExceptionClassName) end; f.Free;\n"
                               "f := TFileStream.Create('%1', fmOpenReadWrite); f.Seek(0, soFromEnd); f.Write('!', 1); f.Free;\n"
                               "f := TFileStream.Create('%1', fmOpenWrite); f.Write('Y', 1);\n"
                               "try f.Read(s, 1) except ShowMessage(ExceptionClassName) end; f.Free;\n"
                               "m := TMemoryStream.Create; m.LoadFromFile('%1'); ShowMessage(m.Size);\n"
                               "m.Position := 0; m.Read(s, 2); ShowMessage(s);\n"
                               "try f := TFileStream.Create('%2', fmOpenRead) except ShowMessage(ExceptionClassName + ': ' + ExceptionMessage) end;\n"
                               "try f := TFileStream.Create('%2', fmOpenWrite) except ShowMessage(ExceptionClassName) end;\n"
                               "try m.LoadFromFile('%2') except ShowMessage(ExceptionClassName) end;\n"
                               "m.Free end.")
                               .arg(path, missing)),
            QStringLiteral("10\nTrue\n10\n2\nZa\n2\nEWriteError\nEReadError\n11\nYa\n"
                           "EFOpenError: Cannot open file \"%1\". No such file or directory\nEFOpenError\nEFOpenError")
                .arg(missing));
  // The open modes never create a file.
  EXPECT_FALSE(QFile::exists(missing));
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), QByteArray("Yażółć!"));
}

TEST(ScriptStreams, StringListsAndStreams) {
  EXPECT_EQ(RunWithClasses("var l, k: TStringList; m: TMemoryStream; s: String;\n"
                           "begin l := TStringList.Create; k := TStringList.Create; m := TMemoryStream.Create;\n"
                           "l.Add('żółw'); l.Add('kot'); m.Write('>', 1); l.SaveToStream(m); ShowMessage(m.Size);\n"
                           "m.Position := 1; k.LoadFromStream(m); ShowMessage(k.CommaText); ShowMessage(m.Position);\n"
                           "k.AddStrings(l); ShowMessage(k.Count); l.Assign(k); ShowMessage(l.CommaText);\n"
                           "l.Free; k.Free; m.Free end."),
            "15\nżółw,kot\n15\n4\nżółw,kot,żółw,kot");
}

TEST(ScriptXml, DocumentBuildSaveLoadRoundTrip) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("a.xml"));
  const QString damaged = dir.filePath(QStringLiteral("zly.xml"));
  {
    QFile f(damaged);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("<?xml version=\"1.0\"?><r><a></b></r>");
  }
  EXPECT_EQ(RunWithClasses(QStringLiteral(
                               "var d, e: TfsXMLDocument; r, i, j: TfsXMLItem; m: TMemoryStream;\n"
                               "begin d := TfsXMLDocument.Create; r := d.Root; r.Name := 'raport';\n"
                               "i := r.Add; i.Name := 'pozycja'; i.Prop['nazwa'] := 'Zażółć \"x\" <y>'; i.Prop['ilosc'] := '5';\n"
                               "j := r.Add; j.Name := 'uwagi'; ShowMessage(j.Parent = r); ShowMessage(j.Root = r);\n"
                               "d.SaveToFile('%1');\n"
                               "e := TfsXMLDocument.Create; e.LoadFromFile('%1');\n"
                               "ShowMessage(e.Root.Name + ' ' + IntToStr(e.Root.Count));\n"
                               "ShowMessage(e.Root.Items[0].Prop['nazwa']); ShowMessage(e.Root[0].Prop['ILOSC']);\n"
                               "ShowMessage(e.Root[0].Text);\n"
                               "ShowMessage(e.Root.Find('UWAGI')); ShowMessage(e.Root.FindItem('nowy').Name + IntToStr(e.Root.Count));\n"
                               "m := TMemoryStream.Create; e.SaveToStream(m); m.Position := 0; d.LoadFromStream(m);\n"
                               "ShowMessage(i = nil); ShowMessage(r.Count); ShowMessage(r[2].Name);\n"
                               "try d.LoadFromFile('%2') except ShowMessage(ExceptionMessage) end;\n"
                               "ShowMessage(IntToStr(d.Root.Count) + d.Root.Name);\n"
                               "i := e.Root[1]; e.Root.Delete(1); ShowMessage(i = nil); ShowMessage(e.Root.Count);\n"
                               "j := e.Root[0]; e.Free; ShowMessage(j = nil);\n"
                               "m.Free; d.Free end.")
                               .arg(path, damaged)),
            "True\nTrue\nraport 2\nZażółć \"x\" <y>\n5\nnazwa=\"Zażółć &#34;x&#34; &#60;y&#62;\" ilosc=\"5\"\n"
            "1\nnowy3\nTrue\n3\nnowy\nInvalid file format\n3raport\nTrue\n2\nTrue");
}

TEST(ScriptXml, ItemsMoveBetweenTreesAndFreeWithTheirChildren) {
  EXPECT_EQ(RunWithClasses("var d: TfsXMLDocument; a, b, c: TfsXMLItem;\n"
                           "begin d := TfsXMLDocument.Create; d.Root.Name := 'r';\n"
                           "a := TfsXMLItem.Create; a.Name := 'luzem'; b := a.Add; b.Name := 'dziecko';\n"
                           "d.Root.AddItem(a); ShowMessage(a.Parent.Name + ' ' + IntToStr(d.Root.Count));\n"
                           "ShowMessage(b.Root.Name);\n"
                           "try b.AddItem(a) except ShowMessage(ExceptionMessage) end;\n"
                           "c := TfsXMLItem.Create; try c.AddItem(d.Root) except ShowMessage(ExceptionMessage) end; c.Free;\n"
                           "c := TfsXMLItem.Create; c.Name := 'c'; d.Root.InsertItem(0, c); ShowMessage(d.Root[0].Name);\n"
                           "a.Free; ShowMessage(b = nil); ShowMessage(d.Root.Count);\n"
                           "d.Root.Clear; ShowMessage(c = nil); ShowMessage(d.Root.Name);\n"
                           "a := d.Root; a.Free; ShowMessage(d.Root.Name);\n"
                           "a := TfsXMLItem.Create; b := a.Add; a.Free; ShowMessage(b = nil);\n"
                           "d.Free end."),
            "r 1\nr\nAn XML item cannot be placed below itself\nThe root of a document cannot leave it\nc\nTrue\n1\n"
            "True\nr\nr\nTrue");
}


TEST(ScriptStreams, ADeviceOverAStreamReportsAFailedSeekInsteadOfThrowing) {
  TMemoryStream stream;
  stream.writeBytes("abcdef");
  stream.setPosition(2);
  TStreamDevice device(&stream);
  EXPECT_EQ(device.size(), 4);
  EXPECT_TRUE(device.seek(1));
  EXPECT_EQ(stream.position(), 3);
  EXPECT_EQ(device.read(2), "de");
  bool seeked = true;
  EXPECT_NO_THROW(seeked = device.seek(-3));
  EXPECT_FALSE(seeked);
  EXPECT_EQ(stream.position(), 5);
}

}  // namespace valmoro::script::test
