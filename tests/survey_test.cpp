// Adapter enumeration, default device choice and the sound list, on a simulated machine.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/directx.h"
#include "report/store.h"
#include "survey/adapters.h"
#include "survey/default_device.h"
#include "survey/sound_devices.h"
#include "tests/fakes/fake_directx.h"

namespace {

using fake_dx::Adapter;
using fake_dx::DeviceDesc;
using fake_dx::Mode;

constexpr DWORD k16And32 = DDBD_16 | DDBD_32;

fake_dx::Device Dev(const std::string& name, const GUID& type, bool hardware,
                    DWORD depths = k16And32) {
  return {"description of " + name, name, DeviceDesc(type, hardware, depths)};
}

std::string Dims(const DDSURFACEDESC2& mode) {
  return std::to_string(mode.dwWidth) + "x" + std::to_string(mode.dwHeight) + "x" +
         std::to_string(mode.ddpfPixelFormat.dwRGBBitCount);
}

bool AllZero(const void* data, size_t size) {
  const unsigned char* bytes = static_cast<const unsigned char*>(data);
  return std::all_of(bytes, bytes + size, [](unsigned char b) { return b == 0; });
}

class SurveyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake_dx::Reset();
    std::memset(g_RenderDevices, 0, sizeof g_RenderDevices);
    g_RenderDeviceCount = 0;
    g_SoundDriverText.clear();
    std::memset(g_SoundDeviceGuids, 0, sizeof g_SoundDeviceGuids);
    g_SoundDeviceCount = 0;
  }
  void TearDown() override { EXPECT_EQ(fake_dx::LiveObjects(), 0) << "every object released"; }
};

TEST_F(SurveyTest, OneAdapterRecordsEachDeviceUnderItsDeviceName) {
  Adapter primary = fake_dx::Primary("Primary Display", true);
  primary.devices = {Dev("RGB Emulation", IID_IDirect3DRGBDevice, false),
                     Dev("Direct3D HAL", IID_IDirect3DHALDevice, true),
                     Dev("Direct3D T&L HAL", IID_IDirect3DTnLHalDevice, true)};
  fake_dx::Get().adapters = {primary};

  EXPECT_TRUE(EnumerateDisplayAdapters());

  ASSERT_EQ(g_RenderDeviceCount, 3u);
  const char* names[] = {"RGB Emulation", "Direct3D HAL", "Direct3D T&L HAL"};
  for (std::uint32_t i = 0; i < 3; ++i) {
    const RenderDeviceInfo& entry = g_RenderDevices[i];
    EXPECT_STREQ(entry.Name, names[i]);
    EXPECT_EQ(entry.DriverGuidPtr, nullptr);
    EXPECT_TRUE(AllZero(&entry.DriverGuid, sizeof(GUID)));
    EXPECT_EQ(entry.DeviceGuidPtr, &entry.DeviceGuid);
    EXPECT_EQ(entry.IsHardware, i == 0 ? 0 : 1);
    EXPECT_EQ(entry.CanRenderWindowed, 1);
    EXPECT_EQ(entry.DriverCaps.dwSize, sizeof(DDCAPS));
    EXPECT_EQ(entry.HelCaps.dwSize, sizeof(DDCAPS));
    EXPECT_EQ(entry.ModeCount, 2u);
    EXPECT_EQ(entry.DefaultModeIndex, 0u);
    EXPECT_EQ(Dims(entry.DefaultMode), "640x480x16");
  }
  EXPECT_TRUE(IsEqualGUID(g_RenderDevices[2].DeviceGuid, IID_IDirect3DTnLHalDevice));

  const std::vector<std::string> expected = {
      "enumerate adapters 7",          "create Primary Display",
      "query d3d Primary Display",     "getcaps 380 380",
      "enummodes Primary Display",     "enumdevices Primary Display",
      "release d3d Primary Display",   "release ddraw Primary Display"};
  EXPECT_EQ(fake_dx::Log(), expected);
}

