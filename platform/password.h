#pragma once
// Passwords are kept only as salted, deliberately slow hashes.

#include <QString>

namespace valmoro::password {

// A self-describing hash string (algorithm, parameters, salt and hash).
// Throws std::runtime_error when the hashing library cannot work (out of memory).
QString hash(const QString& plain);

// True when the stored value is one of our hashes (as opposed to a password
// left as plain text by an older tool).
bool isHash(const QString& stored);

// Whether the typed password matches what is stored. Letter case counts.
// An empty stored value never matches.
bool verify(const QString& stored, const QString& typed);

}  // namespace valmoro::password
