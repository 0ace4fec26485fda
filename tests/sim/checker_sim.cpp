// The checker's own start-up, dialog and export, on a simulated machine behind the DirectX seam
// (the rest is the real platform). The command line names the machine.
#include <windows.h>

#include <cstring>
#include <string>

#include "app/survey_machine.h"
#include "tests/fakes/fake_directx.h"
#include "tests/sim/machines.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  if (!sim::Build(commandLine != nullptr ? commandLine : "", fake_dx::Get())) return 2;
  return RunChecker(instance);
}