TEST_F(SurveyTest, ASecondaryAdapterGivesOnlyHardwareDevicesUnderItsOwnName) {
  Adapter primary = fake_dx::Primary("Primary Display", true);
  primary.devices = {Dev("Direct3D HAL", IID_IDirect3DHALDevice, true)};
  Adapter secondary = fake_dx::Secondary("Voodoo Secondary", 7);
  secondary.devices = {Dev("RGB Emulation", IID_IDirect3DRGBDevice, false),
                       Dev("Direct3D HAL", IID_IDirect3DHALDevice, true),
                       Dev("Direct3D T&L HAL", IID_IDirect3DTnLHalDevice, true)};
  fake_dx::Get().adapters = {primary, secondary};

  EXPECT_TRUE(EnumerateDisplayAdapters());

  ASSERT_EQ(g_RenderDeviceCount, 3u);
  for (std::uint32_t i = 1; i < 3; ++i) {
    const RenderDeviceInfo& entry = g_RenderDevices[i];
    EXPECT_STREQ(entry.Name, "Voodoo Secondary");
    EXPECT_EQ(entry.DriverGuidPtr, &entry.DriverGuid);
    EXPECT_TRUE(IsEqualGUID(entry.DriverGuid, fake_dx::MakeGuid(7)));
    EXPECT_EQ(entry.IsHardware, 1);
    EXPECT_EQ(entry.CanRenderWindowed, 0) << "only the primary display driver renders windowed";
  }
}

TEST_F(SurveyTest, DevicesWithoutARenderableModeAreNotRecorded) {
  Adapter eightBit = fake_dx::Primary("Old Display", true);
  eightBit.modes = {Mode(640, 480, 8), Mode(800, 600, 8)};
  eightBit.devices = {Dev("Direct3D HAL", IID_IDirect3DHALDevice, true, DDBD_8 | k16And32)};
  Adapter noModes = fake_dx::Secondary("Mode-less", 2);
  noModes.modes.clear();
  noModes.devices = {Dev("Direct3D HAL", IID_IDirect3DHALDevice, true)};
  Adapter thirtyTwoOnly = fake_dx::Secondary("Deep Only", 3);
  thirtyTwoOnly.devices = {Dev("Direct3D HAL", IID_IDirect3DHALDevice, true, DDBD_32)};
  fake_dx::Get().adapters = {eightBit, noModes, thirtyTwoOnly};

  EXPECT_FALSE(EnumerateDisplayAdapters());
  EXPECT_EQ(g_RenderDeviceCount, 0u);
}

TEST_F(SurveyTest, ModesAreSortedAndADeviceTakesTheOnesItCanRender) {
  Adapter primary = fake_dx::Primary("Primary Display", true);
  primary.modes = {Mode(800, 600, 16), Mode(640, 480, 32), Mode(640, 480, 16), Mode(640, 400, 16)};
  primary.devices = {Dev("Both Depths", IID_IDirect3DHALDevice, true, k16And32),
                     Dev("Deep Only", IID_IDirect3DHALDevice, true, DDBD_32)};
  fake_dx::Get().adapters = {primary};

  EnumerateDisplayAdapters();

  ASSERT_EQ(g_RenderDeviceCount, 2u);
  const RenderDeviceInfo& both = g_RenderDevices[0];
  ASSERT_EQ(both.ModeCount, 4u);
  const char* order[] = {"640x400x16", "640x480x16", "640x480x32", "800x600x16"};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(Dims(both.Modes[i]), order[i]);
  EXPECT_EQ(both.DefaultModeIndex, 1u);
  EXPECT_EQ(Dims(both.DefaultMode), "640x480x16");

  const RenderDeviceInfo& deep = g_RenderDevices[1];
  ASSERT_EQ(deep.ModeCount, 1u);
  EXPECT_EQ(Dims(deep.Modes[0]), "640x480x32");
  EXPECT_EQ(deep.DefaultModeIndex, 0u);
  EXPECT_TRUE(AllZero(&deep.DefaultMode, sizeof deep.DefaultMode));
}

