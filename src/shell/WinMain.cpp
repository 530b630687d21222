#include "shell/MovalentApp.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    movalent::CMovalentApp app;
    return app.RunApplication(instance, showCommand);
}
