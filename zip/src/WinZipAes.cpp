#include "WinZipAes.h"

#include "Crypto.h"

#include <algorithm>
#include <cstring>

namespace zipcore {
namespace {

constexpr unsigned kIterations = 1000;
constexpr std::size_t kMaxKeyLength = 32;

}  // namespace

std::size_t WinZipAesCipher::KeyLengthFor(uint8_t strength) {
    switch (strength) {
    case 1: return 16;
    case 2: return 24;
    case 3: return 32;
    default: return 0;
    }
}

WinZipAesCipher::WinZipAesCipher(std::unique_ptr<crypto::AesBlocks> aes, std::unique_ptr<crypto::HmacSha1> hmac)
    : aes(std::move(aes)), hmac(std::move(hmac)) {}

WinZipAesCipher::~WinZipAesCipher() { crypto::Wipe(stream, sizeof stream); }

// Derives the AES key, the HMAC key and the verifier, in that order, and keeps the two keys in
// their system objects only.
std::unique_ptr<WinZipAesCipher> WinZipAesCipher::FromKeys(const std::string& password, std::size_t keyLength,
                                                           const uint8_t* salt, uint8_t* verifier) {
    if (keyLength != 16 && keyLength != 24 && keyLength != 32) return nullptr;
    uint8_t derived[2 * kMaxKeyLength + kVerifierLength];
    const std::size_t derivedLength = 2 * keyLength + kVerifierLength;
    std::unique_ptr<WinZipAesCipher> cipher;
    if (crypto::DerivePbkdf2Sha1(password, salt, SaltLengthFor(keyLength), kIterations, derived, derivedLength)) {
        auto aes = crypto::AesBlocks::Create(derived, keyLength);
        auto hmac = crypto::HmacSha1::Create(derived + keyLength, keyLength);
        if (aes && hmac) cipher.reset(new WinZipAesCipher(std::move(aes), std::move(hmac)));
        std::memcpy(verifier, derived + 2 * keyLength, kVerifierLength);
    }
    crypto::Wipe(derived, sizeof derived);
    return cipher;
}

std::unique_ptr<WinZipAesCipher> WinZipAesCipher::ForReading(const std::string& password, std::size_t keyLength,
                                                             const uint8_t* salt, const uint8_t* verifier,
                                                             Opening& opening) {
    uint8_t expected[kVerifierLength] = {};
    std::unique_ptr<WinZipAesCipher> cipher = FromKeys(password, keyLength, salt, expected);
    if (!cipher) {
        opening = Opening::SystemFailed;
    } else if (std::memcmp(expected, verifier, kVerifierLength) != 0) {
        opening = Opening::WrongPassword;
        cipher.reset();
    } else {
        opening = Opening::Ready;
    }
    return cipher;
}

std::unique_ptr<WinZipAesCipher> WinZipAesCipher::ForWriting(const std::string& password, std::size_t keyLength,
                                                             uint8_t* salt, uint8_t* verifier) {
    if (!crypto::RandomBytes(salt, SaltLengthFor(keyLength))) return nullptr;
    return FromKeys(password, keyLength, salt, verifier);
}

bool WinZipAesCipher::ApplyKeyStream(uint8_t* data, std::size_t length) {
    while (length > 0) {
        if (streamUsed == sizeof stream) {
            std::memset(stream, 0, sizeof stream);
            for (std::size_t block = 0; block < kStreamBlocks; ++block, ++counter)
                for (int i = 0; i < 8; ++i) stream[block * 16 + i] = static_cast<uint8_t>(counter >> (8 * i));
            if (!aes->Encrypt(stream, stream, kStreamBlocks)) return false;
            streamUsed = 0;
        }
        const std::size_t take = std::min(length, sizeof stream - streamUsed);
        for (std::size_t i = 0; i < take; ++i) data[i] ^= stream[streamUsed + i];
        streamUsed += take;
        data += take;
        length -= take;
    }
    return true;
}

bool WinZipAesCipher::Decrypt(uint8_t* data, std::size_t length) {
    return hmac->Update(data, length) && ApplyKeyStream(data, length);
}

bool WinZipAesCipher::Encrypt(uint8_t* data, std::size_t length) {
    return ApplyKeyStream(data, length) && hmac->Update(data, length);
}

bool WinZipAesCipher::AuthenticationCode(uint8_t code[kAuthenticationLength]) {
    uint8_t digest[crypto::HmacSha1::kDigestLength];
    if (!hmac->Finish(digest)) return false;
    std::memcpy(code, digest, kAuthenticationLength);
    return true;
}

bool WinZipAesCipher::Authenticates(const uint8_t code[kAuthenticationLength]) {
    uint8_t computed[kAuthenticationLength];
    if (!AuthenticationCode(computed)) return false;
    // Every byte compared whatever the first difference, so that timing tells nothing.
    uint8_t difference = 0;
    for (std::size_t i = 0; i < kAuthenticationLength; ++i) difference |= computed[i] ^ code[i];
    return difference == 0;
}

}  // namespace zipcore
