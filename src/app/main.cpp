// KivEdt: entry point.

#include "app/MainSequence.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return RunMainSequence(); }