TEST_F(SurveyTest, ModesPastTheFortyEighthAreLost) {
  Adapter primary = fake_dx::Primary("Primary Display", true);
  primary.modes.clear();
  for (DWORD i = 0; i < 48; ++i) primary.modes.push_back(Mode(2000 - i, 1000, 16));
  primary.modes.push_back(Mode(640, 480, 16));  // the 49th
  primary.modes.push_back(Mode(320, 200, 16));
  primary.devices = {Dev("Direct3D HAL", IID_IDirect3DHALDevice, true)};
  fake_dx::Get().adapters = {primary};

  EnumerateDisplayAdapters();

  ASSERT_EQ(g_RenderDeviceCount, 1u);
  const RenderDeviceInfo& entry = g_RenderDevices[0];
  EXPECT_EQ(entry.ModeCount, 48u);
  EXPECT_EQ(Dims(entry.Modes[0]), "1953x1000x16");
  EXPECT_EQ(Dims(entry.Modes[47]), "2000x1000x16");
  EXPECT_TRUE(AllZero(&entry.DefaultMode, sizeof entry.DefaultMode));
  EXPECT_EQ(std::count(fake_dx::Log().begin(), fake_dx::Log().end(), "mode enumeration stopped"), 0);
}

TEST_F(SurveyTest, NamesAreCutTo38Bytes) {
  const std::string longName(60, 'N');
  const std::string longDescription(60, 'D');
  Adapter primary = fake_dx::Primary("Primary Display", true);
  primary.devices = {Dev(longName, IID_IDirect3DHALDevice, true)};
  Adapter secondary = fake_dx::Secondary(longDescription, 4);
  secondary.devices = {Dev("Direct3D HAL", IID_IDirect3DHALDevice, true)};
  fake_dx::Get().adapters = {primary, secondary};

  EnumerateDisplayAdapters();

  ASSERT_EQ(g_RenderDeviceCount, 2u);
  EXPECT_EQ(std::string(g_RenderDevices[0].Name), std::string(38, 'N'));
  EXPECT_EQ(std::string(g_RenderDevices[1].Name), std::string(38, 'D'));
}

TEST_F(SurveyTest, WindowedRenderingNeedsThePrimaryDriverAndItsCapability) {
  Adapter primary = fake_dx::Primary("Primary Display", false);
  primary.devices = {Dev("Direct3D HAL", IID_IDirect3DHALDevice, true)};
  fake_dx::Get().adapters = {primary};
  EnumerateDisplayAdapters();
  ASSERT_EQ(g_RenderDeviceCount, 1u);
  EXPECT_EQ(g_RenderDevices[0].CanRenderWindowed, 0);
}

TEST_F(SurveyTest, TheSeventeenthDeviceIsDroppedAndTheEnumerationGoesOn) {
  Adapter primary = fake_dx::Primary("Primary Display", true);
  for (int i = 0; i < 20; ++i) {
    primary.devices.push_back(Dev("Device " + std::to_string(i), IID_IDirect3DHALDevice, true));
  }
  Adapter later = fake_dx::Secondary("Later Adapter", 9);
  later.devices = {Dev("Direct3D HAL", IID_IDirect3DHALDevice, true)};
  fake_dx::Get().adapters = {primary, later};

  EXPECT_TRUE(EnumerateDisplayAdapters());

  EXPECT_EQ(g_RenderDeviceCount, 16u);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(g_RenderDevices[i].Name, "Device " + std::to_string(i));
  const auto& log = fake_dx::Log();
  EXPECT_EQ(std::count(log.begin(), log.end(), "device enumeration stopped"), 0);
  EXPECT_NE(std::find(log.begin(), log.end(), "release ddraw Later Adapter"), log.end());
}

