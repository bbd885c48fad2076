#include "EntryGuard.h"

#include <cstdio>
#include <cstring>

namespace zipdll {

void ReportFailure(const CallerPrint& print, const char* what) noexcept {
    char line[256];
    std::snprintf(line, sizeof line, "error: %.200s\n", what);
    print(line, static_cast<unsigned long>(std::strlen(line)));
}

}  // namespace zipdll
