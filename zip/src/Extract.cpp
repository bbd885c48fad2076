#include "FileSystem.h"
#include "Names.h"
#include "zipcore/ZipArchive.h"

#include <new>
#include <unordered_map>
#include <unordered_set>

namespace zipcore {
namespace {

int Severity(Status status) {
    switch (status) {
    case Status::Ok: return 0;
    case Status::Skipped:
    case Status::NothingToDo: return 1;
    case Status::NotFound: return 2;
    default: return 3;
    }
}

std::string Quoted(const std::string& name) { return "'" + name + "'"; }

class Extraction {
public:
    Extraction(const ExtractOptions& options, ExtractResult& result) : options_(options), result_(result) {}

    void say(const std::string& line) {
        if (options_.message) options_.message(line);
    }
    void note(Status status) {
        if (Severity(status) > Severity(result_.status)) result_.status = status;
    }
    void fail(Status status, const std::string& line) {
        ++result_.failed;
        note(status);
        say(line);
    }

    // Creates the folders of a relative path below the target one level at a time, refusing
    // to pass through a symbolic link: an existing link could lead out of the target.
    bool makeFolders(const std::string& root, const std::vector<std::string>& parts, std::size_t count,
                     std::string& path, std::string& problem) {
        path = root;
        for (std::size_t i = 0; i < count; ++i) {
            path = fs::Join(path, parts[i]);
            if (checkedFolders_.count(path)) continue;
            fs::FileInfo info = fs::StatNoFollow(path);
            if (info.isSymlink) {
                problem = "the folder " + Quoted(path) + " is a symbolic link";
                return false;
            }
            if (info.exists && !info.isDirectory) {
                problem = Quoted(path) + " exists and is not a folder";
                return false;
            }
            if (!info.exists && !fs::MakeDirectory(path)) {
                problem = "cannot create the folder " + Quoted(path);
                return false;
            }
            checkedFolders_.insert(path);
        }
        return true;
    }

