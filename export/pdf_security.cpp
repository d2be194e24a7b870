#include "export/pdf_security.h"

#include <openssl/evp.h>
#include <openssl/rand.h>

#include <QCryptographicHash>
#include <array>

#include "export/pdf_writer.h"
#include "report/model/report_error.h"

namespace valmoro::pdf {
namespace {

[[noreturn]] void cryptoFailed() {
  throw report::ReportError(QStringLiteral("Nie udało się zaszyfrować dokumentu PDF."));
}

// The 32-byte padding string of the standard security handler.
const unsigned char kPad[32] = {0x28, 0xBF, 0x4E, 0x5E, 0x4E, 0x75, 0x8A, 0x41, 0x64, 0x00, 0x4E,
                                0x56, 0xFF, 0xFA, 0x01, 0x08, 0x2E, 0x2E, 0x00, 0xB6, 0xD0, 0x68,
                                0x3E, 0x80, 0x2F, 0x0C, 0xA9, 0xFE, 0x64, 0x53, 0x69, 0x7A};

QByteArray md5(const QByteArray& data) { return QCryptographicHash::hash(data, QCryptographicHash::Md5); }

// One cipher pass through OpenSSL; padding only where asked.
QByteArray cipher(const EVP_CIPHER* type, const QByteArray& key, const QByteArray& iv, const QByteArray& data,
                  bool padding) {
  std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> ctx(EVP_CIPHER_CTX_new(), EVP_CIPHER_CTX_free);
  if (!ctx) cryptoFailed();
  if (EVP_EncryptInit_ex(ctx.get(), type, nullptr, nullptr, nullptr) != 1) cryptoFailed();
  if (EVP_CIPHER_CTX_set_key_length(ctx.get(), int(key.size())) != 1) cryptoFailed();
  if (EVP_EncryptInit_ex(ctx.get(), nullptr, nullptr, reinterpret_cast<const unsigned char*>(key.constData()),
                         iv.isEmpty() ? nullptr : reinterpret_cast<const unsigned char*>(iv.constData())) != 1)
    cryptoFailed();
  EVP_CIPHER_CTX_set_padding(ctx.get(), padding ? 1 : 0);
  QByteArray out(data.size() + 32, Qt::Uninitialized);
  int n1 = 0, n2 = 0;
  if (EVP_EncryptUpdate(ctx.get(), reinterpret_cast<unsigned char*>(out.data()), &n1,
                        reinterpret_cast<const unsigned char*>(data.constData()), int(data.size())) != 1)
    cryptoFailed();
  if (EVP_EncryptFinal_ex(ctx.get(), reinterpret_cast<unsigned char*>(out.data()) + n1, &n2) != 1) cryptoFailed();
  out.resize(n1 + n2);
  return out;
}

// RC4 is in OpenSSL 3's legacy provider, which a machine may lack; it is
// short enough to do here.
QByteArray rc4(const QByteArray& key, const QByteArray& data) {
  std::array<unsigned char, 256> s;
  for (int i = 0; i < 256; ++i) s[size_t(i)] = static_cast<unsigned char>(i);
  const auto* k = reinterpret_cast<const unsigned char*>(key.constData());
  const int kl = int(key.size());
  for (int i = 0, j = 0; i < 256; ++i) {
    j = (j + s[size_t(i)] + k[i % kl]) & 255;
    std::swap(s[size_t(i)], s[size_t(j)]);
  }
  QByteArray out = data;
  auto* d = reinterpret_cast<unsigned char*>(out.data());
  for (qsizetype n = 0, i = 0, j = 0; n < out.size(); ++n) {
    i = (i + 1) & 255;
    j = (j + s[size_t(i)]) & 255;
    std::swap(s[size_t(i)], s[size_t(j)]);
    d[n] ^= s[size_t((s[size_t(i)] + s[size_t(j)]) & 255)];
  }
  return out;
}

QByteArray sha(int bits, const QByteArray& data) {
  switch (bits) {
    case 384:
      return QCryptographicHash::hash(data, QCryptographicHash::Sha384);
    case 512:
      return QCryptographicHash::hash(data, QCryptographicHash::Sha512);
    default:
      return QCryptographicHash::hash(data, QCryptographicHash::Sha256);
  }
}

// ---------------------------------------------------------------- RC4, 128 bits

class Rc4Security final : public PdfSecurity {
public:
  Rc4Security(const QByteArray& user, const QByteArray& owner, int p, const QByteArray& fileId) {
    p_ = p;
    const QByteArray u = padded(user), o = padded(owner);
    // O: the padded user password under a key made from the owner's.
    QByteArray ownerKey = md5(o);
    for (int i = 0; i < 50; ++i) ownerKey = md5(ownerKey);
    o_ = rc4(ownerKey, u);
    for (int i = 1; i <= 19; ++i) o_ = rc4(xored(ownerKey, i), o_);
    // The document key.
    QByteArray seed = u + o_;
    for (int i = 0; i < 4; ++i) seed += char((unsigned(p) >> (8 * i)) & 0xFF);
    seed += fileId;
    key_ = md5(seed);
    for (int i = 0; i < 50; ++i) key_ = md5(key_);
    // U: the padding and the identifier under the document key.
    QByteArray check = rc4(key_, md5(QByteArray(reinterpret_cast<const char*>(kPad), 32) + fileId));
    for (int i = 1; i <= 19; ++i) check = rc4(xored(key_, i), check);
    u_ = check + QByteArray(16, '\0');
  }

