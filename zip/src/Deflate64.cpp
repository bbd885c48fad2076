#include "Deflate64.h"

#include "ZipFormat.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace zipcore::deflate64 {
namespace {

constexpr std::size_t kWindow = 64 * 1024;       // the farthest distance is 49153 + 16383
constexpr std::size_t kLongestMatch = 65538;     // length code 285: 3 + 16 extra bits
constexpr std::size_t kCopySlack = 16;           // match copies move 8 bytes at a time
// A span stops at the first symbol that ends past this, so no span exceeds kMaxSpan.
constexpr std::size_t kSpanTarget = Decoder::kMaxSpan - kLongestMatch;
constexpr std::size_t kBufferSize = kWindow + Decoder::kMaxSpan + kCopySlack;

// A decoding table entry: bits 0-7 the code's length, 8-15 what the symbol does, 16-31 its
// value (the literal byte, or the base of a length or distance). An op below 0x20 is the
// number of extra bits that follow a length or distance code.
constexpr unsigned kOpLiteral = 0x80;
constexpr unsigned kOpEnd = 0x40;
constexpr unsigned kOpLong = 0x20;     // the code is longer than the first table reaches
constexpr unsigned kOpInvalid = 0x60;  // no code, or a symbol the format leaves unused
constexpr unsigned kOpSpecial = 0x60;  // end, long or invalid

constexpr uint32_t MakeEntry(unsigned op, unsigned value, unsigned length = 0) {
    return length | op << 8 | value << 16;
}
inline unsigned LengthOf(uint32_t e) { return e & 0xFF; }
inline unsigned OpOf(uint32_t e) { return (e >> 8) & 0xFF; }
inline unsigned ValueOf(uint32_t e) { return e >> 16; }

constexpr unsigned kLiteralSymbols = 288;
constexpr unsigned kDistanceSymbols = 32;
constexpr unsigned kMaxCodeLength = 15;
constexpr unsigned kLiteralRootBits = 11;
constexpr unsigned kDistanceRootBits = 8;
constexpr unsigned kLengthCodeRootBits = 7;   // code-length codes are at most 7 bits long

const uint16_t kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                  31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 3};
const uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                  2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 16};
const uint16_t kDistanceBase[32] = {1,    2,    3,    4,    5,    7,     9,     13,    17,    25,   33,
                                    49,   65,   97,   129,  193,  257,   385,   513,   769,   1025, 1537,
                                    2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577, 32769, 49153};
const uint8_t kDistanceExtra[32] = {0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6,
                                    7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13, 14, 14};
const uint8_t kLengthCodeOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

uint32_t LiteralMeaning(unsigned symbol) {
    if (symbol < 256) return MakeEntry(kOpLiteral, symbol);
    if (symbol == 256) return MakeEntry(kOpEnd, 0);
    if (symbol < 286) return MakeEntry(kLengthExtra[symbol - 257], kLengthBase[symbol - 257]);
    return MakeEntry(kOpInvalid, 0);
}
uint32_t DistanceMeaning(unsigned symbol) { return MakeEntry(kDistanceExtra[symbol], kDistanceBase[symbol]); }
uint32_t LengthCodeMeaning(unsigned symbol) { return MakeEntry(0, symbol); }

// A canonical Huffman code as a table indexed by the next rootBits bits of input, plus what
// decoding a code longer than that needs: such codes are rare, and are decoded one bit at a
// time from the counts.
class Table {
public:
    // False when the lengths do not form a usable code: over-subscribed, or incomplete beyond
    // the single one-bit code that deflate allows.
    bool build(const uint8_t* lengths, unsigned symbols, unsigned rootBits, uint32_t (*meaning)(unsigned)) {
        rootBits_ = rootBits;
        primary_.assign(std::size_t{1} << rootBits, MakeEntry(kOpInvalid, 0));
        std::fill(std::begin(count_), std::end(count_), uint16_t{0});
        for (unsigned s = 0; s < symbols; ++s) ++count_[lengths[s]];
        count_[0] = 0;
        int left = 1;
        unsigned longest = 0;
        for (unsigned length = 1; length <= kMaxCodeLength; ++length) {
            left = 2 * left - count_[length];
            if (left < 0) return false;
            if (count_[length]) longest = length;
        }
        if (left > 0 && longest > 1) return false;

        uint16_t offset[kMaxCodeLength + 2] = {};
        for (unsigned length = 1; length <= kMaxCodeLength; ++length) offset[length + 1] = offset[length] + count_[length];
        for (unsigned s = 0; s < symbols; ++s)
            if (lengths[s]) sorted_[offset[lengths[s]]++] = static_cast<uint16_t>(s);

        // Codes are assigned in order of length, then of symbol; the stream sends them
        // high bit first, so the table is indexed by the code's bits reversed.
        const std::size_t size = primary_.size();
        unsigned code = 0, next = 0;
        for (unsigned length = 1; length <= longest; ++length, code <<= 1) {
            for (unsigned k = 0; k < count_[length]; ++k, ++code) {
                const unsigned symbol = sorted_[next++];
                unsigned reversed = 0;
                for (unsigned b = 0; b < length; ++b) reversed |= ((code >> b) & 1u) << (length - 1 - b);
                bySymbol_[symbol] = meaning(symbol) | length;
                if (length <= rootBits) {
                    for (std::size_t at = reversed; at < size; at += std::size_t{1} << length) primary_[at] = bySymbol_[symbol];
                } else {
                    primary_[reversed & (size - 1)] = MakeEntry(kOpLong, 0);
                }
            }
        }
        return true;
    }

