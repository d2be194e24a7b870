// INI files through scripts: values of every type written, saved and read
// back by another script; comments and order survive; names ignore case.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "run_support.h"
#include "script/ini_file.h"
#include "script/module_classes.h"
#include "script/module_ini_files.h"

namespace valmoro::script::test {

namespace {

QString RunWithIni(const QString& source) {
  TfsScript script;
  script.AddRuntimeLibrary();
  script.AddSymbol(QString(), new TfsIniFilesModule(&script));
  return RunScript(QStringLiteral("PascalScript"), source, &script).Output();
}

QString ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QStringLiteral("<missing>");
}

}  // namespace

TEST(IniFiles, RoundTripThroughScripts) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("ustawienia.ini"));
  const QString write = QStringLiteral(
                            "var ini: TMemIniFile;\nbegin ini := TMemIniFile.Create('%1');\n"
                            "ini.WriteString('Ogólne', 'Nazwa', 'Zażółć gęślą jaźń');\n"
                            "ini.WriteInteger('Ogólne', 'Liczba', -42);\n"
                            "ini.WriteBool('Ogólne', 'Aktywny', True);\n"
                            "ini.WriteFloat('Liczby', 'Kurs', 4.25);\n"
                            "ini.WriteDate('Daty', 'Od', EncodeDate(2011, 12, 8));\n"
                            "ini.WriteDateTime('Daty', 'Kiedy', EncodeDate(2011, 12, 8) + EncodeTime(10, 30, 0, 0));\n"
                            "ini.WriteTime('Daty', 'Godzina', EncodeTime(7, 5, 9, 0));\n"
                            "ini.UpdateFile; ShowMessage(ini.FileName = '%1'); ini.Free end.")
                            .arg(path);
  EXPECT_EQ(RunWithIni(write), "True");
  EXPECT_EQ(ReadAll(path),
            "[Ogólne]\r\nNazwa=Zażółć gęślą jaźń\r\nLiczba=-42\r\nAktywny=1\r\n\r\n"
            "[Liczby]\r\nKurs=4,25\r\n\r\n"
            "[Daty]\r\nOd=2011-12-08\r\nKiedy=2011-12-08 10:30:00\r\nGodzina=07:05:09\r\n\r\n");

  const QString read = QStringLiteral(
                           "var ini: TIniFile;\nbegin ini := TIniFile.Create('%1');\n"
                           "ShowMessage(ini.ReadString('ogólne', 'NAZWA', '?'));\n"
                           "ShowMessage(ini.ReadInteger('Ogólne', 'Liczba', 0) + 1);\n"
                           "ShowMessage(ini.ReadBool('Ogólne', 'Aktywny', False));\n"
                           "ShowMessage(ini.ReadFloat('Liczby', 'Kurs', 0) * 2);\n"
                           "ShowMessage(DateToStr(ini.ReadDate('Daty', 'Od', 0) + 1));\n"
                           "ShowMessage(DateTimeToStr(ini.ReadDateTime('Daty', 'Kiedy', 0)));\n"
                           "ShowMessage(TimeToStr(ini.ReadTime('Daty', 'Godzina', 0)));\n"
                           "ShowMessage(ini.ReadString('Brak', 'X', 'domyślny'));\n"
                           "ShowMessage(ini.ReadInteger('Ogólne', 'Nazwa', 7));\n"
                           "ShowMessage(ini.SectionExists('LICZBY') and ini.ValueExists('Liczby', 'kurs'));\n"
                           "ShowMessage(ini.ValueExists('Liczby', 'Brak'));\n"
                           "ini.DeleteKey('Ogólne', 'Liczba'); ini.EraseSection('Daty'); ini.Free end.")
                           .arg(path);
  EXPECT_EQ(RunWithIni(read), "Zażółć gęślą jaźń\n-41\nTrue\n8,5\n2011-12-09\n2011-12-08 10:30:00\n07:05:09\ndomyślny\n7\n"
                              "True\nFalse");
  // TIniFile wrote each change at once.
  EXPECT_EQ(ReadAll(path), "[Ogólne]\r\nNazwa=Zażółć gęślą jaźń\r\nAktywny=1\r\n\r\n[Liczby]\r\nKurs=4,25\r\n\r\n");
}

