#include "app/MovalentApp.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    movalent::CMovalentApp app;
    int code = 1;
    if (app.InitInstance(instance, showCommand))
        code = app.Run();
    app.ExitInstance();
    return code;
}
