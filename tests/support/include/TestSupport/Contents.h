#pragma once
// Repeatable file contents for the tests, the same on every platform: noise that does not
// compress, words that do, and one line of text repeated, which deflates to almost nothing.
// Header-only, so that the natively built library tests use it as well.

#include <cstddef>
#include <cstdint>
#include <string>

inline std::string Noise(std::size_t size, uint32_t seed) {
    std::string out(size, '\0');
    uint32_t x = seed * 2654435761u + 1;
    for (char& c : out) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        c = static_cast<char>(x & 0xFF);
    }
    return out;
}

inline std::string Words(std::size_t size, uint32_t seed) {
    static const char* const vocabulary[] = {"archive ", "folder ", "entry ", "zip ",   "deflate ", "brindle ",
                                             "offset ",  "stub ",   "crc ",   "name\n", "level ",   "kestrel "};
    std::string out;
    uint32_t x = seed + 7;
    while (out.size() < size) {
        x = x * 1103515245u + 12345u;
        out += vocabulary[(x >> 16) % 12];
    }
    out.resize(size);
    return out;
}

inline std::string RepeatedLine(std::size_t size) {
    std::string text;
    while (text.size() < size) text += "the same line of text, over and over again\r\n";
    text.resize(size);
    return text;
}
