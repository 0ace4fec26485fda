#include "survey/default_device.h"

#include <cstring>
#include <initializer_list>

namespace {

// Published Direct3D 7 device types.
constexpr GUID kTnLHalDevice = {
    0xf5049e78, 0x4861, 0x11d2, {0xa4, 0x07, 0x00, 0xa0, 0xc9, 0x06, 0x29, 0xa8}};
constexpr GUID kRefDevice = {
    0x50936643, 0x13e9, 0x11d1, {0x89, 0xaa, 0x00, 0xa0, 0xc9, 0x05, 0x41, 0x29}};

bool IsType(const RenderDeviceInfo& device, const GUID& type) {
  return device.DeviceGuidPtr != nullptr &&
         std::memcmp(device.DeviceGuidPtr, &type, sizeof(GUID)) == 0;
}

}  // namespace

int SelectDefaultDevice(RenderDeviceInfo** chosen) {
  if (g_RenderDeviceCount == 0) return 0;
  const std::uint32_t count =
      g_RenderDeviceCount < kMaxRenderDevices ? g_RenderDeviceCount : kMaxRenderDevices;
  RenderDeviceInfo* tnl = nullptr;
  RenderDeviceInfo* hardware = nullptr;
  RenderDeviceInfo* software = nullptr;
  RenderDeviceInfo* reference = nullptr;

  // Hardware devices that cannot render in a window are the fallback of the hardware slot.
  for (std::uint32_t i = 0; i < count; ++i) {
    RenderDeviceInfo& device = g_RenderDevices[i];
    if (device.IsHardware && !device.CanRenderWindowed) hardware = &device;
  }
  for (std::uint32_t i = 0; i < count; ++i) {
    RenderDeviceInfo& device = g_RenderDevices[i];
    if (!device.CanRenderWindowed) continue;
    if (device.IsHardware) {
      (IsType(device, kTnLHalDevice) ? tnl : hardware) = &device;
    } else {
      (IsType(device, kRefDevice) ? reference : software) = &device;
    }
  }

  for (RenderDeviceInfo* candidate : {tnl, hardware, software, reference}) {
    if (candidate != nullptr) {
      *chosen = candidate;
      return 1;
    }
  }
  return 0;
}