TEST_F(SurveyTest, AnAdapterThatCannotBeOpenedIsSkipped) {
  Adapter failing = fake_dx::Primary("Failing Create", true);
  failing.createResults = {DDERR_GENERIC};
  failing.devices = {Dev("Direct3D HAL", IID_IDirect3DHALDevice, true)};
  Adapter noDirect3D = fake_dx::Secondary("No Direct3D", 5);
  noDirect3D.hasDirect3D = false;
  noDirect3D.devices = {Dev("Direct3D HAL", IID_IDirect3DHALDevice, true)};
  Adapter working = fake_dx::Secondary("Working", 6);
  working.devices = {Dev("Direct3D HAL", IID_IDirect3DHALDevice, true)};
  fake_dx::Get().adapters = {failing, noDirect3D, working};

  EXPECT_TRUE(EnumerateDisplayAdapters());

  ASSERT_EQ(g_RenderDeviceCount, 1u);
  EXPECT_STREQ(g_RenderDevices[0].Name, "Working");
  const std::vector<std::string> expected = {
      "enumerate adapters 7",   "create Failing Create failed",
      "create No Direct3D",     "query d3d No Direct3D",
      "release ddraw No Direct3D",
      "create Working",         "query d3d Working",
      "getcaps 380 380",        "enummodes Working",
      "enumdevices Working",    "release d3d Working",
      "release ddraw Working"};
  EXPECT_EQ(fake_dx::Log(), expected);
}

TEST(CompareDisplayModes, OrdersByWidthHeightDepthAsUnsigned) {
  const DDSURFACEDESC2 wide = Mode(0x80000000u, 1, 16);
  const DDSURFACEDESC2 narrow = Mode(1, 2, 16);
  EXPECT_EQ(CompareDisplayModes(&wide, &narrow), 1);
  EXPECT_EQ(CompareDisplayModes(&narrow, &wide), -1);
  const DDSURFACEDESC2 a = Mode(640, 480, 16);
  const DDSURFACEDESC2 b = Mode(640, 480, 32);
  const DDSURFACEDESC2 c = Mode(640, 400, 32);
  EXPECT_EQ(CompareDisplayModes(&a, &b), -1);
  EXPECT_EQ(CompareDisplayModes(&c, &a), -1);
  EXPECT_EQ(CompareDisplayModes(&a, &a), 0);
}

// Default device choice, on lists set up directly.
class SelectTest : public SurveyTest {
 protected:
  RenderDeviceInfo* Add(const GUID& type, bool hardware, bool windowed, int driver = 0) {
    RenderDeviceInfo& entry = g_RenderDevices[g_RenderDeviceCount++];
    entry.DeviceGuid = type;
    entry.DeviceGuidPtr = &entry.DeviceGuid;
    entry.IsHardware = hardware;
    entry.CanRenderWindowed = windowed;
    if (driver != 0) {
      entry.DriverGuid = fake_dx::MakeGuid(driver);
      entry.DriverGuidPtr = &entry.DriverGuid;
    }
    entry.ModeCount = 1;
    return &entry;
  }
  RenderDeviceInfo* Chosen() {
    RenderDeviceInfo* chosen = nullptr;
    return SelectDefaultDevice(&chosen) == 1 ? chosen : nullptr;
  }
};

TEST_F(SelectTest, PrefersTransformAndLightingThenHardwareThenSoftwareThenReference) {
  Add(IID_IDirect3DRGBDevice, false, true);
  RenderDeviceInfo* tnl = Add(IID_IDirect3DTnLHalDevice, true, true);
  RenderDeviceInfo* hal = Add(IID_IDirect3DHALDevice, true, true);
  EXPECT_EQ(Chosen(), tnl) << "wherever it stands in the list";

  SetUp();
  RenderDeviceInfo* emulation = Add(IID_IDirect3DRGBDevice, false, true);
  hal = Add(IID_IDirect3DHALDevice, true, true);
  EXPECT_EQ(Chosen(), hal);

  SetUp();
  emulation = Add(IID_IDirect3DRGBDevice, false, true);
  Add(IID_IDirect3DRefDevice, false, true);
  EXPECT_EQ(Chosen(), emulation);

  SetUp();
  RenderDeviceInfo* reference = Add(IID_IDirect3DRefDevice, false, true);
  EXPECT_EQ(Chosen(), reference);
}

