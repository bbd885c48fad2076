#pragma once
// The records, callbacks and entry points shared by the engine and the two zip DLLs,
// UnZip32.dll (windll_unzip) and Zip32.dll (DllZipUpFiles). Both sides include this header;
// the 32-bit layout is fixed and checked below.

#include <windows.h>
#include <cstddef>

extern "C" {

// ---- UnZip32.dll -------------------------------------------------------------------------

// Command record: 17 words, 16 integers and the archive path. Words the engine never sets
// must stay 0; the DLL refuses a record that sets one it does not support.
struct UnzipCommand {
    int onlyNewer;          // 0: not supported, must be 0
    int overwriteAll;       // 1: replace existing files without asking
    int convertLineEnds;    // 0: not supported, must be 0
    int promptOverwrite;    // 1: ask through the replace callback about each existing file
    int listOnly;           // 1: list the entries, extract nothing
    int binaryMode;         // 1: write bytes exactly as stored (the only mode there is)
    int testOnly;           // 1: check every entry's data and CRC, write nothing
    int commentOnly;        // 0: not supported, must be 0
    int reportEntries;      // 1: call the entry callback once per entry while listing
    int quietLevel;         // 0: every message through print; 1: problems only; 2: none
    int upperCaseNames;     // 0: not supported, must be 0
    int keepFolderNames;    // 1: recreate stored folders; 0: junk paths
    int replaceReadOnly;    // 1: also replace existing files that are read-only
    int reserved13;         // must be 0
    int reserved14;         // must be 0
    int reserved15;         // must be 0
    const char* archivePath;
};

// Every message is one line ending in "\n", starting "warning: " or "error: " when it reports
// a problem, e.g. "warning: 'CON': refused, 'CON' is a device name on Windows".
typedef int (WINAPI* UnzipPrintCallback)(const char* text, unsigned long length);
typedef void (WINAPI* UnzipSoundCallback)(void);
typedef int (WINAPI* UnzipReplaceCallback)(const char* fileName);   // UNZIP_REPLACE / UNZIP_KEEP
typedef int (WINAPI* UnzipPasswordCallback)(char* buffer, int size, const char* prompt, const char* entryName);
// Entry callback, once per listed entry in archive order. Sizes above 0xFFFFFFFF are given as
// 0xFFFFFFFF. factor: percent saved, rounded half up, never 100 while data remains; for an entry
// that grew, the percent it grew by (the caller tells the two apart by comparing the sizes);
// 0 for an empty entry. Date and time from the DOS stamp, year % 100. flag: 'E' for an encrypted
// entry, else ' '. method: "Stored", "Defl:N"/"Defl:X"/"Defl:F"/"Defl:S" (the speed the writer
// recorded) or "Unk:NNN". encrypted: 1 or 0.
typedef void (WINAPI* UnzipEntryCallback)(unsigned long uncompressedSize, unsigned long compressedSize,
                                          unsigned short factor, unsigned short month, unsigned short day,
                                          unsigned short year, unsigned short hour, unsigned short minute,
                                          char flag, const char* name, const char* method,
                                          unsigned long crc, char encrypted);

enum { UNZIP_KEEP = 100, UNZIP_REPLACE = 102 };

// Callback block: five callbacks, a 16-bit word, then the totals of the last listing,
// which the DLL writes back.
struct UnzipCallbacks {
    UnzipPrintCallback print;
    UnzipSoundCallback sound;
    UnzipReplaceCallback replace;
    UnzipPasswordCallback password;
    UnzipEntryCallback entry;
    WORD reserved;                      // 0
    unsigned long totalCompressed;      // bytes, summed over the listed entries
    unsigned long totalUncompressed;
    unsigned long compressionFactor;    // percent saved over all entries
    unsigned long entryCount;
};

// Results of windll_unzip. WARNING: everything asked for was dealt with, but something was
// kept (an existing file), not found (a named entry) or refused (an unsafe or encrypted entry)
// while other entries were extracted or kept. ERROR: damaged data, a CRC mismatch, a file that
// cannot be written, a missing archive, or nothing but refused entries. BAD_ARCHIVE: the file is
// not a zip archive. BAD_ARGUMENT: a null pointer where a value is needed or a "must be 0" word set.
enum { UNZIP_OK = 0, UNZIP_WARNING = 1, UNZIP_ERROR = 2, UNZIP_BAD_ARCHIVE = 3, UNZIP_BAD_ARGUMENT = 10 };

// count 0 and names null: every entry; otherwise a null-terminated array of count entry names.
typedef int (WINAPI* WindllUnzipFunction)(int count, char** names, UnzipCommand* command, UnzipCallbacks* callbacks);

// Entry names cross both DLLs in the caller's ANSI code page, as the listing gave them: a
// character the code page lacks shows as '?', never as a look-alike, and a name handed back
// selects the entries that listed under it. Files are still written under their true names.

// windll_unzip_sizes64, a second export of UnZip32.dll: the true sizes that the entry callback's
// and the callback block's 32-bit fields cannot hold past 4 GiB. Called from inside the entry
// callback, entry gets that entry's sizes; called after a listing, totals get its totals. Either
// pointer may be null. Returns 1 when it filled what was asked, 0 when there was nothing to give.
struct UnzipSizes64 {
    unsigned long long uncompressed;
    unsigned long long compressed;
};
typedef int (WINAPI* WindllUnzipSizes64Function)(UnzipSizes64* entry, UnzipSizes64* totals);

// windll_unzip_extracted_path: the path below the target folder that windll_unzip, keeping
// folder names, writes the entry of this name to, '\' separated, in the caller's ANSI code page:
// drive letters, leading slashes and ".." components gone, as extraction removes them. Returns
// the path's length, and writes the path and a terminator only when that length is below size;
// 0 for a name that extraction refuses and for a folder entry, neither of which makes a file.
typedef int (WINAPI* WindllUnzipExtractedPathFunction)(const char* entryName, char* path, int size);

// windll_unzip_offsets_from_start: 1 when the file is a zip archive whose stored offsets count
// from the start of the file, as a self-extractor's must; 0 when they count from elsewhere (a
// stub put in front without adjusting them, which readers still find) or the file is no zip
// archive that can be read.
typedef int (WINAPI* WindllUnzipOffsetsFromStartFunction)(const char* archivePath);

// ---- Zip32.dll ---------------------------------------------------------------------------

// One line per call, ending in "\n": "  adding: REPORT.TXT (deflated 61%)", "  deleting: A.TXT",
// or a problem starting "warning: " or "error: ". The stream is the request's outputStream.
typedef int (WINAPI* ZipPrintCallback)(void* stream, unsigned long length, const char* text);
typedef char* (WINAPI* ZipCommentCallback)(char* comment);

// Request record: 32 words. Words the engine never sets must stay 0.
struct ZipRequest {
    ZipPrintCallback print;         // 0
    ZipCommentCallback comment;     // 1: never called
    void* outputStream;             // 2: the caller's stdout; only handed back to print as its stream
    int encrypt;                    // 3: must be 0
    int systemFiles;                // 4: must be 0
    int volumeLabel;                // 5: must be 0
    int extraAttributes;            // 6: must be 0
    int noDirEntries;               // 7: 1: do not add entries for folders
    int excludeBeforeDate;          // 8: must be 0
    int includeAfterDate;           // 9: must be 0
    int verbose;                    // 10: 1: also a closing line with the counts written
    int quiet;                      // 11: 1: only problems through print
    int convertCrLf;                // 12: must be 0
    int convertLf;                  // 13: must be 0
    char level[4];                  // 14: first byte the level digit '0'..'9'
    int compress8bit;               // 15: must be 0
    int junkSfxPrefix;              // 16: must be 0
    int dropFolderNames;            // 17: 1: entries carry only the file name
    int recurse;                    // 18: must be 0 (the caller walks the folders)
    int grow;                       // 19: must be 0
    int forceDos;                   // 20: must be 0
    int moveFiles;                  // 21: must be 0
    int deleteEntries;              // 22: 1: delete the named entries instead of adding; a name matches
                                    //     its entry exactly, else up to slash direction and letter case
    int update;                     // 23: must be 0
    int freshen;                    // 24: must be 0
    int junkComment;                // 25: must be 0
    int offsetsToZero;              // 26: must be 0
    int privileges;                 // 27: must be 0
    int reserved28;                 // 28: must be 0
    int nameCount;                  // 29
    const char* archivePath;        // 30
    char** names;                   // 31: null-terminated array of nameCount names
};

// Results of DllZipUpFiles.
enum {
    ZIP_OK = 0,
    ZIP_NOTHING_TO_DO = 12,   // the names or patterns matched no file (or, deleting, no entry);
                              // the archive is unchanged
    ZIP_ERROR = 2,            // anything else failed; the archive is unchanged
    ZIP_BAD_ARGUMENT = 10,
};

typedef int (WINAPI* DllZipUpFilesFunction)(ZipRequest* request);

// ---- Progress and cancel, both DLLs --------------------------------------------------------

// A caller that wants to see long work and be able to stop it hands the DLL a progress record
// before the call (windll_unzip_set_progress for windll_unzip, windll_zip_set_progress for
// DllZipUpFiles). The record holds for the calls made afterwards on the same thread, until the
// same export is called with null; a caller that never calls it sees no change at all.
//
// The DLL calls report on the thread that called windll_unzip or DllZipUpFiles, never on
// another, at the start of each entry and at least every few MiB inside a long entry, and once
// more at the end. report returns 0 to go on, anything else to stop: the DLL then stops within
// that entry and returns UNZIP_CANCELLED or ZIP_CANCELLED. What stopping leaves:
//   windll_unzip: the files completed before stay; the file being written is removed; nothing
//     else is touched.
//   DllZipUpFiles: the archive is byte-identical to before and no temporary file is left.
// bytesTotal counts uncompressed bytes for extraction and testing, the sources' bytes for
// adding, and archive bytes for listing and for rewriting (delete); 0 while not yet known.
struct WindllProgressReport {
    const char* entryName;              // the entry being worked on, in the caller's ANSI code page
    unsigned long long bytesDone;
    unsigned long long bytesTotal;
    unsigned long entriesDone;
    unsigned long entriesTotal;         // 0 while not yet known
};
typedef int (WINAPI* WindllProgressCallback)(void* context, const WindllProgressReport* report);

struct WindllProgress {
    unsigned long size;                 // sizeof(WindllProgress); lets the record grow later
    WindllProgressCallback report;
    void* context;                      // handed back to report unchanged
};

enum { UNZIP_CANCELLED = 11, ZIP_CANCELLED = 11 };

// Both return 1 when the record was taken (or cleared by null), 0 for a record of an unknown size.
typedef int (WINAPI* WindllUnzipSetProgressFunction)(const WindllProgress* progress);
typedef int (WINAPI* WindllZipSetProgressFunction)(const WindllProgress* progress);

}  // extern "C"

#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(UnzipCommand) == 17 * 4, "unzip command record is 17 words");
static_assert(offsetof(UnzipCommand, archivePath) == 64, "archive path is word 16");
static_assert(offsetof(UnzipCallbacks, reserved) == 20, "five callbacks, then the 16-bit word");
static_assert(offsetof(UnzipCallbacks, totalCompressed) == 24, "totals follow the 16-bit word");
static_assert(offsetof(UnzipCallbacks, entryCount) == 36, "four 32-bit totals");
static_assert(sizeof(ZipRequest) == 32 * 4, "zip request record is 32 words");
static_assert(offsetof(ZipRequest, level) == 56, "level digit at byte 56");
static_assert(offsetof(ZipRequest, dropFolderNames) == 68, "drop folder names at byte 68");
static_assert(offsetof(ZipRequest, deleteEntries) == 88, "delete at byte 88");
static_assert(offsetof(ZipRequest, nameCount) == 116, "name count at byte 116");
static_assert(offsetof(ZipRequest, archivePath) == 120, "archive path at byte 120");
static_assert(offsetof(ZipRequest, names) == 124, "names at byte 124");
#endif
