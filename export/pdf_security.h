#pragma once
// Password protection of a PDF document by the standard security handler:
// AES-256 (revision 6) by default, RC4 with a 128-bit key (revision 3) only
// when asked for on behalf of old readers.
//
// An empty owner password is replaced by a random one: an owner password
// equal to the user password would hand every reader who can open the file
// all rights, whatever the permissions say.

#include <QByteArray>
#include <QString>
#include <memory>

namespace valmoro::pdf {

enum class Encryption { Aes256, Rc4_128 };

// Permission bits granted to a reader who opened with the user password.
enum Permission : unsigned { PermPrint = 1, PermModify = 2, PermCopy = 4, PermAnnotate = 8, PermAll = 15 };

// The permission value P of the encryption dictionary for a set of the four
// permissions above: −64 + 4 × the set.
int permissionValue(unsigned permissions);

class PdfSecurity {
public:
  virtual ~PdfSecurity() = default;

  // `fileId` is the first file identifier (16 bytes).
  static std::unique_ptr<PdfSecurity> create(Encryption method, const QString& userPassword,
                                             const QString& ownerPassword, unsigned permissions,
                                             const QByteArray& fileId);

  // Data of a stream or string of object `number`, encrypted.
  virtual QByteArray encrypt(int number, const QByteArray& data) const = 0;
  // The encryption dictionary's entries (without << >>).
  virtual QByteArray dictionary() const = 0;
  // The PDF version the method needs ("1.5" or "1.7") and catalog entries
  // that announce it ("/Extensions …"), possibly empty.
  virtual QByteArray version() const = 0;
  virtual QByteArray catalogEntries() const = 0;

  int permissions() const { return p_; }

protected:
  int p_ = -4;
};

// Cryptographically strong random bytes.
QByteArray randomBytes(int count);

}  // namespace valmoro::pdf
