#pragma once
// The few cryptographic primitives encrypted entries need, behind one interface: the system's
// CNG (bcrypt.dll) on Windows, OpenSSL's libcrypto elsewhere. Nothing here is home-made; the
// zip format's own traditional cipher, which no library offers, lives in ZipCrypto.h.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace zipcore::crypto {

// PBKDF2 with HMAC-SHA1. False when the system refuses (never for valid arguments).
bool DerivePbkdf2Sha1(const std::string& password, const uint8_t* salt, std::size_t saltLength,
                      unsigned iterations, uint8_t* out, std::size_t outLength);

// Fills out with bytes from the system's random generator; false when it cannot.
bool RandomBytes(uint8_t* out, std::size_t length);

// AES with a 16, 24 or 32-byte key, encrypting whole 16-byte blocks independently (the
// counter mode of WinZip's format is built on it, with its own counter).
class AesBlocks {
public:
    virtual ~AesBlocks() = default;
    // Null for a key of another length or when the system refuses.
    static std::unique_ptr<AesBlocks> Create(const uint8_t* key, std::size_t keyLength);
    // in and out may be the same; blocks counts 16-byte blocks.
    virtual bool Encrypt(const uint8_t* in, uint8_t* out, std::size_t blocks) = 0;
};

// HMAC-SHA1, fed piece by piece.
class HmacSha1 {
public:
    static constexpr std::size_t kDigestLength = 20;
    virtual ~HmacSha1() = default;
    static std::unique_ptr<HmacSha1> Create(const uint8_t* key, std::size_t keyLength);
    virtual bool Update(const uint8_t* data, std::size_t length) = 0;
    // The code of everything fed; the object is spent afterwards.
    virtual bool Finish(uint8_t digest[kDigestLength]) = 0;
};

// Overwrites memory that held a password or a key, in a way the compiler keeps.
void Wipe(void* data, std::size_t length);

}  // namespace zipcore::crypto
