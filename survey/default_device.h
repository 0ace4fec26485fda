// The choice of the device whose display driver the checker reports.
#pragma once

#include "survey/adapters.h"

// Chooses among the devices of g_RenderDevices that render in a window (only the primary display
// driver's can, when it reports DDCAPS2_CANRENDERWINDOWED): a transform-and-lighting hardware
// device, then another hardware device, else a hardware device that cannot render in a window (a
// second card's), then a software device other than the reference rasterizer, then the reference
// rasterizer; the later of equal candidates. Returns 1 and stores the choice, or returns 0 and
// leaves *chosen as it was when no device qualifies.
int SelectDefaultDevice(RenderDeviceInfo** chosen);
