// Stands in for ARJ.EXE in the handler tests. Every run appends what it was given to the log
// named by BRINDLE_FAKE_ARJ_LOG: a "CALL" line with the whole command line, then one "ARG"
// line per argument as the C runtime split it. For the list command ("v") it prints the file
// named by BRINDLE_FAKE_ARJ_LISTING byte for byte, so each test chooses the listing layout.

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

}  // namespace

int main(int argc, char** argv) {
    AppendToLog(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "v") == 0) PrintListing();
    return 0;
}