TEST(IniFiles, CommentsAndOrderSurviveAndMemoryFilesWaitForUpdate) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("a.ini"));
  {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("\xEF\xBB\xBF; nagłówek\n[B]\nx = 1\n; uwaga=nie klucz\n[A]\ny=2\n");
  }
  TMemIniFile ini(path);
  EXPECT_EQ(ini.sectionNames(), QStringList({"B", "A"}));
  EXPECT_EQ(ini.keys("b"), QStringList({"x"}));
  EXPECT_EQ(ini.value("B", "X").value_or("?"), "1");
  EXPECT_FALSE(ini.value("B", "; uwaga").has_value());
  ini.setValue("A", "z", "3");
  ini.setValue("B", "x", "5");
  // Nothing written before UpdateFile: the byte-order mark is still there.
  QFile unchanged(path);
  ASSERT_TRUE(unchanged.open(QIODevice::ReadOnly));
  EXPECT_TRUE(unchanged.readAll().startsWith("\xEF\xBB\xBF; nag"));
  unchanged.close();
  ini.updateFile();
  EXPECT_EQ(ReadAll(path), "; nagłówek\r\n[B]\r\nx=5\r\n; uwaga=nie klucz\r\n\r\n[A]\r\ny=2\r\nz=3\r\n\r\n");
}

TEST(IniFiles, WriteFailureIsAScriptError) {
  EXPECT_EQ(RunWithIni("var ini: TMemIniFile;\nbegin ini := TMemIniFile.Create('/nonexistent-dir/x.ini');\n"
                       "ini.WriteString('A', 'B', 'C'); try ini.UpdateFile except ShowMessage(ExceptionClassName) end;\n"
                       "ini.Free end."),
            "EIniFileException");
}


namespace {

QString RunWithIniAndClasses(const QString& source) {
  return RunWithModules<TfsClassesModule, TfsIniFilesModule>(source);
}

}  // namespace

TEST(IniFiles, BinaryValuesThroughStreams) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("b.ini"));
  EXPECT_EQ(RunWithIniAndClasses(QStringLiteral(
                                     "var ini: TIniFile; m, n: TMemoryStream; s: String;\n"
                                     "begin ini := TIniFile.Create('%1'); m := TMemoryStream.Create;\n"
                                     "m.Write('xy' + Chr(0) + Chr(255) + Chr(16), 5); m.Position := 2;\n"
                                     "ini.WriteBinaryStream('Dane', 'Blok', m); ShowMessage(m.Position);\n"
                                     "n := TMemoryStream.Create; n.Write('>>', 2);\n"
                                     "ShowMessage(ini.ReadBinaryStream('Dane', 'Blok', n)); ShowMessage(n.Position);\n"
                                     "ShowMessage(n.Size); n.Read(s, 3);\n"
                                     "ShowMessage(IntToStr(Ord(Copy(s, 1, 1))) + ' ' + IntToStr(Ord(Copy(s, 2, 1))) + ' ' + IntToStr(Ord(Copy(s, 3, 1))));\n"
                                     "ShowMessage(ini.ReadBinaryStream('Dane', 'Brak', n)); ShowMessage(n.Size);\n"
                                     "ini.WriteString('Dane', 'Zly', '0G12');\n"
                                     "try ini.ReadBinaryStream('Dane', 'Zly', n) except ShowMessage(ExceptionClassName + ': ' + ExceptionMessage) end;\n"
                                     "ShowMessage(n.Size); ini.Free; m.Free; n.Free end.")
                                     .arg(path)),
            "5\n3\n2\n5\n0 255 16\n0\n5\nEIniFileException: Wartość Zly w sekcji [Dane] nie jest zapisem binarnym\n5");
  EXPECT_EQ(ReadAll(path), "[Dane]\r\nBlok=00FF10\r\nZly=0G12\r\n\r\n");
}