TEST_F(SelectTest, ASecondaryAdapterIsChosenOnlyThroughTheHardwareSlot) {
  RenderDeviceInfo* primaryHal = Add(IID_IDirect3DHALDevice, true, true);
  Add(IID_IDirect3DHALDevice, true, false, 2);
  Add(IID_IDirect3DTnLHalDevice, true, false, 2);
  EXPECT_EQ(Chosen(), primaryHal) << "a later secondary device does not displace it";

  SetUp();
  Add(IID_IDirect3DRGBDevice, false, true);
  Add(IID_IDirect3DHALDevice, true, false, 2);
  RenderDeviceInfo* secondaryTnl = Add(IID_IDirect3DTnLHalDevice, true, false, 3);
  EXPECT_EQ(Chosen(), secondaryTnl) << "the last hardware device, ahead of primary software";
}

TEST_F(SelectTest, APrimaryDriverThatCannotRenderWindowedGivesItsLastHardwareDeviceOrNothing) {
  Add(IID_IDirect3DHALDevice, true, false);
  RenderDeviceInfo* last = Add(IID_IDirect3DTnLHalDevice, true, false);
  Add(IID_IDirect3DRGBDevice, false, false);
  EXPECT_EQ(Chosen(), last);

  SetUp();
  Add(IID_IDirect3DRGBDevice, false, false);
  Add(IID_IDirect3DRefDevice, false, false);
  RenderDeviceInfo* untouched = reinterpret_cast<RenderDeviceInfo*>(0x5A5A);
  RenderDeviceInfo* chosen = untouched;
  EXPECT_EQ(SelectDefaultDevice(&chosen), 0);
  EXPECT_EQ(chosen, untouched);

  SetUp();
  EXPECT_EQ(SelectDefaultDevice(&chosen), 0);
  EXPECT_EQ(chosen, untouched);
}

TEST_F(SurveyTest, SoundDevicesGiveOneLineEachAndTwentyGuidsAtMost) {
  EXPECT_TRUE(EnumSoundDeviceCallback(nullptr, "Primary Sound Driver", "", nullptr));
  GUID guids[25];
  for (int i = 0; i < 25; ++i) {
    guids[i] = fake_dx::MakeGuid(i + 1);
    EXPECT_TRUE(EnumSoundDeviceCallback(&guids[i], ("Device " + std::to_string(i)).c_str(),
                                        "module.dll", nullptr));
  }
  std::string expected = "\tPrimary Sound Driver\r\n";
  for (int i = 0; i < 20; ++i) expected += "\tDevice " + std::to_string(i) + "\r\n";
  EXPECT_EQ(g_SoundDriverText, expected);
  EXPECT_EQ(g_SoundDeviceCount, 20u);
  for (int i = 0; i < 20; ++i) EXPECT_TRUE(IsEqualGUID(g_SoundDeviceGuids[i], guids[i]));
}

TEST_F(SurveyTest, SoundDescriptionsArriveWholeAndEmptyOnesStillGiveALine) {
  GUID guid = fake_dx::MakeGuid(1);
  const std::string big(4096, 'S');
  EnumSoundDeviceCallback(&guid, "", "", nullptr);
  EnumSoundDeviceCallback(nullptr, big.c_str(), "", nullptr);
  EXPECT_EQ(g_SoundDriverText, "\t\r\n\t" + big + "\r\n");
  EXPECT_EQ(g_SoundDeviceCount, 1u);
}

TEST_F(SurveyTest, NoSoundDeviceLeavesTheListEmpty) {
  EXPECT_EQ(dx::EnumerateSoundDevices(EnumSoundDeviceCallback, nullptr), DS_OK);
  EXPECT_TRUE(g_SoundDriverText.empty());
  EXPECT_EQ(g_SoundDeviceCount, 0u);
}

}  // namespace
