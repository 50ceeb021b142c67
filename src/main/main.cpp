// KivEdt: entry point.

#include "main/MainSequence.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return RunMainSequence(); }