  QByteArray encrypt(int number, const QByteArray& data) const override {
    QByteArray seed = key_;
    seed += char(number & 0xFF);
    seed += char((number >> 8) & 0xFF);
    seed += char((number >> 16) & 0xFF);
    seed += char(0);
    seed += char(0);
    return rc4(md5(seed), data);
  }

  QByteArray dictionary() const override {
    return "/Filter /Standard /V 2 /R 3 /Length 128 /P " + num(p_) + " /O " + hexString(o_) + " /U " +
           hexString(u_);
  }
  QByteArray version() const override { return "1.5"; }
  QByteArray catalogEntries() const override { return {}; }

private:
  static QByteArray padded(const QByteArray& password) {
    QByteArray out = password.left(32);
    out += QByteArray(reinterpret_cast<const char*>(kPad), 32 - out.size());
    return out;
  }
  static QByteArray xored(const QByteArray& key, int value) {
    QByteArray out = key;
    for (char& c : out) c = char(static_cast<unsigned char>(c) ^ value);
    return out;
  }

  QByteArray key_, o_, u_;
};

// ---------------------------------------------------------------- AES, 256 bits

class Aes256Security final : public PdfSecurity {
public:
  Aes256Security(const QByteArray& user, const QByteArray& owner, int p) {
    p_ = p;
    key_ = randomBytes(32);
    const QByteArray zeroIv(16, '\0');
    // User: validation and key salts, the hash, the document key wrapped.
    const QByteArray uvs = randomBytes(8), uks = randomBytes(8);
    u_ = hash(user, uvs, {}) + uvs + uks;
    ue_ = cipher(EVP_aes_256_cbc(), hash(user, uks, {}), zeroIv, key_, false);
    // Owner, bound to the user entry.
    const QByteArray ovs = randomBytes(8), oks = randomBytes(8);
    o_ = hash(owner, ovs, u_) + ovs + oks;
    oe_ = cipher(EVP_aes_256_cbc(), hash(owner, oks, u_), zeroIv, key_, false);
    // Perms: the permissions sealed with the document key.
    QByteArray perms;
    for (int i = 0; i < 4; ++i) perms += char((unsigned(p) >> (8 * i)) & 0xFF);
    perms += QByteArray(4, char(0xFF));
    perms += "Tadb";
    perms += randomBytes(4);
    perms_ = cipher(EVP_aes_256_ecb(), key_, {}, perms, false);
  }

  QByteArray encrypt(int, const QByteArray& data) const override {
    const QByteArray iv = randomBytes(16);
    return iv + cipher(EVP_aes_256_cbc(), key_, iv, data, true);
  }

  QByteArray dictionary() const override {
    return "/Filter /Standard /V 5 /R 6 /Length 256 /CF << /StdCF << /AuthEvent /DocOpen /CFM /AESV3 /Length 32 "
           ">> >> /StmF /StdCF /StrF /StdCF /P " +
           num(p_) + " /O " + hexString(o_) + " /U " + hexString(u_) + " /OE " + hexString(oe_) + " /UE " +
           hexString(ue_) + " /Perms " + hexString(perms_) + " /EncryptMetadata true";
  }
  QByteArray version() const override { return "1.7"; }
  QByteArray catalogEntries() const override {
    return "/Extensions << /ADBE << /BaseVersion /1.7 /ExtensionLevel 8 >> >>";
  }

private:
  // The iterated hash of revision 6 over SHA-256/384/512 and AES-128.
  static QByteArray hash(const QByteArray& password, const QByteArray& salt, const QByteArray& userKey) {
    QByteArray k = sha(256, password + salt + userKey);
    QByteArray e;
    for (int round = 0; round < 64 || static_cast<unsigned char>(e.back()) > round - 32; ++round) {
      const QByteArray block = password + k + userKey;
      QByteArray k1;
      k1.reserve(block.size() * 64);
      for (int i = 0; i < 64; ++i) k1 += block;
      e = cipher(EVP_aes_128_cbc(), k.left(16), k.mid(16, 16), k1, false);
      int sum = 0;
      for (int i = 0; i < 16; ++i) sum += static_cast<unsigned char>(e[i]);
      k = sha(256 + 128 * (sum % 3), e);
    }
    return k.left(32);
  }

  QByteArray key_, o_, u_, oe_, ue_, perms_;
};

}  // namespace

int permissionValue(unsigned permissions) { return -64 + 4 * int(permissions & PermAll); }

QByteArray randomBytes(int count) {
  QByteArray out(count, Qt::Uninitialized);
  if (RAND_bytes(reinterpret_cast<unsigned char*>(out.data()), count) != 1) cryptoFailed();
  return out;
}

std::unique_ptr<PdfSecurity> PdfSecurity::create(Encryption method, const QString& userPassword,
                                                 const QString& ownerPassword, unsigned permissions,
                                                 const QByteArray& fileId) {
  const int p = permissionValue(permissions);
  if (method == Encryption::Rc4_128) {
    // Revision 3 passwords are single bytes; letters beyond Latin-1 cannot be
    // typed in there by any reader either.
    const QByteArray user = userPassword.toLatin1();
    QByteArray owner = ownerPassword.toLatin1();
    if (owner.isEmpty()) owner = randomBytes(32);
    return std::make_unique<Rc4Security>(user, owner, p, fileId);
  }
  // Revision 6 takes UTF-8 passwords of at most 127 bytes.
  const QByteArray user = userPassword.toUtf8().left(127);
  QByteArray owner = ownerPassword.toUtf8().left(127);
  if (owner.isEmpty()) owner = randomBytes(24).toBase64();
  return std::make_unique<Aes256Security>(user, owner, p);
}

}  // namespace valmoro::pdf
