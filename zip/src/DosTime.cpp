#include "zipcore/ZipArchive.h"

#include <ctime>

namespace zipcore {

void DosDateTimeFromUnix(int64_t unixTime, uint16_t& dosDate, uint16_t& dosTime) {
    std::time_t when = static_cast<std::time_t>(unixTime);
    std::tm local{};
#ifdef _WIN32
    bool ok = localtime_s(&local, &when) == 0;
#else
    bool ok = localtime_r(&when, &local) != nullptr;
#endif
    int year = ok ? local.tm_year + 1900 : 1980;
    // The DOS format covers 1980 to 2107; clamp rather than wrap into a wrong century.
    if (!ok || year < 1980) {
        dosDate = (1 << 5) | 1;
        dosTime = 0;
        return;
    }
    if (year > 2107) {
        dosDate = static_cast<uint16_t>((127 << 9) | (12 << 5) | 31);
        dosTime = static_cast<uint16_t>((23 << 11) | (59 << 5) | 29);
        return;
    }
    dosDate = static_cast<uint16_t>(((year - 1980) << 9) | ((local.tm_mon + 1) << 5) | local.tm_mday);
    dosTime = static_cast<uint16_t>((local.tm_hour << 11) | (local.tm_min << 5) | (local.tm_sec / 2));
}

int64_t UnixFromDosDateTime(uint16_t dosDate, uint16_t dosTime) {
    std::tm local{};
    local.tm_year = (dosDate >> 9) + 80;
    int month = (dosDate >> 5) & 15;
    local.tm_mon = (month >= 1 && month <= 12 ? month : 1) - 1;
    int day = dosDate & 31;
    local.tm_mday = day >= 1 ? day : 1;
    local.tm_hour = dosTime >> 11;
    local.tm_min = (dosTime >> 5) & 63;
    local.tm_sec = (dosTime & 31) * 2;
    local.tm_isdst = -1;
    return static_cast<int64_t>(std::mktime(&local));
}

}  // namespace zipcore
