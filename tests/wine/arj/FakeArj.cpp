// Stands in for ARJ.EXE in the handler tests. Every run appends what it was given to the log
// named by BRINDLE_FAKE_ARJ_LOG: a "CALL" line with the whole command line, then one "ARG"
// line per argument as the C runtime split it. For the list command ("v") it prints the file
// named by BRINDLE_FAKE_ARJ_LISTING byte for byte, so each test chooses the listing layout.
// A run given an argument equal to BRINDLE_FAKE_ARJ_FAIL_ON (a command letter or a name) is
// logged, then fails with exit code 2, as ARJ does on a fatal error.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <io.h>

namespace {

void AppendToLog(int argc, char** argv) {
    const char* logPath = std::getenv("BRINDLE_FAKE_ARJ_LOG");
    if (!logPath || !*logPath) return;
    // Several runs in a row append to one log; each opens and closes it before it ends.
    FILE* log = std::fopen(logPath, "ab");
    if (!log) return;
    std::fprintf(log, "CALL\t%s\n", GetCommandLineA());
    for (int i = 1; i < argc; ++i) std::fprintf(log, "ARG\t%s\n", argv[i]);
    std::fclose(log);
}

void PrintListing() {
    const char* listingPath = std::getenv("BRINDLE_FAKE_ARJ_LISTING");
    if (!listingPath || !*listingPath) return;
    FILE* listing = std::fopen(listingPath, "rb");
    if (!listing) return;
    _setmode(_fileno(stdout), _O_BINARY);
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, listing)) > 0) std::fwrite(buffer, 1, got, stdout);
    std::fclose(listing);
}

bool AskedToFail(int argc, char** argv) {
    const char* failOn = std::getenv("BRINDLE_FAKE_ARJ_FAIL_ON");
    if (!failOn || !*failOn) return false;
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], failOn) == 0) return true;
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    AppendToLog(argc, argv);
    if (AskedToFail(argc, argv)) {
        std::printf("ERROR: failing as asked\n");
        return 2;
    }
    if (argc > 1 && std::strcmp(argv[1], "v") == 0) PrintListing();
    return 0;
}
