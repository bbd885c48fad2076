#include "CommandLineSafety.h"

#include <windows.h>

#include "UserMessages.h"

std::string UnsafeArgumentReason(const std::string& text, ArgumentUse use) {
    if (text.empty()) return "it is empty";
    if (text[0] == '-' || text[0] == '/') return "it begins with a switch character";
    // A program's argument parser reads backslash-quote as a quote inside the text.
    if (text.back() == '\\') return "it ends with a backslash";
    for (char c : text) {
        unsigned char code = static_cast<unsigned char>(c);
        if (code < 0x20 || code == 0x7F) return "it contains a control character";
        if (c == '"') return "it contains a double quote";
        if (c == '%') return "it contains a percent sign";
        if (c == '!') return "it contains an exclamation mark";
        if (use == ArgumentUse::ExactName && (c == '*' || c == '?')) return "it contains a wildcard";
    }
    return std::string();
}

std::string QuoteArgument(const std::string& text) { return "\"" + text + "\""; }

std::string UnsafeArgumentMessage(const std::string& text, const std::string& reason) {
    return "Cannot pass \"" + text + "\" to the command interpreter safely: " + reason + ". Nothing was run.";
}

bool MayGoOnCommandLine(const std::string& text, ArgumentUse use) {
    const std::string reason = UnsafeArgumentReason(text, use);
    if (reason.empty()) return true;
    ShowMessage(UnsafeArgumentMessage(text, reason), MB_ICONERROR);
    return false;
}
