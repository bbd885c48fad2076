#include "EngineTestSupport.h"

#include <random>
#include <stdexcept>

std::string CompressibleText(std::size_t size) {
    std::string text;
    while (text.size() < size) text += "the quick brown fox jumps over the lazy dog. ";
    text.resize(size);
    return text;
}

std::string IncompressibleBytes(std::size_t size) {
    std::mt19937 generator(12345);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(generator() & 0xFF);
    return bytes;
}

void SetLocalFileTime(const std::string& path, int year, int month, int day, int hour, int minute) {
    SYSTEMTIME local{};
    local.wYear = static_cast<WORD>(year);
    local.wMonth = static_cast<WORD>(month);
    local.wDay = static_cast<WORD>(day);
    local.wHour = static_cast<WORD>(hour);
    local.wMinute = static_cast<WORD>(minute);
    FILETIME localTime, universalTime;
    SystemTimeToFileTime(&local, &localTime);
    LocalFileTimeToFileTime(&localTime, &universalTime);
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot open " + path);
    SetFileTime(file, nullptr, nullptr, &universalTime);
    CloseHandle(file);
}

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

