#include "zipcore/ZipArchive.h"

namespace zipcore {

const char* StatusText(Status status) {
    switch (status) {
    case Status::Ok: return "ok";
    case Status::NotZip: return "not a zip archive";
    case Status::Truncated: return "archive is truncated";
    case Status::BadOffsets: return "bad offsets in archive";
    case Status::UnsupportedMethod: return "unsupported compression method";
    case Status::Encrypted: return "entry is encrypted";
    case Status::CrcMismatch: return "CRC mismatch";
    case Status::UnsafeName: return "unsafe entry name";
    case Status::Overlapping: return "overlapping entries";
    case Status::SizeMismatch: return "entry size does not match its data";
    case Status::IoError: return "file read or write failed";
    case Status::NotFound: return "not found";
    case Status::NothingToDo: return "nothing to do";
    case Status::Skipped: return "existing file kept";
    case Status::Cancelled: return "cancelled";
    }
    return "unknown error";
}

}  // namespace zipcore
