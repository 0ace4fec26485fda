// Simulated machines for the checker's end-to-end runs.
#pragma once

#include <string>

#include "tests/fakes/fake_directx.h"

namespace sim {

// Fills `machine` with the named one; false for an unknown name.
bool Build(const std::string& name, fake_dx::Machine& machine);

}  // namespace sim
