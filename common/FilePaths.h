#pragma once
// The one path helper the window framework needs as well as the engine; the engine's other
// path and folder helpers (engine/PathHelpers.h) build on it.

#include <string>

// The loop of the system calls that answer with the length they wrote, or, when the buffer is
// too small, the size they need: read(size, buffer) is asked again with a larger buffer until
// its answer fits. Empty when read answers 0.
template <typename Read>
std::string ReadSystemText(Read read) {
    std::string buffer(260, '\0');
    for (;;) {
        const unsigned long length = read(static_cast<unsigned long>(buffer.size()), &buffer[0]);
        if (length == 0) return std::string();
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        buffer.assign(length + 1, '\0');
    }
}

// The full path of path, relative to the current directory, of any length; path itself when
// the system cannot make one of it (an empty or malformed path).
std::string FullPath(const std::string& path);
