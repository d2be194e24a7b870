// INI files through scripts: values of every type written, saved and read
// back by another script; comments and order survive; names ignore case.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "run_support.h"
#include "script/ini_file.h"
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

}  // namespace valmoro::script::test
