// The choice of the device whose display driver the checker reports.
#pragma once

#include "survey/adapters.h"

// Prefers, among g_RenderDevices: a transform-and-lighting hardware device of the primary display
// driver, then another hardware device, then a software device other than the reference
// rasterizer, then the reference rasterizer; the later of equal candidates. Returns 1 and stores
// the choice, or returns 0 and leaves *chosen as it was.
int SelectDefaultDevice(RenderDeviceInfo** chosen);
