#include "TestSupport.h"

#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <filesystem>

#ifndef _WIN32
#include <sys/wait.h>
#endif

namespace ziptest {
namespace stdfs = std::filesystem;

bool UnderCi() {
    const char* ci = std::getenv("CI");
    return ci && std::string(ci) == "true";
}

#ifndef _WIN32
bool HaveTool(const char* name) {
    std::string command = std::string("command -v ") + name + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

int Shell(const std::string& command, std::string& output) {
    output.clear();
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return -1;
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, got);
    int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Quote(const std::string& path) { return "'" + path + "'"; }
#endif

std::vector<std::string> FilesBelow(const std::string& root) {
    std::vector<std::string> found;
    std::error_code ignored;
    for (auto it = stdfs::recursive_directory_iterator(root, ignored); it != stdfs::recursive_directory_iterator();
         it.increment(ignored)) {
        if (it->is_directory(ignored) && !it->is_symlink(ignored)) continue;
        std::string relative = stdfs::relative(it->path(), root).generic_string();
        found.push_back(relative);
    }
    std::sort(found.begin(), found.end());
    return found;
}

std::string RawDeflate(const std::string& data, int level) {
    z_stream stream{};
    deflateInit2(&stream, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&stream, static_cast<uLong>(data.size())) + 16, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

uint32_t Crc(const std::string& data) {
    return static_cast<uint32_t>(
        crc32(crc32(0, nullptr, 0), reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

void Put16(std::string& out, uint64_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
}
void Put32(std::string& out, uint64_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
void Put64(std::string& out, uint64_t v) {
    for (int i = 0; i < 8; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

bool AnyLineHas(const std::vector<std::string>& lines, const std::string& text) {
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string& line) { return line.find(text) != std::string::npos; });
}

std::string EntryData(zipcore::Reader& reader, std::size_t index, zipcore::Error& error) {
    std::string data;
    error = reader.ReadEntry(index, [&](const uint8_t* bytes, std::size_t size) {
        data.append(reinterpret_cast<const char*>(bytes), size);
        return true;
    });
    return data;
}

std::string RawZip::Build() {
    std::string file = prefix;
    const uint64_t base = adjustOffsets ? 0 : prefix.size();  // offsets count from here
    std::string central;
    localOffsets.clear();
    for (RawEntry& e : entries) {
        e.payload = !e.compressed.empty() ? e.compressed : e.method == 8 ? RawDeflate(e.data) : e.data;
        uint32_t crc = e.crcOverride >= 0 ? static_cast<uint32_t>(e.crcOverride) : Crc(e.data);
        uint64_t csize = e.declaredCompressed >= 0 ? static_cast<uint64_t>(e.declaredCompressed) : e.payload.size();
        uint64_t usize = e.declaredUncompressed >= 0 ? static_cast<uint64_t>(e.declaredUncompressed) : e.data.size();
        uint16_t flags = static_cast<uint16_t>(e.flags | (e.descriptor ? 8 : 0));
        std::string zip64;
        if (e.zip64Uncompressed) {
            Put16(zip64, 1);
            Put16(zip64, 16);
            Put64(zip64, e.zip64Uncompressed);
            Put64(zip64, csize);
        }
        const uint64_t csizeField = zip64.empty() ? csize : 0xFFFFFFFFu;
        const uint64_t usizeField = zip64.empty() ? usize : 0xFFFFFFFFu;
        const uint64_t local = file.size();
        localOffsets.push_back(local);
        const std::string& localName = e.localName.empty() ? e.name : e.localName;
        // The fields both headers share, from the version needed to the extra field's length.
        auto putSharedFields = [&](std::string& out, bool sizesFollow, const std::string& name, std::size_t extra) {
            Put16(out, 20);
            Put16(out, flags);
            Put16(out, e.method);
            Put16(out, 0x6000);                      // 12:00
            Put16(out, (45 << 9) | (6 << 5) | 15);   // 2025-06-15
            Put32(out, sizesFollow ? 0 : crc);
            Put32(out, sizesFollow ? 0 : csizeField);
            Put32(out, sizesFollow ? 0 : usizeField);
            Put16(out, name.size());
            Put16(out, extra);
        };
        Put32(file, 0x04034b50);
        putSharedFields(file, e.descriptor, localName, zip64.size());
        file += localName;
        file += zip64;
        file += e.payload;
        if (e.descriptor) {
            if (e.descriptorSignature) Put32(file, 0x08074b50);
            Put32(file, crc);
            const auto putSize = e.descriptorZip64 ? Put64 : Put32;
            putSize(file, csize);
            putSize(file, usize);
        }
        uint64_t offset = e.offsetOverride >= 0 ? static_cast<uint64_t>(e.offsetOverride) + (adjustOffsets ? prefix.size() : 0)
                                                : local - base;
        Put32(central, 0x02014b50);
        Put16(central, e.versionMadeBy);
        putSharedFields(central, false, e.name, zip64.size() + e.centralExtra.size());
        Put16(central, 0);
        Put16(central, 0);
        Put16(central, 0);
        Put32(central, e.externalAttributes);
        Put32(central, offset);
        central += e.name;
        central += zip64;
        central += e.centralExtra;
    }
    centralOffset = file.size();
    file += central;
    const uint64_t count = entries.size();
    if (zip64End) {
        const uint64_t zip64Offset = file.size();
        Put32(file, 0x06064b50);
        Put64(file, 44);
        Put16(file, 45);
        Put16(file, 45);
        Put32(file, 0);
        Put32(file, 0);
        Put64(file, count);
        Put64(file, count);
        Put64(file, central.size());
        Put64(file, centralOffset - base);
        Put32(file, 0x07064b50);
        Put32(file, 0);
        Put64(file, zip64Offset - base);
        Put32(file, 1);
    }
    Put32(file, 0x06054b50);
    Put16(file, 0);
    Put16(file, 0);
    Put16(file, zip64End ? 0xFFFF : count);
    Put16(file, zip64End ? 0xFFFF : count);
    Put32(file, zip64End ? 0xFFFFFFFFu : central.size());
    Put32(file, zip64End ? 0xFFFFFFFFu : centralOffset - base);
    Put16(file, comment.size());
    file += comment;
    return file;
}

}  // namespace ziptest
