// The program entry: builds the demo's form and runs it until it is closed.
#include <windows.h>

#include "app/DemoForm.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) { return RunDemo(); }
