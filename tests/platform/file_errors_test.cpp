// Reasons of failed reads and writes, in Polish, from the system's own codes
// and from the disk when Qt lost the code.

#include <gtest/gtest.h>

#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/resource.h>

#include "platform/file_errors.h"

namespace valmoro {
namespace {

TEST(FileErrors, SystemCodesAndQtTextsBecomePolishReasons) {
  EXPECT_EQ(files::systemErrorText(ENOSPC), "Brak miejsca na dysku");
  EXPECT_EQ(files::systemErrorText(EFBIG), "Plik jest za duży");
  EXPECT_EQ(files::systemErrorText(EACCES), "Brak uprawnień");
  EXPECT_EQ(files::systemErrorText(987654), "Błąd systemu nr 987654");
  // Qt words a failure in the system's (English) text.
  EXPECT_EQ(files::errorCodeOf(QString::fromLocal8Bit(std::strerror(EACCES))), EACCES);
  EXPECT_EQ(files::errorCodeOf(QString::fromLocal8Bit(std::strerror(ENOENT))), ENOENT);
  EXPECT_EQ(files::errorCodeOf(QStringLiteral("Unknown error")), 0);
  EXPECT_EQ(files::errorCodeOf(QString()), 0);

  QFile missing(QStringLiteral("/nie/ma/takiego/folderu/plik.txt"));
  ASSERT_FALSE(missing.open(QIODevice::ReadOnly));
  EXPECT_EQ(files::ioErrorText(missing), "Nie ma takiego pliku ani folderu");
}

TEST(FileErrors, AFullDiskIsNamedWithTheFile) {
  // Every write to this device fails as on a full disk.
  QFile full(QStringLiteral("/dev/full"));
  ASSERT_TRUE(full.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
  const QByteArray data(4096, 'x');
  ASSERT_NE(full.write(data), data.size());
  EXPECT_EQ(files::ioErrorText(full), "Brak miejsca na dysku");
  EXPECT_EQ(files::writeFailedMessage(full), "Błąd zapisu pliku /dev/full: Brak miejsca na dysku");
}

TEST(FileErrors, TheFileSizeLimitIsNamedEvenWhenQtLostTheCode) {
  QTemporaryDir dir;
  rlimit before{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &before), 0);
  files::ignoreFileSizeSignal();
  rlimit small = before;
  small.rlim_cur = 4096;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  QSaveFile file(dir.filePath(QStringLiteral("duzy.pdf")));
  const bool opened = file.open(QIODevice::WriteOnly);
  const QByteArray data(64 * 1024, 'x');
  const bool written = opened && file.write(data) == data.size() && file.commit();
  const QString reason = files::ioErrorText(file);
  const QString said = files::writeErrorText(file.fileName(), 0);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &before), 0);
  std::signal(SIGXFSZ, SIG_DFL);
  ASSERT_TRUE(opened);
  EXPECT_FALSE(written);
  EXPECT_EQ(reason, "Plik jest za duży");
  EXPECT_EQ(said, "Plik jest za duży");
  // Nothing was left under the target's name.
  EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("duzy.pdf"))));
}

TEST(FileErrors, ALastWriteThatFailsKeepsTheOldFile) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("tabela.conf"));
  {
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("poprzedni układ");
  }
  rlimit before{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &before), 0);
  files::ignoreFileSizeSignal();
  rlimit none = before;
  none.rlim_cur = 0;
  QSaveFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  // Small enough to wait in the buffer until the commit.
  ASSERT_EQ(file.write("nowy układ kolumn"), qint64(sizeof("nowy układ kolumn") - 1));
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &none), 0);
  const bool committed = files::commitFile(file);
  const QString reason = files::ioErrorText(file);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &before), 0);
  std::signal(SIGXFSZ, SIG_DFL);
  EXPECT_FALSE(committed);
  EXPECT_EQ(reason, "Plik jest za duży");
  QFile kept(path);
  ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
  EXPECT_EQ(kept.readAll(), QByteArray("poprzedni układ"));
}

}  // namespace
}  // namespace valmoro
