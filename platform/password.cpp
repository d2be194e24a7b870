#include "password.h"

#include <sodium.h>

#include <stdexcept>

namespace valmoro::password {
namespace {

void ensureLibrary() {
  static const bool ready = sodium_init() >= 0;
  if (!ready) throw std::runtime_error("libsodium failed to initialise");
}

}  // namespace

QString hash(const QString& plain) {
  ensureLibrary();
  const QByteArray bytes = plain.toUtf8();
  char out[crypto_pwhash_STRBYTES];
  if (crypto_pwhash_str(out, bytes.constData(), static_cast<unsigned long long>(bytes.size()),
                        crypto_pwhash_OPSLIMIT_INTERACTIVE, crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0)
    throw std::runtime_error("password hashing ran out of memory");
  return QString::fromLatin1(out);
}

bool isHash(const QString& stored) { return stored.startsWith(QLatin1String("$argon2")); }

bool verify(const QString& stored, const QString& typed) {
  if (stored.isEmpty() || !isHash(stored)) return false;
  ensureLibrary();
  const QByteArray s = stored.toLatin1();
  const QByteArray t = typed.toUtf8();
  return crypto_pwhash_str_verify(s.constData(), t.constData(), static_cast<unsigned long long>(t.size())) == 0;
}

}  // namespace valmoro::password
