// The primitives through the system's CNG: nothing to ship, and the system's own tested code.
#include "../Crypto.h"

#include <windows.h>
#include <bcrypt.h>

namespace zipcore::crypto {
namespace {

bool Succeeded(NTSTATUS status) { return status >= 0; }

// An algorithm provider, opened once for the process: opening one is slow, and an open provider
// may be shared by threads.
class Provider {
public:
    Provider(const wchar_t* algorithm, ULONG flags) {
        if (!Succeeded(BCryptOpenAlgorithmProvider(&handle, algorithm, nullptr, flags))) handle = nullptr;
    }
    ~Provider() {
        if (handle) BCryptCloseAlgorithmProvider(handle, 0);
    }
    Provider(const Provider&) = delete;
    Provider& operator=(const Provider&) = delete;
    BCRYPT_ALG_HANDLE get() const { return handle; }

private:
    BCRYPT_ALG_HANDLE handle = nullptr;
};

const Provider& HmacSha1Provider() {
    static const Provider provider(BCRYPT_SHA1_ALGORITHM, BCRYPT_ALG_HANDLE_HMAC_FLAG);
    return provider;
}

// AES with each block on its own: the caller supplies the counter blocks.
BCRYPT_ALG_HANDLE AesEcbProvider() {
    static const Provider provider(BCRYPT_AES_ALGORITHM, 0);
    static const bool ecb = provider.get() &&
        Succeeded(BCryptSetProperty(provider.get(), BCRYPT_CHAINING_MODE,
                                    reinterpret_cast<PUCHAR>(const_cast<wchar_t*>(BCRYPT_CHAIN_MODE_ECB)),
                                    sizeof BCRYPT_CHAIN_MODE_ECB, 0));
    return ecb ? provider.get() : nullptr;
}

class CngAesBlocks : public AesBlocks {
public:
    explicit CngAesBlocks(BCRYPT_KEY_HANDLE key) : key(key) {}
    ~CngAesBlocks() override { BCryptDestroyKey(key); }
    CngAesBlocks(const CngAesBlocks&) = delete;
    CngAesBlocks& operator=(const CngAesBlocks&) = delete;

    bool Encrypt(const uint8_t* in, uint8_t* out, std::size_t blocks) override {
        ULONG written = 0;
        const ULONG length = static_cast<ULONG>(blocks * 16);
        return Succeeded(BCryptEncrypt(key, const_cast<PUCHAR>(in), length, nullptr, nullptr, 0, out, length,
                                       &written, 0)) &&
               written == length;
    }

private:
    BCRYPT_KEY_HANDLE key;
};

class CngHmacSha1 : public HmacSha1 {
public:
    explicit CngHmacSha1(BCRYPT_HASH_HANDLE hash) : hash(hash) {}
    ~CngHmacSha1() override { BCryptDestroyHash(hash); }
    CngHmacSha1(const CngHmacSha1&) = delete;
    CngHmacSha1& operator=(const CngHmacSha1&) = delete;

    bool Update(const uint8_t* data, std::size_t length) override {
        return Succeeded(BCryptHashData(hash, const_cast<PUCHAR>(data), static_cast<ULONG>(length), 0));
    }
    bool Finish(uint8_t digest[kDigestLength]) override {
        return Succeeded(BCryptFinishHash(hash, digest, kDigestLength, 0));
    }

private:
    BCRYPT_HASH_HANDLE hash;
};

}  // namespace

bool DerivePbkdf2Sha1(const std::string& password, const uint8_t* salt, std::size_t saltLength,
                      unsigned iterations, uint8_t* out, std::size_t outLength) {
    if (!HmacSha1Provider().get()) return false;
    return Succeeded(BCryptDeriveKeyPBKDF2(HmacSha1Provider().get(),
                                           reinterpret_cast<PUCHAR>(const_cast<char*>(password.data())),
                                           static_cast<ULONG>(password.size()), const_cast<PUCHAR>(salt),
                                           static_cast<ULONG>(saltLength), iterations, out,
                                           static_cast<ULONG>(outLength), 0));
}

bool RandomBytes(uint8_t* out, std::size_t length) {
    return Succeeded(BCryptGenRandom(nullptr, out, static_cast<ULONG>(length), BCRYPT_USE_SYSTEM_PREFERRED_RNG));
}

std::unique_ptr<AesBlocks> AesBlocks::Create(const uint8_t* key, std::size_t keyLength) {
    if (keyLength != 16 && keyLength != 24 && keyLength != 32) return nullptr;
    BCRYPT_ALG_HANDLE provider = AesEcbProvider();
    if (!provider) return nullptr;
    BCRYPT_KEY_HANDLE handle = nullptr;
    if (!Succeeded(BCryptGenerateSymmetricKey(provider, &handle, nullptr, 0, const_cast<PUCHAR>(key),
                                              static_cast<ULONG>(keyLength), 0)))
        return nullptr;
    return std::make_unique<CngAesBlocks>(handle);
}

std::unique_ptr<HmacSha1> HmacSha1::Create(const uint8_t* key, std::size_t keyLength) {
    if (!HmacSha1Provider().get()) return nullptr;
    BCRYPT_HASH_HANDLE hash = nullptr;
    if (!Succeeded(BCryptCreateHash(HmacSha1Provider().get(), &hash, nullptr, 0, const_cast<PUCHAR>(key),
                                    static_cast<ULONG>(keyLength), 0)))
        return nullptr;
    return std::make_unique<CngHmacSha1>(hash);
}

void Wipe(void* data, std::size_t length) { SecureZeroMemory(data, length); }

}  // namespace zipcore::crypto
