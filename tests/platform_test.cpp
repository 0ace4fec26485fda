// The survey against the platform's real DirectDraw, Direct3D and DirectSound.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/directx.h"
#include "report/store.h"
#include "survey/adapters.h"
#include "survey/default_device.h"
#include "survey/sound_devices.h"

namespace {

bool Is(const RenderDeviceInfo& device, const GUID& type) {
  return IsEqualGUID(device.DeviceGuid, type);
}

// The preference, told as a ranking: lower is better, equal ranks go to the later entry.
int Rank(const RenderDeviceInfo& device) {
  if (device.CanRenderWindowed) {
    if (device.IsHardware) return Is(device, IID_IDirect3DTnLHalDevice) ? 0 : 1;
    return Is(device, IID_IDirect3DRefDevice) ? 4 : 3;
  }
  return device.IsHardware ? 2 : 99;
}

TEST(RealPlatform, ListsDevicesThatHoldTheirInvariantsAndChoosesByTheRule) {
  ASSERT_TRUE(EnumerateDisplayAdapters()) << "the platform reported no usable Direct3D device";
  ASSERT_GE(g_RenderDeviceCount, 1u);
  ASSERT_LE(g_RenderDeviceCount, 16u);
  for (std::uint32_t i = 0; i < g_RenderDeviceCount; ++i) {
    const RenderDeviceInfo& device = g_RenderDevices[i];
    SCOPED_TRACE(device.Name);
    EXPECT_LE(std::strlen(device.Name), 38u);
    EXPECT_GE(device.ModeCount, 1u);
    EXPECT_LE(device.ModeCount, 48u);
    EXPECT_EQ(device.DeviceGuidPtr, &device.DeviceGuid);
    EXPECT_TRUE(IsEqualGUID(device.DeviceGuid, device.DeviceDesc.deviceGUID));
    if (device.DriverGuidPtr != nullptr) {
      EXPECT_EQ(device.DriverGuidPtr, &device.DriverGuid);
      EXPECT_EQ(device.IsHardware, 1);
    }
    if (device.CanRenderWindowed) {
      EXPECT_EQ(device.DriverGuidPtr, nullptr);
    }
    for (std::uint32_t m = 1; m < device.ModeCount; ++m) {
      EXPECT_LE(device.Modes[m - 1].dwWidth, device.Modes[m].dwWidth);
    }
  }

  int best = 99;
  const RenderDeviceInfo* expected = nullptr;
  for (std::uint32_t i = 0; i < g_RenderDeviceCount; ++i) {
    if (Rank(g_RenderDevices[i]) <= best) {
      best = Rank(g_RenderDevices[i]);
      expected = &g_RenderDevices[i];
    }
  }
  RenderDeviceInfo* chosen = nullptr;
  ASSERT_EQ(SelectDefaultDevice(&chosen), expected != nullptr ? 1 : 0);
  EXPECT_EQ(chosen, expected) << "chose " << (chosen ? chosen->Name : "nothing");
}

struct SoundCall {
  bool hasGuid;
  std::string description;
};
std::vector<SoundCall> g_soundCalls;

BOOL CALLBACK RecordSound(LPGUID guid, LPCSTR description, LPCSTR module, LPVOID context) {
  g_soundCalls.push_back({guid != nullptr, description != nullptr ? description : ""});
  return EnumSoundDeviceCallback(guid, description, module, context);
}

TEST(RealPlatform, ListsThePrimarySoundDriverFirst) {
  ASSERT_GE(dx::EnumerateSoundDevices(RecordSound, nullptr), 0);
  if (g_soundCalls.empty()) GTEST_SKIP() << "the platform reports no sound device (no audio server)";
  EXPECT_FALSE(g_soundCalls[0].hasGuid);
  std::string expected;
  std::uint32_t withGuid = 0;
  for (const SoundCall& call : g_soundCalls) {
    expected += "\t" + call.description + "\r\n";
    withGuid += call.hasGuid;
  }
  EXPECT_EQ(g_SoundDriverText, expected);
  EXPECT_EQ(g_SoundDeviceCount, withGuid);
}

}  // namespace