    void extractOne(Reader& reader, std::size_t index, const std::string& root) {
        const Entry& entry = reader.entries()[index];
        names::SafePath safe;
        if (!names::MakeSafe(entry.name, safe)) {
            fail(Status::UnsafeName, Quoted(entry.name) + ": refused, " + safe.problem);
            return;
        }
        bool folder = entry.isDirectory();
        if (safe.components.empty()) {
            if (!folder) fail(Status::UnsafeName, Quoted(entry.name) + ": refused, nothing of the name is usable");
            return;
        }
        if (options_.junkPaths) {
            if (folder) return;
            safe.components.erase(safe.components.begin(), safe.components.end() - 1);
        } else if (safe.changed) {
            std::string shown;
            for (const std::string& part : safe.components) shown += (shown.empty() ? "" : "/") + part;
            say(Quoted(entry.name) + ": drive, leading separators and \"..\" removed, extracted as " + Quoted(shown));
        }
        std::string path, problem;
        std::size_t parentCount = folder ? safe.components.size() : safe.components.size() - 1;
        if (!makeFolders(root, safe.components, parentCount, path, problem)) {
            fail(Status::IoError, Quoted(entry.name) + ": " + problem);
            return;
        }
        if (folder) return;
        path = fs::Join(path, safe.components.back());

        fs::FileInfo existing = fs::StatNoFollow(path);
        if (existing.exists) {
            if (existing.isDirectory) {
                fail(Status::IoError, Quoted(entry.name) + ": a folder " + Quoted(path) + " is in the way");
                return;
            }
            bool replace = options_.overwrite == Overwrite::Always ||
                           (options_.overwrite == Overwrite::Ask && options_.askOverwrite &&
                            options_.askOverwrite(path));
            if (!replace) {
                ++result_.skipped;
                note(Status::Skipped);
                say(Quoted(path) + " exists, kept");
                return;
            }
        }

        // An existing file (or link) is replaced only once the new data is complete and its
        // CRC checked out: the data goes to another name beside it first, and renaming over
        // a link replaces the link instead of writing where it points. A new file is written
        // in place and deleted if the entry turns out damaged.
        const bool direct = !existing.exists;
        std::string temporary = direct ? path : fs::TemporaryNameBeside(path);
        fs::File out;
        if (!out.open(temporary, "wb")) {
            fail(Status::IoError, Quoted(entry.name) + ": cannot create " + Quoted(path));
            return;
        }
        bool writeFailed = false;
        Error error = reader.ReadEntry(index, [&](const uint8_t* data, std::size_t size) {
            if (out.write(data, size)) return true;
            writeFailed = true;
            return false;
        });
        bool closed = out.close();
        if (error || !closed) {
            fs::RemoveFile(temporary);
            if (writeFailed || !closed)
                fail(Status::IoError, Quoted(entry.name) + ": cannot write " + Quoted(path) + " (disk full?)");
            else
                fail(error.status, error.message);
            return;
        }
        fs::SetModified(temporary, UnixFromDosDateTime(entry.dosDate, entry.dosTime));
        if (!direct && !fs::ReplaceFile(temporary, path)) {
            fs::RemoveFile(temporary);
            fail(Status::IoError, Quoted(entry.name) + ": cannot replace " + Quoted(path) + " (in use?)");
            return;
        }
        ++result_.extracted;
    }

private:
    const ExtractOptions& options_;
    ExtractResult& result_;
    std::unordered_set<std::string> checkedFolders_;  // made or found safe during this run
};

bool MakeTargetFolder(const std::string& target) {
    if (fs::Stat(target).isDirectory) return true;
    std::string partial;
    for (std::size_t i = 0; i <= target.size(); ++i) {
        if (i == target.size() || fs::IsSeparator(target[i])) {
            partial = target.substr(0, i);
            // Skip the root and a bare drive, which exist or cannot be made anyway.
            if (!partial.empty() && !(partial.size() == 2 && partial[1] == ':')) fs::MakeDirectory(partial);
        }
    }
    return fs::Stat(target).isDirectory;
}

}  // namespace

namespace {

ExtractResult ExtractAll(const std::string& archivePath, const ExtractOptions& options) {
    ExtractResult result;
    Extraction run(options, result);
    Error error;
    std::unique_ptr<Reader> reader = Reader::Open(archivePath, error);
    if (!reader) {
        result.status = error.status;
        run.say(error.message);
        return result;
    }
    const std::string root = options.targetDir.empty() ? "." : options.targetDir;
    if (!MakeTargetFolder(root)) {
        result.status = Status::IoError;
        run.say("cannot create the folder " + Quoted(root));
        return result;
    }
    const std::vector<Entry>& entries = reader->entries();
    std::vector<bool> chosen(entries.size(), options.names.empty());
    if (!options.names.empty()) {
        std::unordered_multimap<std::string, std::size_t> byName;
        byName.reserve(entries.size());
        for (std::size_t i = 0; i < entries.size(); ++i) byName.emplace(names::ComparisonKey(entries[i].name), i);
        for (const std::string& wanted : options.names) {
            auto range = byName.equal_range(names::ComparisonKey(wanted));
            for (auto it = range.first; it != range.second; ++it) chosen[it->second] = true;
            if (range.first == range.second) {
                result.namesNotFound.push_back(wanted);
                run.note(Status::NotFound);
                run.say(Quoted(wanted) + ": not in the archive");
            }
        }
    }
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (chosen[i]) run.extractOne(*reader, i, root);
    return result;
}

}  // namespace

ExtractResult Extract(const std::string& archivePath, const ExtractOptions& options) {
    try {
        return ExtractAll(archivePath, options);
    } catch (const std::bad_alloc&) {
        ExtractResult result;
        result.status = Status::IoError;
        if (options.message) options.message("out of memory while extracting " + archivePath);
        return result;
    }
}

}  // namespace zipcore
