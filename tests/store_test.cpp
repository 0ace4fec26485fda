#include <gtest/gtest.h>

#include <cstddef>

#include "report/store.h"

namespace {

bool AllZero(const void* data, size_t size) {
  const unsigned char* bytes = static_cast<const unsigned char*>(data);
  for (size_t i = 0; i < size; ++i)
    if (bytes[i] != 0) return false;
  return true;
}

static_assert(offsetof(DisplayDriverInfo, Identifier) == 0, "identifier first");
static_assert(offsetof(DisplayDriverInfo, HostIdentifier) == sizeof(DDDEVICEIDENTIFIER2),
              "host identifier second");
static_assert(offsetof(DDDEVICEIDENTIFIER2, szDescription) == MAX_DDDEVICEID_STRING,
              "platform layout of the identifier");

// Runs in a program of its own, so nothing has touched the store before.
TEST(Store, StartsEmptyAndZero) {
  EXPECT_TRUE(g_ReportText.empty());
  EXPECT_TRUE(g_SoundDriverText.empty());
  EXPECT_EQ(g_SurveySlot, 0);
  EXPECT_EQ(g_ReportSlot, 0);
  EXPECT_EQ(g_SoundDeviceCount, 0u);
  EXPECT_TRUE(AllZero(g_SoundDeviceGuids, sizeof g_SoundDeviceGuids));
  for (const DisplayDriverInfo& slot : g_DisplayDrivers) {
    EXPECT_TRUE(AllZero(&slot.Identifier, sizeof slot.Identifier));
    EXPECT_TRUE(AllZero(&slot.HostIdentifier, sizeof slot.HostIdentifier));
    EXPECT_TRUE(slot.DriverVersion.empty());
  }
}

}  // namespace
