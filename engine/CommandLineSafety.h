#pragma once
// Names and paths that go on a command line the command interpreter runs. Each is quoted;
// one that quoting cannot make harmless is refused before anything runs.

#include <string>

enum class ArgumentUse {
    ExactName,   // a path, or an entry to delete: a wildcard would widen a delete to others
    Pattern,     // may match more than itself: what Add takes, or an entry to extract
};

// Why text cannot be passed safely on an interpreter command line, or empty when it can.
// Refused: double quotes (end the quoting), percent signs (the interpreter expands %VAR%
// even inside quotes), exclamation marks (expanded too when delayed expansion is on, and
// a leading one makes ARJ read a list file), control characters (a line break ends the
// command), a leading "-" or "/" (read as a switch), a trailing backslash (the program's
// argument parser takes backslash-quote for a quote), an empty text, and for exact names
// the wildcards "*" and "?".
std::string UnsafeArgumentReason(const std::string& text, ArgumentUse use);

// text in double quotes; only for texts that UnsafeArgumentReason accepts.
std::string QuoteArgument(const std::string& text);

// The message that refuses text: names it and says why.
std::string UnsafeArgumentMessage(const std::string& text, const std::string& reason);

// True when text may go on an interpreter command line as use allows; otherwise shows the
// message that refuses it (error icon) and returns false. Every text bound for the
// interpreter passes here before anything runs.
bool MayGoOnCommandLine(const std::string& text, ArgumentUse use = ArgumentUse::ExactName);
