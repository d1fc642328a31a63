#include "app/benchapp.h"
#include "framework/kernelproc.h"

static CBenchApp theApp;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    RestrictLibrarySearch();
    CWinApp* app = CWinApp::Get();
    app->Setup(instance);
    if (app->InitInstance()) return app->Run();
    return app->ExitInstance();
}
