#include "Corpus.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace zipbench {

CorpusScale FullScale() { return {20000, 200, 64ull << 20, 200000}; }
CorpusScale QuickScale() { return {2000, 20, (64ull << 20) / 10, 20000}; }

namespace {

// A fixed-seed generator, so that every run and every machine builds the same bytes.
class Prng {
public:
    explicit Prng(uint64_t seed) : state(seed * 0x9E3779B97F4A7C15ull + 1) {}
    uint64_t Next() {
        state ^= state >> 12;
        state ^= state << 25;
        state ^= state >> 27;
        return state * 0x2545F4914F6CDD1Dull;
    }
    uint32_t Below(uint32_t bound) { return static_cast<uint32_t>(Next() % bound); }

private:
    uint64_t state;
};

// Text with the statistics of prose: a vocabulary of made-up words picked with a strong bias
// towards the common ones, sentences, punctuation, numbers and line breaks. It compresses about
// as well as ordinary documents, which is what the text files stand for.
class TextMaker {
public:
    explicit TextMaker(uint64_t seed) : random(seed) {
        static const char* const syllables[] = {"ka", "lo", "mi", "ter", "pra", "sun", "del", "vo", "ri", "an",
                                                "es", "qu", "ble", "tion", "ing", "ro", "zy", "ph", "ent", "or",
                                                "the", "and", "wil", "mar", "ch", "ou", "ist", "ne", "ba", "gre"};
        const uint32_t syllableCount = sizeof syllables / sizeof syllables[0];
        for (int i = 0; i < 3000; ++i) {
            std::string word;
            const uint32_t length = 1 + random.Below(3) + (i > 200 ? random.Below(2) : 0);
            for (uint32_t s = 0; s < length; ++s) word += syllables[random.Below(syllableCount)];
            words.push_back(word);
        }
    }
    std::string Make(std::size_t size) {
        std::string text;
        text.reserve(size + 64);
        bool sentenceStart = true;
        int wordsOnLine = 0;
        while (text.size() < size) {
            const uint32_t a = random.Below(static_cast<uint32_t>(words.size()));
            const uint32_t b = random.Below(static_cast<uint32_t>(words.size()));
            std::string word = random.Below(40) == 0 ? std::to_string(random.Below(100000))
                                                     : words[static_cast<std::size_t>(a) * b / words.size()];
            if (sentenceStart && !word.empty()) word[0] = static_cast<char>(word[0] - 'a' + 'A');
            text += word;
            sentenceStart = random.Below(12) == 0;
            if (sentenceStart) text += '.';
            else if (random.Below(15) == 0) text += ',';
            if (++wordsOnLine >= 9 + static_cast<int>(random.Below(6))) {
                text += '\n';
                wordsOnLine = 0;
            } else {
                text += ' ';
            }
        }
        text.resize(size);
        return text;
    }

private:
    Prng random;
    std::vector<std::string> words;
};

void WriteFile(const fs::path& path, const char* data, std::size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(data, static_cast<std::streamsize>(size));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

void WriteLargeText(const fs::path& path, uint64_t size, uint64_t seed) {
    TextMaker maker(seed);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (uint64_t written = 0; written < size;) {
        const std::size_t chunk = static_cast<std::size_t>(std::min<uint64_t>(1 << 20, size - written));
        const std::string text = maker.Make(chunk);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        written += chunk;
    }
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

void WriteLargeRandom(const fs::path& path, uint64_t size, uint64_t seed) {
    Prng random(seed);
    std::vector<uint64_t> block(1 << 17);   // 1 MiB
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (uint64_t written = 0; written < size;) {
        for (uint64_t& word : block) word = random.Next();
        const std::size_t chunk = static_cast<std::size_t>(std::min<uint64_t>(block.size() * 8, size - written));
        out.write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(chunk));
        written += chunk;
    }
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

void Put16(std::string& out, uint32_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}
void Put32(std::string& out, uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}
void Put64(std::string& out, uint64_t value) {
    Put32(out, static_cast<uint32_t>(value));
    Put32(out, static_cast<uint32_t>(value >> 32));
}

// Writes the many-entry archive directly: making it from files would need as many files on
// disk, which costs far more than the listing it is there for. Stored entries; Zip64 end
// records once the count no longer fits 16 bits.
void WriteTinyArchive(const fs::path& path, int entries) {
    const uint32_t dosTime = (12u << 11), dosDate = ((2020u - 1980u) << 9) | (1u << 5) | 1u;
    std::string local, central;
    char name[64];
    for (int i = 0; i < entries; ++i) {
        std::snprintf(name, sizeof name, "tiny/d%03d/entry%06d.txt", i / 1000, i);
        const std::string data = "entry " + std::to_string(i) + "\n";
        const uint32_t crc = static_cast<uint32_t>(
            crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
        const uint32_t nameLength = static_cast<uint32_t>(std::strlen(name));
        const uint32_t offset = static_cast<uint32_t>(local.size());
        Put32(local, 0x04034b50); Put16(local, 10); Put16(local, 0); Put16(local, 0);
        Put16(local, dosTime); Put16(local, dosDate); Put32(local, crc);
        Put32(local, static_cast<uint32_t>(data.size())); Put32(local, static_cast<uint32_t>(data.size()));
        Put16(local, nameLength); Put16(local, 0);
        local += name;
        local += data;
        Put32(central, 0x02014b50); Put16(central, 20); Put16(central, 10); Put16(central, 0); Put16(central, 0);
        Put16(central, dosTime); Put16(central, dosDate); Put32(central, crc);
        Put32(central, static_cast<uint32_t>(data.size())); Put32(central, static_cast<uint32_t>(data.size()));
        Put16(central, nameLength); Put16(central, 0); Put16(central, 0); Put16(central, 0); Put16(central, 0);
        Put32(central, 0); Put32(central, offset);
        central += name;
    }
    std::string end;
    const uint64_t centralOffset = local.size(), centralSize = central.size();
    const bool zip64 = entries >= 0xFFFF;
    if (zip64) {
        const uint64_t zip64EndOffset = centralOffset + centralSize;
        Put32(end, 0x06064b50); Put64(end, 44); Put16(end, 45); Put16(end, 45); Put32(end, 0); Put32(end, 0);
        Put64(end, static_cast<uint64_t>(entries)); Put64(end, static_cast<uint64_t>(entries));
        Put64(end, centralSize); Put64(end, centralOffset);
        Put32(end, 0x07064b50); Put32(end, 0); Put64(end, zip64EndOffset); Put32(end, 1);
    }
    const uint32_t shownCount = zip64 ? 0xFFFF : static_cast<uint32_t>(entries);
    Put32(end, 0x06054b50); Put16(end, 0); Put16(end, 0); Put16(end, shownCount); Put16(end, shownCount);
    Put32(end, static_cast<uint32_t>(centralSize)); Put32(end, static_cast<uint32_t>(centralOffset)); Put16(end, 0);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(local.data(), static_cast<std::streamsize>(local.size()));
    out.write(central.data(), static_cast<std::streamsize>(central.size()));
    out.write(end.data(), static_cast<std::streamsize>(end.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

// Each part is marked done only after it is complete, so that an interrupted first run
// finishes the corpus instead of reusing half of it.
bool Done(const fs::path& root, const std::string& part) { return fs::exists(root / (".done-" + part)); }
void MarkDone(const fs::path& root, const std::string& part) { WriteFile(root / (".done-" + part), "", 0); }

}  // namespace

Corpus PrepareCorpus(const std::string& workDir, const CorpusScale& scale, const std::string& name) {
    const fs::path root = fs::absolute(fs::path(workDir) / ("corpus-" + name));
    fs::create_directories(root);
    Corpus corpus;
    corpus.root = root.string();
    corpus.smallTree = "small";
    corpus.tinyEntries = scale.tinyEntries;

    const int perFolder = scale.smallFiles / scale.folders;
    char relative[64];
    for (int folder = 0; folder < scale.folders; ++folder)
        for (int file = 0; file < perFolder; ++file) {
            std::snprintf(relative, sizeof relative, "small/d%03d/file%05d.txt", folder, folder * perFolder + file);
            corpus.smallFiles.push_back(relative);
        }
    if (!Done(root, "small")) {
        std::fprintf(stderr, "making %d small text files in %d folders...\n", scale.smallFiles, scale.folders);
        TextMaker maker(1);
        Prng sizes(2);
        for (int folder = 0; folder < scale.folders; ++folder) {
            std::snprintf(relative, sizeof relative, "small/d%03d", folder);
            fs::create_directories(root / relative);
        }
        for (const std::string& file : corpus.smallFiles) {
            const std::string text = maker.Make(200 + sizes.Below(6000));
            WriteFile(root / file, text.data(), text.size());
        }
        MarkDone(root, "small");
    }

    corpus.largeFiles = {"large/text1.txt", "large/text2.txt", "large/random1.bin", "large/random2.bin"};
    if (!Done(root, "large")) {
        std::fprintf(stderr, "making four large files of %llu MiB...\n",
                     static_cast<unsigned long long>(scale.largeFileSize >> 20));
        fs::create_directories(root / "large");
        WriteLargeText(root / corpus.largeFiles[0], scale.largeFileSize, 11);
        WriteLargeText(root / corpus.largeFiles[1], scale.largeFileSize, 12);
        WriteLargeRandom(root / corpus.largeFiles[2], scale.largeFileSize, 13);
        WriteLargeRandom(root / corpus.largeFiles[3], scale.largeFileSize, 14);
        MarkDone(root, "large");
    }

    corpus.tinyArchive = (root / "tiny.zip").string();
    if (!Done(root, "tiny")) {
        std::fprintf(stderr, "making an archive of %d tiny entries...\n", scale.tinyEntries);
        WriteTinyArchive(root / "tiny.zip", scale.tinyEntries);
        MarkDone(root, "tiny");
    }

    corpus.extraFile = "extra/added.txt";
    if (!Done(root, "extra")) {
        fs::create_directories(root / "extra");
        const std::string text = TextMaker(21).Make(200 * 1024);
        WriteFile(root / corpus.extraFile, text.data(), text.size());
        MarkDone(root, "extra");
    }
    return corpus;
}

}  // namespace zipbench
