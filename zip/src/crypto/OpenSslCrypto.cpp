// The primitives through OpenSSL's libcrypto, where the library is built for a Unix system.
#include "../Crypto.h"

#include <openssl/core_names.h>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

namespace zipcore::crypto {
namespace {

const EVP_CIPHER* EcbCipher(std::size_t keyLength) {
    switch (keyLength) {
    case 16: return EVP_aes_128_ecb();
    case 24: return EVP_aes_192_ecb();
    case 32: return EVP_aes_256_ecb();
    default: return nullptr;
    }
}

class OpenSslAesBlocks : public AesBlocks {
public:
    explicit OpenSslAesBlocks(EVP_CIPHER_CTX* context) : context(context) {}
    ~OpenSslAesBlocks() override { EVP_CIPHER_CTX_free(context); }
    OpenSslAesBlocks(const OpenSslAesBlocks&) = delete;
    OpenSslAesBlocks& operator=(const OpenSslAesBlocks&) = delete;

    bool Encrypt(const uint8_t* in, uint8_t* out, std::size_t blocks) override {
        int written = 0;
        const int length = static_cast<int>(blocks * 16);
        return EVP_EncryptUpdate(context, out, &written, in, length) == 1 && written == length;
    }

private:
    EVP_CIPHER_CTX* context;
};

class OpenSslHmacSha1 : public HmacSha1 {
public:
    explicit OpenSslHmacSha1(EVP_MAC_CTX* context) : context(context) {}
    ~OpenSslHmacSha1() override { EVP_MAC_CTX_free(context); }
    OpenSslHmacSha1(const OpenSslHmacSha1&) = delete;
    OpenSslHmacSha1& operator=(const OpenSslHmacSha1&) = delete;

    bool Update(const uint8_t* data, std::size_t length) override {
        return EVP_MAC_update(context, data, length) == 1;
    }
    bool Finish(uint8_t digest[kDigestLength]) override {
        std::size_t written = 0;
        return EVP_MAC_final(context, digest, &written, kDigestLength) == 1 && written == kDigestLength;
    }

private:
    EVP_MAC_CTX* context;
};

}  // namespace

bool DerivePbkdf2Sha1(const std::string& password, const uint8_t* salt, std::size_t saltLength,
                      unsigned iterations, uint8_t* out, std::size_t outLength) {
    return PKCS5_PBKDF2_HMAC_SHA1(password.data(), static_cast<int>(password.size()), salt,
                                  static_cast<int>(saltLength), static_cast<int>(iterations),
                                  static_cast<int>(outLength), out) == 1;
}

bool RandomBytes(uint8_t* out, std::size_t length) { return RAND_bytes(out, static_cast<int>(length)) == 1; }

std::unique_ptr<AesBlocks> AesBlocks::Create(const uint8_t* key, std::size_t keyLength) {
    const EVP_CIPHER* cipher = EcbCipher(keyLength);
    if (!cipher) return nullptr;
    EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
    if (!context) return nullptr;
    if (EVP_EncryptInit_ex(context, cipher, nullptr, key, nullptr) != 1 || EVP_CIPHER_CTX_set_padding(context, 0) != 1) {
        EVP_CIPHER_CTX_free(context);
        return nullptr;
    }
    return std::make_unique<OpenSslAesBlocks>(context);
}

std::unique_ptr<HmacSha1> HmacSha1::Create(const uint8_t* key, std::size_t keyLength) {
    // One fetched implementation for the process: fetching looks through the providers each time.
    static EVP_MAC* const hmac = EVP_MAC_fetch(nullptr, "HMAC", nullptr);
    if (!hmac) return nullptr;
    EVP_MAC_CTX* context = EVP_MAC_CTX_new(hmac);
    if (!context) return nullptr;
    char digest[] = "SHA1";
    const OSSL_PARAM parameters[] = {OSSL_PARAM_construct_utf8_string(OSSL_MAC_PARAM_DIGEST, digest, 0),
                                     OSSL_PARAM_construct_end()};
    if (EVP_MAC_init(context, key, keyLength, parameters) != 1) {
        EVP_MAC_CTX_free(context);
        return nullptr;
    }
    return std::make_unique<OpenSslHmacSha1>(context);
}

void Wipe(void* data, std::size_t length) { OPENSSL_cleanse(data, length); }

}  // namespace zipcore::crypto
