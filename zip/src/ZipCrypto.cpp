#include "ZipCrypto.h"

#include "Crypto.h"

#include <zlib.h>

namespace zipcore {
namespace {

uint32_t CrcStep(uint32_t crc, uint8_t byte) {
    static const z_crc_t* const table = get_crc_table();
    return static_cast<uint32_t>(table[(crc ^ byte) & 0xFF]) ^ (crc >> 8);
}

}  // namespace

TraditionalCipher::TraditionalCipher(const std::string& password) : keys{0x12345678u, 0x23456789u, 0x34567890u} {
    for (char c : password) Stir(static_cast<uint8_t>(c));
}

TraditionalCipher::~TraditionalCipher() { crypto::Wipe(keys, sizeof keys); }

uint8_t TraditionalCipher::StreamByte() const {
    const uint32_t t = (keys[2] | 2u) & 0xFFFFu;
    return static_cast<uint8_t>((t * (t ^ 1u)) >> 8);
}

void TraditionalCipher::Stir(uint8_t plain) {
    keys[0] = CrcStep(keys[0], plain);
    keys[1] = (keys[1] + (keys[0] & 0xFFu)) * 134775813u + 1u;
    keys[2] = CrcStep(keys[2], static_cast<uint8_t>(keys[1] >> 24));
}

bool TraditionalCipher::CheckHeader(uint8_t header[kHeaderLength], uint8_t checkByte) {
    Decrypt(header, kHeaderLength);
    return header[kHeaderLength - 1] == checkByte;
}

void TraditionalCipher::Decrypt(uint8_t* data, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i) {
        data[i] ^= StreamByte();
        Stir(data[i]);
    }
}

void TraditionalCipher::Encrypt(uint8_t* data, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i) {
        const uint8_t plain = data[i];
        data[i] ^= StreamByte();
        Stir(plain);
    }
}

}  // namespace zipcore