    // The entry for the code at the bottom of bits, which must hold at least 15 bits.
    uint32_t lookup(uint64_t bits) const {
        const uint32_t e = primary_[bits & (primary_.size() - 1)];
        return OpOf(e) == kOpLong ? lookupLong(bits) : e;
    }
    const uint32_t* primary() const { return primary_.data(); }
    uint64_t mask() const { return primary_.size() - 1; }
    uint32_t lookupLong(uint64_t bits) const {
        // Canonical decoding: after each bit, is the code among those of this length?
        unsigned code = 0, first = 0, index = 0;
        for (unsigned length = 1; length <= kMaxCodeLength; ++length) {
            code |= (bits >> (length - 1)) & 1u;
            const unsigned count = count_[length];
            if (code - first < count) return bySymbol_[sorted_[index + code - first]];
            index += count;
            first = (first + count) << 1;
            code <<= 1;
        }
        return MakeEntry(kOpInvalid, 0);
    }

private:
    unsigned rootBits_ = 0;
    std::vector<uint32_t> primary_;
    uint16_t count_[kMaxCodeLength + 1] = {};
    uint16_t sorted_[kLiteralSymbols] = {};
    uint32_t bySymbol_[kLiteralSymbols] = {};
};

inline uint64_t Load64(const uint8_t* p) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
#else
    uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = v << 8 | p[i];
    return v;
#endif
}

// The input as a stream of bits, low bit first, through a 64-bit buffer. Past the end of the
// input it reads zeros, and counts them: consuming one of them means the stream was cut short.
struct BitReader {
    uint64_t bits = 0;
    unsigned count = 0;      // valid bits in `bits`; any above them are the next input bytes
    unsigned padding = 0;    // of those, the zeros added past the end of the input (the top ones)
    const uint8_t* in = nullptr;
    const uint8_t* end = nullptr;

    void drop(unsigned n) {
        bits >>= n;
        count -= n;
    }
    uint32_t take(unsigned n) {
        const uint32_t value = static_cast<uint32_t>(bits & ((uint64_t{1} << n) - 1));
        drop(n);
        return value;
    }
    bool overran() const { return count < padding; }
};

}  // namespace

struct Decoder::State {
    explicit State(Pull source) : pull(std::move(source)), buffer(kBufferSize) {}

    enum class Mode { Header, Stored, Huffman, Done };

    Pull pull;
    bool inputEnded = false;
    uint64_t pulled = 0;
    BitReader reader;
    std::vector<uint8_t> buffer;   // the last kWindow bytes of output, then the span being made
    std::size_t position = 0;      // where the next byte of output goes
    std::size_t delivered = 0;     // output before this has been handed out
    Mode mode = Mode::Header;
    bool lastBlock = false;
    std::size_t storedLeft = 0;
    Table literals, distances, lengthCodes;
    Table fixedLiterals, fixedDistances;
    bool fixedBuilt = false;
    const Table* currentLiterals = nullptr;
    const Table* currentDistances = nullptr;
    Result failure = Result::Output;   // Output: no failure yet

    // Fills the bit buffer to at least 56 bits; false once the stream has read past its input.
    // Only called with fewer than 56 bits left, so that the shifts stay within the word.
    bool refill(BitReader& r) {
        if (r.end - r.in >= 8) {
            r.bits |= Load64(r.in) << r.count;
            r.in += (63 - r.count) >> 3;
            r.count |= 56;
            return true;
        }
        return refillSlowly(r);
    }
    bool refillSlowly(BitReader& r) {
        if (r.overran()) return false;
        while (r.count <= 56) {
            if (r.in != r.end) {
                r.bits |= static_cast<uint64_t>(*r.in++) << r.count;
                r.count += 8;
            } else if (!inputEnded && pullMore(r)) {
                if (r.end - r.in >= 8) return refill(r);
            } else {
                r.padding += 8;
                r.count += 8;
            }
        }
        return true;
    }
    bool pullMore(BitReader& r) {
        const uint8_t* data = nullptr;
        std::size_t size = 0;
        if (!pull(data, size) || size == 0) {
            inputEnded = true;
            return false;
        }
        pulled += size;
        r.in = data;
        r.end = data + size;
        return true;
    }

