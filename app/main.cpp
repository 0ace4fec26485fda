#include <windows.h>

#include "app/survey_machine.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int /*showCommand*/) {
  return RunChecker(instance);
}