TEST(IniFiles, StringListsSurviveInTheirOwnSection) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("l.ini"));
  EXPECT_EQ(RunWithIniAndClasses(QStringLiteral(
                                     "var ini: TIniFile; l, k: TStringList;\n"
                                     "begin ini := TIniFile.Create('%1'); l := TStringList.Create; k := TStringList.Create;\n"
                                     "ini.WriteString('Lista', 'Stary', 'zniknie');\n"
                                     "l.Add('zwykły'); l.Add('  z odstępami '); l.Add(''); l.Add('\"cytat\"');\n"
                                     "l.Add('a' + Chr(9) + 'b\\c'); l.Add('x=y;z');\n"
                                     "ini.WriteTStrings('Lista', l); ini.ReadTStrings('lista', k);\n"
                                     "ShowMessage(k.Count); ShowMessage(k.Text = l.Text); ShowMessage('[' + k[1] + ']');\n"
                                     "ShowMessage(ini.ValueExists('Lista', 'Stary'));\n"
                                     "ini.WriteString('Reczna', 'a', 'jeden'); ini.WriteString('Reczna', 'b', '\"dwa  \"');\n"
                                     "ini.ReadTStrings('Reczna', k); ShowMessage(k.CommaText);\n"
                                     "ini.ReadSectionValuesEx('Reczna', k); ShowMessage(k.CommaText);\n"
                                     "l.Clear; ini.WriteTStrings('Lista', l); ini.ReadTStrings('Lista', k); ShowMessage(k.Count);\n"
                                     "ini.Free; l.Free; k.Free end.")
                                     .arg(path)),
            "6\nTrue\n[  z odstępami ]\nFalse\njeden,\"dwa  \"\njeden,\"\"\"dwa  \"\"\"\n0");
  EXPECT_EQ(ReadAll(path), "[Lista]\r\nCount=0\r\n\r\n[Reczna]\r\na=jeden\r\nb=\"dwa  \"\r\n\r\n");
}

TEST(IniFiles, StringListFileLayout) {
  TMemIniFile ini(QString{});
  ini.writeStrings("L", {"a", " b", "", "c\r\nd", "\"q\"", "e\x01"});
  EXPECT_EQ(ini.text(),
            "[L]\r\nCount=6\r\nItem1=a\r\nItem2=\" b\"\r\nItem3=\r\nItem4=\"c\\r\\nd\"\r\nItem5=\"\\\"q\\\"\"\r\n"
            "Item6=\"e\\x01\"\r\n\r\n");
  EXPECT_EQ(ini.readStrings("l"), QStringList({"a", " b", "", "c\r\nd", "\"q\"", "e\x01"}));
  // A Count that is larger than the items gives empty lines; one that is no number reads all values.
  ini.setText("[L]\r\nCount=2\r\nItem2=x\r\n[M]\r\nCount=dużo\r\nk=1\r\nl=\"2\\t\"\r\n");
  EXPECT_EQ(ini.readStrings("L"), QStringList({"", "x"}));
  EXPECT_EQ(ini.readStrings("M"), QStringList({"dużo", "1", "2\t"}));
}

TEST(IniFiles, ADamagedListCountReadsOnlyTheItemsThere) {
  // A hand-edited Count far beyond the items must neither hang nor build
  // billions of empty lines; the items there still come back in order.
  TMemIniFile ini(QString{});
  ini.setText("[L]\r\nCount=2147483647\r\nItem1=a\r\nItem3=c\r\nItem03=x\r\n[M]\r\nCount=2\r\nItem3=za daleko\r\n");
  EXPECT_EQ(ini.readStrings("L"), QStringList({"a", "", "c"}));
  EXPECT_EQ(ini.readStrings("M"), QStringList());
}

TEST(IniFiles, WholeFileThroughStringListsAndStreams) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("c.ini"));
  EXPECT_EQ(RunWithIniAndClasses(QStringLiteral(
                                     "var ini, mem: TCustomIniFile; l: TStringList; m: TMemoryStream;\n"
                                     "begin ini := TIniFile.Create('%1'); mem := TMemIniFile.Create('');\n"
                                     "l := TStringList.Create; m := TMemoryStream.Create;\n"
                                     "l.Text := '[A]' + #13#10 + 'x=1' + #13#10 + '[B]' + #13#10 + 'y=ż';\n"
                                     "ini.SetStrings(l); ShowMessage(ini.ReadString('B', 'y', '?'));\n"
                                     "ini.GetStrings(l); ShowMessage(l.CommaText);\n"
                                     "m.Write('#', 1); ini.SaveIniFileToStream(m); m.Position := 1;\n"
                                     "mem.LoadIniFileFromStream(m); ShowMessage(mem.ReadInteger('A', 'x', 0) + 1);\n"
                                     "ShowMessage(mem.SectionExists('B')); mem.Free; ini.Free; l.Free; m.Free end.")
                                     .arg(path)),
            "ż\n[A],x=1,\"\",[B],y=ż,\"\"\n2\nTrue");
  // TIniFile wrote the new content at once.
  EXPECT_EQ(ReadAll(path), "[A]\r\nx=1\r\n\r\n[B]\r\ny=ż\r\n\r\n");
}

}  // namespace valmoro::script::test