    bool buildFixed() {
        uint8_t lengths[kLiteralSymbols];
        std::fill(lengths, lengths + 144, uint8_t{8});
        std::fill(lengths + 144, lengths + 256, uint8_t{9});
        std::fill(lengths + 256, lengths + 280, uint8_t{7});
        std::fill(lengths + 280, lengths + 288, uint8_t{8});
        uint8_t distanceLengths[kDistanceSymbols];
        std::fill(distanceLengths, distanceLengths + kDistanceSymbols, uint8_t{5});
        fixedBuilt = fixedLiterals.build(lengths, kLiteralSymbols, kLiteralRootBits, LiteralMeaning) &&
                     fixedDistances.build(distanceLengths, kDistanceSymbols, kDistanceRootBits, DistanceMeaning);
        return fixedBuilt;
    }
};

Decoder::Decoder(Pull pull) : state_(std::make_unique<State>(std::move(pull))) {}
Decoder::~Decoder() = default;

uint64_t Decoder::inputUsed() const {
    // Whole bytes still in the bit buffer are unused; a partly used one counts as used.
    const BitReader& r = state_->reader;
    const unsigned unusedBits = r.count > r.padding ? r.count - r.padding : 0;
    return state_->pulled - static_cast<uint64_t>(r.end - r.in) - unusedBits / 8;
}

