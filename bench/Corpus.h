#pragma once
// The benchmark's deterministic corpus: a tree of small text files, a few large files (text-like
// and random), and an archive of many tiny entries. Made once per scale in the work folder and
// reused by later runs, since making it takes longer than most of the timed steps.

#include <cstdint>
#include <string>
#include <vector>

namespace zipbench {

struct CorpusScale {
    int smallFiles;          // spread evenly over `folders`
    int folders;
    uint64_t largeFileSize;  // each of the four large files
    int tinyEntries;
};

CorpusScale FullScale();
CorpusScale QuickScale();   // a tenth of the full corpus

struct Corpus {
    std::string root;                     // absolute; every name below is relative to it
    std::string smallTree;                // folder of the small files
    std::vector<std::string> smallFiles;  // relative paths, sorted
    std::vector<std::string> largeFiles;  // relative paths
    std::string tinyArchive;              // absolute path of the many-entry archive
    std::string extraFile;                // relative path of the one file added to big archives
    int tinyEntries = 0;
};

// Makes whatever part of the corpus is missing under workDir and describes it; progress goes to
// stderr because the first run spends a while here.
Corpus PrepareCorpus(const std::string& workDir, const CorpusScale& scale, const std::string& name);

}  // namespace zipbench
