#pragma once
// The zip format's traditional ("ZipCrypto") cipher: three keys stirred by each plain byte.
// It is weak and kept only for archives that old tools must read; no library offers it, so it
// is written here from the format's description. The CRC-32 table is zlib's.

#include <cstddef>
#include <cstdint>
#include <string>

namespace zipcore {

class TraditionalCipher {
public:
    static constexpr std::size_t kHeaderLength = 12;

    explicit TraditionalCipher(const std::string& password);
    ~TraditionalCipher();
    TraditionalCipher(const TraditionalCipher&) = delete;
    TraditionalCipher& operator=(const TraditionalCipher&) = delete;

    // Decrypts the entry's 12-byte header in place and says whether its last byte is checkByte
    // (the CRC's high byte, or the DOS time's when a data descriptor follows). About one wrong
    // password in 256 passes: the entry's CRC decides in the end.
    bool CheckHeader(uint8_t header[kHeaderLength], uint8_t checkByte);
    void Decrypt(uint8_t* data, std::size_t length);
    void Encrypt(uint8_t* data, std::size_t length);

private:
    uint8_t StreamByte() const;
    void Stir(uint8_t plain);

    uint32_t keys[3];
};

}  // namespace zipcore