namespace {

using Result = Decoder::Result;
using State = Decoder::State;

// Reads the code lengths of a dynamic block and builds its two tables.
Result ReadDynamicTables(State& s, const char*& problem) {
    BitReader& r = s.reader;
    if (r.count < 14 && !s.refill(r)) return Result::Truncated;
    const unsigned literalCount = r.take(5) + 257;
    const unsigned distanceCount = r.take(5) + 1;
    const unsigned lengthCodeCount = r.take(4) + 4;
    uint8_t lengths[kLiteralSymbols + kDistanceSymbols] = {};
    for (unsigned i = 0; i < lengthCodeCount; ++i) {
        if (r.count < 3 && !s.refill(r)) return Result::Truncated;
        lengths[kLengthCodeOrder[i]] = static_cast<uint8_t>(r.take(3));
    }
    if (!s.lengthCodes.build(lengths, 19, kLengthCodeRootBits, LengthCodeMeaning)) {
        problem = "invalid code lengths code";
        return Result::Damaged;
    }
    std::fill(lengths, lengths + 19, uint8_t{0});
    const unsigned total = literalCount + distanceCount;
    for (unsigned n = 0; n < total;) {
        if (r.count < 16 && !s.refill(r)) return Result::Truncated;
        const uint32_t e = s.lengthCodes.lookup(r.bits);
        if (OpOf(e) == kOpInvalid) {
            problem = "invalid code length";
            return Result::Damaged;
        }
        r.drop(LengthOf(e));
        const unsigned symbol = ValueOf(e);
        if (symbol < 16) {
            lengths[n++] = static_cast<uint8_t>(symbol);
            continue;
        }
        uint8_t value = 0;
        unsigned repeat;
        if (symbol == 16) {
            if (n == 0) {
                problem = "code length repeated before the first";
                return Result::Damaged;
            }
            value = lengths[n - 1];
            repeat = 3 + r.take(2);
        } else if (symbol == 17) {
            repeat = 3 + r.take(3);
        } else {
            repeat = 11 + r.take(7);
        }
        if (repeat > total - n) {
            problem = "code lengths run past the last symbol";
            return Result::Damaged;
        }
        std::fill(lengths + n, lengths + n + repeat, value);
        n += repeat;
    }
    if (r.overran()) return Result::Truncated;
    if (lengths[256] == 0) {
        problem = "no end-of-block code";
        return Result::Damaged;
    }
    if (!s.literals.build(lengths, literalCount, kLiteralRootBits, LiteralMeaning)) {
        problem = "invalid literal/length code";
        return Result::Damaged;
    }
    if (!s.distances.build(lengths + literalCount, distanceCount, kDistanceRootBits, DistanceMeaning)) {
        problem = "invalid distance code";
        return Result::Damaged;
    }
    s.currentLiterals = &s.literals;
    s.currentDistances = &s.distances;
    return Result::Output;
}

Result ReadBlockHeader(State& s, const char*& problem) {
    BitReader& r = s.reader;
    if (r.count < 3 && !s.refill(r)) return Result::Truncated;
    s.lastBlock = r.take(1) != 0;
    switch (r.take(2)) {
    case 0: {
        r.drop(r.count & 7);
        if (r.count < 32 && !s.refill(r)) return Result::Truncated;
        const uint32_t length = r.take(16), complement = r.take(16);
        if (r.overran()) return Result::Truncated;
        if (length != (~complement & 0xFFFF)) {
            problem = "stored block length does not match its complement";
            return Result::Damaged;
        }
        s.storedLeft = length;
        s.mode = State::Mode::Stored;
        return Result::Output;
    }
    case 1:
        if (!s.fixedBuilt && !s.buildFixed()) {
            problem = "fixed code";
            return Result::Damaged;
        }
        s.currentLiterals = &s.fixedLiterals;
        s.currentDistances = &s.fixedDistances;
        s.mode = State::Mode::Huffman;
        return Result::Output;
    case 2: {
        const Result result = ReadDynamicTables(s, problem);
        if (result == Result::Output) s.mode = State::Mode::Huffman;
        return result;
    }
    default:
        problem = "invalid block type";
        return Result::Damaged;
    }
}

Result CopyStored(State& s, std::size_t limit) {
    BitReader& r = s.reader;
    uint8_t* out = s.buffer.data();
    while (s.storedLeft > 0 && s.position < limit) {
        // Whole bytes still in the bit buffer come first, then the input itself.
        if (r.count >= 8) {
            if (r.count - 8 < r.padding) return Result::Truncated;
            out[s.position++] = static_cast<uint8_t>(r.take(8));
            --s.storedLeft;
            continue;
        }
        r.bits = 0;
        r.count = 0;
        r.padding = 0;
        if (r.in == r.end && (s.inputEnded || !s.pullMore(r))) return Result::Truncated;
        const std::size_t n = std::min({s.storedLeft, static_cast<std::size_t>(r.end - r.in), limit - s.position});
        std::memcpy(out + s.position, r.in, n);
        r.in += n;
        s.position += n;
        s.storedLeft -= n;
    }
    if (s.storedLeft == 0) s.mode = s.lastBlock ? State::Mode::Done : State::Mode::Header;
    return Result::Output;
}

// Decodes symbols until the block ends or the output passes limit. Every symbol is written
// whole: the buffer has room for the longest match past the limit.
Result DecodeHuffman(State& s, std::size_t limit, const char*& problem) {
    BitReader r = s.reader;   // a local copy keeps the hot state in registers
    uint8_t* const out = s.buffer.data();
    std::size_t position = s.position;
    const uint32_t* literals = s.currentLiterals->primary();
    const uint64_t literalMask = s.currentLiterals->mask();
    const uint32_t* distances = s.currentDistances->primary();
    const uint64_t distanceMask = s.currentDistances->mask();
    Result result = Result::Output;
    while (position < limit) {
        // 32 bits cover a literal/length code with its extra bits; then a refill, and 32
        // more cover a distance code with its own.
        if (r.count < 32 && !s.refill(r)) {
            result = Result::Truncated;
            break;
        }
        uint32_t e = literals[r.bits & literalMask];
        if (OpOf(e) == kOpLong) e = s.currentLiterals->lookupLong(r.bits);
        unsigned op = OpOf(e);
        r.drop(LengthOf(e));
        if (op & kOpLiteral) {
            out[position++] = static_cast<uint8_t>(ValueOf(e));
            // A second literal while the bits last: text is mostly literals.
            if (r.count < 15) continue;
            e = literals[r.bits & literalMask];
            if (OpOf(e) != kOpLiteral) continue;
            r.drop(LengthOf(e));
            out[position++] = static_cast<uint8_t>(ValueOf(e));
            continue;
        }
        if (op & kOpSpecial) {
            if (op == kOpEnd) {
                s.mode = s.lastBlock ? State::Mode::Done : State::Mode::Header;
                break;
            }
            problem = "invalid literal/length code";
            result = Result::Damaged;
            break;
        }
        const std::size_t length = ValueOf(e) + r.take(op);
        if (r.count < 32 && !s.refill(r)) {
            result = Result::Truncated;
            break;
        }
        e = distances[r.bits & distanceMask];
        if (OpOf(e) == kOpLong) e = s.currentDistances->lookupLong(r.bits);
        op = OpOf(e);
        if (op & kOpSpecial) {
            problem = "invalid distance code";
            result = Result::Damaged;
            break;
        }
        r.drop(LengthOf(e));
        const std::size_t distance = ValueOf(e) + r.take(op);
        if (distance > position) {
            problem = "distance too far back";
            result = Result::Damaged;
            break;
        }
        uint8_t* to = out + position;
        const uint8_t* from = to - distance;
        if (distance >= 8) {
            // Each 8-byte step reads only bytes written before it; the last may run up to
            // 7 bytes past the match, into the buffer's slack, to be overwritten later.
            uint8_t* const stop = to + length;
            do {
                std::memcpy(to, from, 8);
                to += 8;
                from += 8;
            } while (to < stop);
        } else if (distance == 1) {
            std::memset(to, *from, length);
        } else {
            for (std::size_t i = 0; i < length; ++i) to[i] = from[i];
        }
        position += length;
    }
    if (result == Result::Output && r.overran()) result = Result::Truncated;
    s.reader = r;
    s.position = position;
    return result;
}

}  // namespace

