#pragma once
// Entry points of the zip DLLs, looked up at run time: the engine reaches zip data only
// through UnZip32.dll and Zip32.dll, never through the zip library itself.

#include <windows.h>

// The export name of module as the function type it is declared with; null when missing.
// GetProcAddress hands back a generic function pointer; going through void(*)() tells the
// compiler the conversion to the real signature is intended.
template <typename Function>
Function ExportOf(HMODULE module, const char* name) {
    using Generic = void (*)();
    return reinterpret_cast<Function>(reinterpret_cast<Generic>(GetProcAddress(module, name)));
}
