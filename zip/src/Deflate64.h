#pragma once
// Decoder of Deflate64 (zip method 9): deflate with a 64 KiB window, length code 285 taking
// 16 extra bits on a base of 3, and distance codes 30 and 31. zlib reads only deflate, so the
// library carries its own decoder. It streams: input is pulled in the caller's chunks, output
// comes out in spans of at most kMaxSpan bytes, and memory stays at one fixed buffer whatever
// the entry's size. Damaged or hostile input ends in Failure, never in a read or write outside
// the buffers or a loop that makes no progress.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

namespace zipcore::deflate64 {

// Hands out the next piece of compressed input; false when there is no more. The bytes must
// stay valid until the next call.
using Pull = std::function<bool(const uint8_t*& data, std::size_t& size)>;

class Decoder {
public:
    enum class Result {
        Output,     // a span of output is ready
        End,        // the last block has ended; nothing more will come
        Truncated,  // the input ended inside the stream
        Damaged,    // the stream breaks the format
    };
    static constexpr std::size_t kMaxSpan = 256 * 1024;

    explicit Decoder(Pull pull);
    ~Decoder();
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;

    // Decodes up to the next span; on Output, data and size describe it until the next call.
    Result next(const uint8_t*& data, std::size_t& size);
    // What was wrong, once next has returned Damaged or Truncated.
    const char* problem() const { return problem_; }
    // Input bytes the stream has used so far; once next has returned End, the stream's length.
    uint64_t inputUsed() const;

    struct State;

private:
    std::unique_ptr<State> state_;
    const char* problem_ = "";
};

}  // namespace zipcore::deflate64
