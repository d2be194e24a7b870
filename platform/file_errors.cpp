#include "platform/file_errors.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDevice>
#include <QFileInfo>
#include <QSaveFile>
#include <QStorageInfo>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/resource.h>

namespace valmoro::files {

namespace {

struct Reason {
  int code;
  const char* text;
};

// The reasons a user of a desktop program can meet when opening, reading or
// writing files.
constexpr Reason kReasons[] = {
    {ENOSPC, "Brak miejsca na dysku"},
    {EDQUOT, "Przekroczono przydział miejsca na dysku"},
    {EFBIG, "Plik jest za duży"},
    {EACCES, "Brak uprawnień"},
    {EPERM, "Operacja niedozwolona"},
    {EROFS, "System plików jest tylko do odczytu"},
    {ENOENT, "Nie ma takiego pliku ani folderu"},
    {ENOTDIR, "Część ścieżki nie jest folderem"},
    {EISDIR, "To jest folder, nie plik"},
    {EEXIST, "Plik już istnieje"},
    {ENAMETOOLONG, "Nazwa pliku jest za długa"},
    {ELOOP, "Zbyt wiele dowiązań symbolicznych w ścieżce"},
    {EMFILE, "Otwarto za dużo plików"},
    {ENFILE, "Otwarto za dużo plików w systemie"},
    {EIO, "Błąd wejścia/wyjścia urządzenia"},
    {EBUSY, "Urządzenie lub zasób jest zajęty"},
    {ETXTBSY, "Plik jest w użyciu"},
    {EAGAIN, "Zasób chwilowo niedostępny"},
    {EINTR, "Przerwane wywołanie systemowe"},
    {ENOMEM, "Brak pamięci"},
    {EXDEV, "Nie można przenieść pliku na inny dysk"},
    {ENOTEMPTY, "Folder nie jest pusty"},
    {EINVAL, "Nieprawidłowy argument"},
    {ESPIPE, "Nie można przewijać tego pliku"},
    {EPIPE, "Przerwany potok"},
    {ESTALE, "Nieaktualny uchwyt pliku sieciowego"},
    {ENODEV, "Nie ma takiego urządzenia"},
    {ENXIO, "Nie ma takiego urządzenia ani adresu"},
    {ETIMEDOUT, "Przekroczono czas oczekiwania"},
    {ENOLCK, "Brak dostępnych blokad"},
};

// A disk with less free room than this cannot take the rest of a file.
constexpr qint64 kNearlyFull = 256 * 1024;

bool fileSizeLimited() {
  rlimit limit{};
  return ::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY;
}

// Asks the disk why a write may have failed when the system's code is lost.
int probeWriteFailure(const QString& path) {
  if (!path.isEmpty()) {
    QStorageInfo storage(QFileInfo(path).absolutePath());
    if (storage.isValid() && storage.bytesAvailable() < kNearlyFull) return ENOSPC;
  }
  if (fileSizeLimited()) return EFBIG;
  return 0;
}

}  // namespace

QString systemErrorText(int errnum) {
  for (const Reason& reason : kReasons)
    if (reason.code == errnum) return QString::fromUtf8(reason.text);
  return QStringLiteral("Błąd systemu nr %1").arg(errnum);
}

int errorCodeOf(const QString& qtErrorText) {
  if (qtErrorText.isEmpty()) return 0;
  for (const Reason& reason : kReasons) {
    if (qtErrorText == QString::fromLocal8Bit(std::strerror(reason.code))) return reason.code;
  }
  return 0;
}

QString writeErrorText(const QString& path, int errnum) {
  const int code = errnum != 0 ? errnum : probeWriteFailure(path);
  return code != 0 ? systemErrorText(code) : QStringLiteral("Nieznany błąd zapisu na dysku");
}

QString ioErrorText(const QIODevice& device, const QString& path) {
  const QString text = device.errorString();
  if (const int code = errorCodeOf(text); code != 0) return systemErrorText(code);
  QString name = path;
  const auto* file = qobject_cast<const QFileDevice*>(&device);
  if (name.isEmpty() && file != nullptr) name = file->fileName();
  const bool wrote = file == nullptr || file->error() == QFileDevice::WriteError ||
                     file->error() == QFileDevice::ResizeError || file->error() == QFileDevice::UnspecifiedError ||
                     file->error() == QFileDevice::NoError;
  if (wrote) {
    if (const int code = probeWriteFailure(name); code != 0) return systemErrorText(code);
  }
  // Qt's own words ("Unknown error" included) are still better than none.
  if (text.isEmpty() || text == QLatin1String("Unknown error") ||
      text == QCoreApplication::translate("QIODevice", "Unknown error"))
    return wrote ? QStringLiteral("Nieznany błąd zapisu na dysku") : QStringLiteral("Nieznany błąd");
  return text;
}

QString writeFailedMessage(const QIODevice& device) {
  const auto* file = qobject_cast<const QFileDevice*>(&device);
  if (file == nullptr || file->fileName().isEmpty())
    return QStringLiteral("Błąd zapisu: %1").arg(ioErrorText(device));
  return QStringLiteral("Błąd zapisu pliku %1: %2").arg(QDir::toNativeSeparators(file->fileName()), ioErrorText(device));
}

bool commitFile(QSaveFile& file) {
  if (!file.flush()) {
    file.cancelWriting();
    return false;
  }
  return file.commit();
}

void ignoreFileSizeSignal() { std::signal(SIGXFSZ, SIG_IGN); }

}  // namespace valmoro::files
