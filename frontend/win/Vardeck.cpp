// Vardeck.exe's entry point: the whole program is the front end's main block.
#include <windows.h>

#include "frontend/win/VardeckMain.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return vardeck::RunVardeck(); }
