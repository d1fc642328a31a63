// Start-up and exit of the shipped executables. Windows 95 starts a GUI
// program here; nothing of the compiler's own start-up code is linked in, so
// every DLL it imports is one that Windows 95 has.
#include <windows.h>

#include <cstdlib>

extern "C" {

typedef void (*InitFn)();
// The linker script's table of static constructors: a -1, the entries in
// order, a 0.
extern InitFn __CTOR_LIST__[];

namespace {
// Functions registered by atexit (static destructors among them), run last
// first at exit.
InitFn* g_exitFns;
int g_exitCount, g_exitCapacity;
bool g_exiting;

void RunExitFns() {
    g_exiting = true;
    while (g_exitCount > 0) g_exitFns[--g_exitCount]();
}

// The command line after the program's own name, as WinMain gets it.
LPSTR ArgsAfterProgramName(LPSTR p) {
    bool quoted = false;
    for (; *p; ++p) {
        if (*p == '"') quoted = !quoted;
        else if (!quoted && (*p == ' ' || *p == '\t')) break;
    }
    while (*p == ' ' || *p == '\t') ++p;
    return p;
}
}  // namespace

int atexit(void (*fn)()) {
    if (g_exiting) return -1;
    if (g_exitCount == g_exitCapacity) {
        int capacity = g_exitCapacity ? 2 * g_exitCapacity : 32;
        void* grown = realloc(g_exitFns, capacity * sizeof(InitFn));
        if (!grown) return -1;
        g_exitFns = static_cast<InitFn*>(grown);
        g_exitCapacity = capacity;
    }
    g_exitFns[g_exitCount++] = fn;
    return 0;
}

// GCC calls this at the top of main(); the constructors run below instead.
void __main() {}

void exit(int code) {
    RunExitFns();
    ExitProcess(static_cast<UINT>(code));
}

void _exit(int code) { ExitProcess(static_cast<UINT>(code)); }

void abort() { FatalAppExitA(0, "abnormal program termination"); ExitProcess(3); }

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int);

void WinMainCRTStartup() {
    // The x87 unit as the compiler's own start-up leaves it (64-bit
    // precision), so that scores round alike in the program and the tests.
    __asm__ __volatile__("fninit");
    InitFn* ctor = __CTOR_LIST__ + 1;
    while (*ctor) ++ctor;
    // Constructors run last to first, as in the table's order of .ctors.
    while (--ctor > __CTOR_LIST__) (*ctor)();
    STARTUPINFOA si;
    si.cb = sizeof si;
    GetStartupInfoA(&si);
    int show = (si.dwFlags & STARTF_USESHOWWINDOW) ? si.wShowWindow : SW_SHOWDEFAULT;
    int code = WinMain(GetModuleHandleA(nullptr), nullptr, ArgsAfterProgramName(GetCommandLineA()), show);
    exit(code);
}

}  // extern "C"
