#pragma once
// WinZip's AES encryption of one entry (AE-1 and AE-2): keys derived from the password and the
// entry's salt with PBKDF2-HMAC-SHA1, AES in counter mode with a little-endian counter from 1,
// and HMAC-SHA1 over the encrypted bytes, cut to 10, as the entry's authentication code.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace zipcore {

namespace crypto {
class AesBlocks;
class HmacSha1;
}  // namespace crypto

class WinZipAesCipher {
public:
    static constexpr std::size_t kVerifierLength = 2;
    static constexpr std::size_t kAuthenticationLength = 10;
    static constexpr std::size_t kMaxSaltLength = 16;

    // The key length for the strength byte of the 0x9901 field (1, 2, 3), or 0 for another.
    static std::size_t KeyLengthFor(uint8_t strength);
    // The salt is half the key.
    static std::size_t SaltLengthFor(std::size_t keyLength) { return keyLength / 2; }

    enum class Opening { Ready, WrongPassword, SystemFailed };
    // For reading an entry whose data starts with this salt and verifier.
    static std::unique_ptr<WinZipAesCipher> ForReading(const std::string& password, std::size_t keyLength,
                                                       const uint8_t* salt, const uint8_t* verifier,
                                                       Opening& opening);
    // For writing an entry: makes a random salt and gives it with the verifier to store in front.
    static std::unique_ptr<WinZipAesCipher> ForWriting(const std::string& password, std::size_t keyLength,
                                                       uint8_t* salt, uint8_t* verifier);

    ~WinZipAesCipher();
    WinZipAesCipher(const WinZipAesCipher&) = delete;
    WinZipAesCipher& operator=(const WinZipAesCipher&) = delete;

    // In place; false when the system fails. The authentication code covers the encrypted bytes,
    // so reading feeds it before decrypting and writing after encrypting.
    bool Decrypt(uint8_t* data, std::size_t length);
    bool Encrypt(uint8_t* data, std::size_t length);
    // The code of everything decrypted or encrypted; the cipher is spent afterwards.
    bool AuthenticationCode(uint8_t code[kAuthenticationLength]);
    bool Authenticates(const uint8_t code[kAuthenticationLength]);

private:
    WinZipAesCipher(std::unique_ptr<crypto::AesBlocks> aes, std::unique_ptr<crypto::HmacSha1> hmac);
    static std::unique_ptr<WinZipAesCipher> FromKeys(const std::string& password, std::size_t keyLength,
                                                     const uint8_t* salt, uint8_t* verifier);
    bool ApplyKeyStream(uint8_t* data, std::size_t length);

    // Key stream made many blocks at a time: one call into the system per 4 KiB, not per block.
    static constexpr std::size_t kStreamBlocks = 256;
    std::unique_ptr<crypto::AesBlocks> aes;
    std::unique_ptr<crypto::HmacSha1> hmac;
    uint64_t counter = 1;   // the low half of the 16-byte little-endian counter; 2^64 blocks never come
    uint8_t stream[kStreamBlocks * 16];
    std::size_t streamUsed = sizeof stream;
};

}  // namespace zipcore
