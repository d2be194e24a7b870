#pragma once
// Why a file could not be read or written, in the user's language.
//
// Qt reports the system's reason in English ("No space left on device"), and
// only "Unknown error" when a buffered or atomically saved write lost the
// system's error code on the way. Every writer of the program words its
// failures through these, so a full disk or a file size limit is named as
// such, whichever file it was.

#include <QString>

class QIODevice;
class QSaveFile;

namespace valmoro::files {

// The Polish text of a system error code (errno); a code without a text of
// its own is named by its number.
QString systemErrorText(int errnum);

// The system error code behind a text Qt made of one ("Permission denied"),
// 0 when the text is not one of the system's.
int errorCodeOf(const QString& qtErrorText);

// The reason the last operation on `device` failed. For a write that lost
// its code, the disk of `path` (the file's name when empty) is asked: no room
// left, or the process may write no larger files.
QString ioErrorText(const QIODevice& device, const QString& path = QString());

// The reason a write of `path` failed with the system code `errnum` (0: the
// code is not known, the disk is asked as above).
QString writeErrorText(const QString& path, int errnum);

// "Błąd zapisu pliku NAME: REASON" for a write to `device` that failed
// (without the name when the device is no file).
QString writeFailedMessage(const QIODevice& device);

// Puts a save file in place when everything written reached the disk. The
// last buffered bytes are written only while committing, and a failure
// there would otherwise be ignored: the cut-short file would replace the
// old one and the commit report success. On failure the old file stays and
// the file's error says why.
bool commitFile(QSaveFile& file);

// Writing past the process's file size limit raises a signal that ends the
// program without a word; ignored, the write fails with "Plik jest za duży"
// and the user is told. Called once at the start of every program.
void ignoreFileSizeSignal();

}  // namespace valmoro::files
