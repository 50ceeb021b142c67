// KivEdt: entry point.

#include "dialog/Dlg_Settings.h"
#include "gui/Application.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  gui::Application application;
  TdlgSettings dialog;
  dialog.ShowModal();
  return 0;
}
