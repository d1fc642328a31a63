#include "app/benchapp.h"

static CBenchApp theApp;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    CWinApp* app = CWinApp::Get();
    app->Setup(instance);
    if (app->InitInstance()) return app->Run();
    return app->ExitInstance();
}