Decoder::Result Decoder::next(const uint8_t*& data, std::size_t& size) {
    State& s = *state_;
    if (s.failure != Result::Output) return s.failure;
    if (s.position > kWindow && s.delivered == s.position) {
        // Keep only the window the next span can reach back into.
        std::memmove(s.buffer.data(), s.buffer.data() + s.position - kWindow, kWindow);
        s.position = s.delivered = kWindow;
    }
    const std::size_t limit = s.position + kSpanTarget;
    Result result = Result::Output;
    while (result == Result::Output && s.position < limit && s.mode != State::Mode::Done) {
        switch (s.mode) {
        case State::Mode::Header: result = ReadBlockHeader(s, problem_); break;
        case State::Mode::Stored: result = CopyStored(s, limit); break;
        case State::Mode::Huffman: result = DecodeHuffman(s, limit, problem_); break;
        case State::Mode::Done: break;
        }
    }
    if (result == Result::Truncated) problem_ = "the compressed data ends early";
    if (result != Result::Output) {
        s.failure = result;
        return result;
    }
    if (s.position == s.delivered) {
        // Nothing new, so the last block has ended.
        if (s.reader.overran()) {
            problem_ = "the compressed data ends early";
            return s.failure = Result::Truncated;
        }
        return s.failure = Result::End;
    }
    data = s.buffer.data() + s.delivered;
    size = s.position - s.delivered;
    s.delivered = s.position;
    return Result::Output;
}

}  // namespace zipcore::deflate64

namespace zipcore::format {

Error DecodeDeflate64(const Entry& entry, const InputSource& next, const Sink& sink) {
    auto fail = [&](Status status, const std::string& what) { return Error{status, "'" + entry.name + "': " + what}; };
    uint64_t inputLeft = entry.compressedSize;
    deflate64::Decoder decoder([&](const uint8_t*& data, std::size_t& size) {
        if (inputLeft == 0) return false;
        size = static_cast<std::size_t>(std::min<uint64_t>(inputLeft, kDataChunk));
        if (!next(size, data)) return false;
        inputLeft -= size;
        return true;
    });
    const uint64_t declared = entry.uncompressedSize;
    uint64_t produced = 0;
    uLong crc = crc32(0, nullptr, 0);
    for (;;) {
        const uint8_t* data = nullptr;
        std::size_t size = 0;
        const deflate64::Decoder::Result result = decoder.next(data, size);
        if (result == deflate64::Decoder::Result::End) break;
        if (result == deflate64::Decoder::Result::Truncated) return fail(Status::Truncated, decoder.problem());
        if (result == deflate64::Decoder::Result::Damaged)
            return fail(Status::CrcMismatch, std::string("the compressed data is damaged (") + decoder.problem() + ")");
        // Never hand over more than the declared size; one byte past it proves the lie.
        const std::size_t usable = static_cast<std::size_t>(std::min<uint64_t>(size, declared - produced));
        produced += size;
        crc = crc32(crc, data, static_cast<uInt>(usable));
        if (usable > 0 && !sink(data, usable)) return fail(Status::IoError, "writing stopped");
        if (produced > declared)
            return fail(Status::SizeMismatch, "inflates past its declared size of " + std::to_string(declared) + " bytes");
    }
    if (produced != declared)
        return fail(Status::SizeMismatch,
                    "inflates to " + std::to_string(produced) + " bytes, " + std::to_string(declared) + " declared");
    if (crc != entry.crc32) return fail(Status::CrcMismatch, "CRC mismatch, the data is damaged");
    return {};
}

}  // namespace zipcore::format
