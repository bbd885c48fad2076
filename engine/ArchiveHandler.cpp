#include "ArchiveHandler.h"

#include "PathHelpers.h"

namespace {

// The log the library print callbacks write to; the callbacks carry no handler pointer.
std::string* currentLog = nullptr;

}  // namespace

CArchiveHandler::CArchiveHandler(IArchiveView* view) : view(view) { MakeLogCurrent(); }

CArchiveHandler::~CArchiveHandler() {
    // A callback arriving after this handler is gone must not write into freed memory.
    if (currentLog == &messageLog) currentLog = nullptr;
}

void CArchiveHandler::SetCurrentLog(std::string* log) { currentLog = log; }

void AppendToCurrentLog(const char* text, std::size_t length) {
    if (!currentLog || !text) return;
    try {
        currentLog->append(text, length);
    } catch (...) {
        // Called from inside a library callback: losing a log line beats unwinding through C.
    }
}

int CArchiveHandler::MakeExe(const std::string&) { return 0; }

int CArchiveHandler::MakeWin95Exe(const std::string&) { return 0; }

int CArchiveHandler::ReadStoredEntries(std::vector<StoredEntry>&) { return 0; }

int CArchiveHandler::IsArchiveEmpty() { return IsFileEmptyOrMissing(archivePath); }

int CArchiveHandler::Init() { return 1; }

int CArchiveHandler::Open(const std::string& path) {
    archivePath = path;
    opened = 1;
    return 1;
}

int CArchiveHandler::Close() {
    opened = 0;
    return 1;
}

int CArchiveHandler::Refresh() {
    messageLog.clear();
    if (view) view->ClearEntries();
    return IsArchiveEmpty() ? 0 : 1;
}

std::string& CArchiveHandler::GetErrorLog() { return messageLog; }
