/* Loads RvStatement.dll the way a host does and calls into it: fnPlox must give 42, and
 * opening a printer the spooler does not know must fail cleanly with no handle. */
#include <stdio.h>
#include <windows.h>

typedef int(__stdcall* PloxFn)(void);
typedef unsigned(__stdcall* OpenFn)(const wchar_t*, void**);

int main(int argc, char** argv) {
    const char* path = argc > 1 ? argv[1] : "RvStatement.dll";
    HMODULE dll = LoadLibraryA(path);
    if (dll == NULL) {
        printf("LoadLibrary(%s) failed: %lu\n", path, GetLastError());
        return 1;
    }
    PloxFn plox = (PloxFn)(void*)GetProcAddress(dll, "fnPlox");
    OpenFn open = (OpenFn)(void*)GetProcAddress(dll, "RvStatementOpen");
    if (plox == NULL || open == NULL) {
        printf("GetProcAddress failed\n");
        return 1;
    }
    int answer = plox();
    void* handle = NULL;
    unsigned openResult = open(L"No Such Printer", &handle);
    printf("fnPlox() = %d\nRvStatementOpen(\"No Such Printer\") = %u, handle %s\n", answer, openResult,
           handle == NULL ? "null" : "set");
    FreeLibrary(dll);
    return answer == 42 && openResult != 0 && handle == NULL ? 0 : 1;
}
