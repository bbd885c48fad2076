// Kestrel, the Windows self-extractor stub. Brindle puts it in front of a zip archive; run, it
// asks for a folder, writes the unzip program it carries to the temporary folder as UnZip.EXE
// and runs that through the command interpreter (by its full path) on Kestrel's own file, which holds the archive.
// It reads no zip data itself and ends with exit code 1 whatever happened.

#include <windows.h>
#include <shlobj.h>

#include "SystemPrograms.h"
#include "resource.h"

namespace {

const char kCaption[] = "Brindle Self-Extractor";
const int kTextSize = 1000;      // each of the three paths, terminator included
const int kCommandSize = 4096;   // the quoted command: three paths and the interpreter's quotes

HINSTANCE programInstance;
bool unzipping = false;   // while UnZip.EXE runs, the dialog answers but starts nothing

void ShowError(const char* text) { MessageBoxA(nullptr, text, kCaption, MB_OK | MB_ICONERROR); }

// Appends text when it fits, terminator included; false (buffer unchanged) when it does not.
bool Append(char* buffer, int size, const char* text) {
    int used = lstrlenA(buffer);
    int adding = lstrlenA(text);
    if (used + adding >= size) return false;
    lstrcpyA(buffer + used, text);
    return true;
}

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle(handle) {}
    ~FileHandle() {
        if (IsOpen()) CloseHandle(handle);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    bool IsOpen() const { return handle != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return handle; }
    bool Close() {
        HANDLE closing = handle;
        handle = INVALID_HANDLE_VALUE;
        return CloseHandle(closing) != 0;
    }

private:
    HANDLE handle;
};

// Writes the carried program to <temporary folder>\UnZip.EXE, all of it: a short write is
// reported and the partial file removed, never run.
bool UnpackCarriedProgram(char (&unzipPath)[kTextSize]) {
    HRSRC resource = FindResourceA(programInstance, "UnZip", "EXES");
    if (!resource) {
        ShowError("Cannot find UNZIP resource");
        return false;
    }
    HGLOBAL loaded = LoadResource(programInstance, resource);
    if (!loaded) {
        ShowError("Cannot load UNZIP resource");
        return false;
    }
    const void* bytes = LockResource(loaded);
    if (!bytes) {
        ShowError("Cannot lock UNZIP resource");
        FreeResource(loaded);
        return false;
    }
    const DWORD size = SizeofResource(programInstance, resource);

    unzipPath[0] = '\0';
    DWORD length = GetTempPathA(kTextSize, unzipPath);
    if (length == 0 || length >= static_cast<DWORD>(kTextSize) ||
        (unzipPath[length - 1] != '\\' && !Append(unzipPath, kTextSize, "\\")) ||
        !Append(unzipPath, kTextSize, "UnZip.EXE")) {
        ShowError("Cannot create UnZip.EXE");
        return false;
    }
    FileHandle file(CreateFileA(unzipPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsOpen()) {
        ShowError("Cannot create UnZip.EXE");
        return false;
    }
    DWORD written = 0;
    bool whole = WriteFile(file.Get(), bytes, size, &written, nullptr) && written == size;
    whole = file.Close() && whole;
    FreeResource(loaded);
    if (!whole) {
        DeleteFileA(unzipPath);
        ShowError("Cannot write UnZip.EXE completely; the disk may be full");
        return false;
    }
    return true;
}

// Appends text as one quoted argument. Backslashes before the closing quote are doubled, so
// that a folder such as C:\ reaches the program as C:\ and not as an escaped quote. Quotes
// cannot be quoted and the interpreter expands percent signs even inside quotes: such a text
// is refused.
bool AppendQuoted(char* command, const char* text) {
    for (const char* c = text; *c; ++c) {
        if (*c == '"' || *c == '%') {
            char message[kTextSize + 100] = "UnZip.EXE cannot be given a name with \" or % in it:\n";
            Append(message, sizeof message, text);
            ShowError(message);
            return false;
        }
    }
    int trailing = 0;
    for (int end = lstrlenA(text); end > 0 && text[end - 1] == '\\'; --end) ++trailing;
    bool fits = Append(command, kCommandSize, "\"") && Append(command, kCommandSize, text);
    for (int i = 0; fits && i < trailing; ++i) fits = Append(command, kCommandSize, "\\");
    fits = fits && Append(command, kCommandSize, "\"");
    if (!fits) ShowError("The command for UnZip.EXE is too long; choose a folder with a shorter name.");
    return fits;
}

// "<unzip>" -d "<folder>" "<own path>", inside one more pair of quotes that the command
// interpreter strips (it would otherwise strip the first and last quote of the line).
bool BuildCommand(const char* unzipPath, const char* folder, char (&command)[kCommandSize]) {
    char ownPath[kTextSize];
    DWORD length = GetModuleFileNameA(nullptr, ownPath, kTextSize);
    if (length == 0 || length >= static_cast<DWORD>(kTextSize)) {
        ShowError("Cannot find the self-extractor's own file.");
        return false;
    }
    command[0] = '\0';
    return Append(command, kCommandSize, "\"") && AppendQuoted(command, unzipPath) &&
           Append(command, kCommandSize, " -d ") && AppendQuoted(command, folder) &&
           Append(command, kCommandSize, " ") && AppendQuoted(command, ownPath) &&
           (Append(command, kCommandSize, "\"") ||
            (ShowError("The command for UnZip.EXE is too long; choose a folder with a shorter name."), false));
}

// Waits for the process while the dialog goes on answering: it repaints and can be moved.
void WaitAnswering(HANDLE process) {
    unzipping = true;
    while (MsgWaitForMultipleObjects(1, &process, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(message.wParam));   // for the dialog's own loop
                WaitForSingleObject(process, INFINITE);
                unzipping = false;
                return;
            }
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    unzipping = false;
}

// "Cmd.exe /C <command>", started by the interpreter's full path and waited for: the folder
// Kestrel was run from (a download folder, often) can hold a Cmd.exe of anyone's making.
void RunInterpreter(const char* command) {
    char interpreter[MAX_PATH];
    char line[kCommandSize + 16] = "Cmd.exe /C ";
    if (!InterpreterPath(true, interpreter, sizeof interpreter) || !Append(line, sizeof line, command)) {
        ShowError("Cannot find the command interpreter.");
        return;
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(interpreter, line, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        ShowError("Cannot start the command interpreter.");
        return;
    }
    WaitAnswering(process.hProcess);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

void UnzipInto(HWND dialog) {
    char folder[kTextSize];
    GetDlgItemTextA(dialog, IDC_FOLDER, folder, kTextSize);
    char unzipPath[kTextSize];
    if (!UnpackCarriedProgram(unzipPath)) return;
    char command[kCommandSize];
    if (!BuildCommand(unzipPath, folder, command)) return;
    RunInterpreter(command);
}

void BrowseForFolder(HWND dialog) {
    BROWSEINFOA browse{};
    browse.hwndOwner = dialog;
    browse.lpszTitle = "Unzip to:";
    browse.ulFlags = BIF_RETURNONLYFSDIRS;
    LPITEMIDLIST chosen = SHBrowseForFolderA(&browse);
    if (!chosen) return;
    char path[MAX_PATH];
    if (SHGetPathFromIDListA(chosen, path)) SetDlgItemTextA(dialog, IDC_FOLDER, path);
    CoTaskMemFree(chosen);
}

// Only OK (or Enter) closes the About box; Esc and the close box leave it open.
INT_PTR CALLBACK AboutProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) return TRUE;
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
        EndDialog(dialog, 1);
        return TRUE;
    }
    return FALSE;
}

INT_PTR CALLBACK KestrelProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG: {
        HICON icon = LoadIconA(programInstance, MAKEINTRESOURCEA(IDI_KESTREL));
        SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
        SendMessageA(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
        return TRUE;
    }
    case WM_COMMAND:
        if (unzipping) return TRUE;   // the close box and the buttons wait for UnZip.EXE
        switch (LOWORD(wParam)) {
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        case IDC_ABOUT:
            DialogBoxParamA(programInstance, MAKEINTRESOURCEA(IDD_ABOUTBOX), nullptr, AboutProcedure, 0);
            return TRUE;
        case IDC_BROWSE:
            BrowseForFolder(dialog);
            return TRUE;
        case IDC_UNZIP:
            UnzipInto(dialog);
            EndDialog(dialog, 1);
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    programInstance = instance;
    CoInitialize(nullptr);   // the shell's folder chooser needs COM
    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_KESTREL), nullptr, KestrelProcedure, 0);
    CoUninitialize();
    return 1;
}
