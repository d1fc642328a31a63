// A library that sits beside the unit tests, as one dropped into the
// program's folder would.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
