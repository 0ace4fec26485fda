#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

#include "app/res/resource.h"
#include "report/report.h"
#include "report/store.h"
#include "tests/fakes/fake_ui.h"

namespace {

// Shift-JIS bytes of the four headings, written out so that a wrong source conversion fails.
const std::string kVideoCard = "\x81\x83\x83\x72\x83\x66\x83\x49\x83\x4a\x81\x5b\x83\x68\x81\x84";
const std::string kDriverVersion =
    "\x81\x83\x83\x72\x83\x66\x83\x49\x83\x4a\x81\x5b\x83\x68\x83\x68\x83\x89\x83\x43\x83\x6f"
    "\x82\xcc\x83\x6f\x81\x5b\x83\x57\x83\x87\x83\x93\x8f\xee\x95\xf1\x81\x84";
const std::string kSoundDrivers =
    "\x81\x83\x83\x54\x83\x45\x83\x93\x83\x68\x83\x68\x83\x89\x83\x43\x83\x6f\x81\x5b\x88\xea"
    "\x97\x97\x81\x84";
const std::string kMainMemory =
    "\x81\x83\x93\x8b\x8d\xda\x83\x81\x83\x43\x83\x93\x83\x81\x83\x82\x83\x8a\x81\x84";

constexpr std::uint64_t kMiB = 1048576;

std::string Expected(const std::string& description, const std::string& version,
                     const std::string& sound, const std::string& memory) {
  return kVideoCard + "\r\n\t" + description + "\r\n\r\n" + kDriverVersion + "\r\n\t" + version +
         "\r\n\t\r\n" + kSoundDrivers + "\r\n" + sound + "\r\n" + kMainMemory + "\r\n\t" +
         memory + "MB\r\n";
}

TEST(ComposeReport, GivesTheExactBytesForEveryShapeOfStore) {
  const std::string sjisCard = "\x82\x66\x82\x65\x82\x6f\x82\x74 9000";  // full-width "GFPU"
  EXPECT_EQ(ComposeReport(sjisCard, "6.14.10.9000", "\tPrimary\r\n\tA\r\n\tB\r\n", 512 * kMiB),
            Expected(sjisCard, "6.14.10.9000", "\tPrimary\r\n\tA\r\n\tB\r\n", "512.0"));

  // Empty description: line 2 is a lone tab. Empty version: lines 5 and 6 are both lone tabs.
  const std::string empty = ComposeReport("", "", "\tPrimary\r\n", 0);
  EXPECT_EQ(empty, kVideoCard + "\r\n\t\r\n\r\n" + kDriverVersion + "\r\n\t\r\n\t\r\n" +
                       kSoundDrivers + "\r\n\tPrimary\r\n\r\n" + kMainMemory + "\r\n\t0.0MB\r\n");

  // No sound driver: the heading is followed directly by the empty line.
  const std::string silent = ComposeReport("Card", "1.0", "", 512 * kMiB);
  EXPECT_NE(silent.find(kSoundDrivers + "\r\n\r\n" + kMainMemory), std::string::npos);
  EXPECT_EQ(silent, Expected("Card", "1.0", "", "512.0"));
}

TEST(FormatMemoryMiB, ShowsExactMiBWithOneDecimalHalvesUp) {
  const struct {
    std::uint64_t bytes;
    const char* shown;
  } cases[] = {
      {0, "0.0"},
      {512 * kMiB, "512.0"},
      {255 * kMiB + kMiB / 4, "255.3"},
      {1023 * kMiB + 3 * kMiB / 4, "1023.8"},
      {2147483648ull, "2048.0"},
      {4294967295ull, "4096.0"},
      {25276153856ull, "24105.2"},
      {18446744073709551615ull, "17592186044416.0"},
      {kMiB / 20 - 1, "0.0"},  // just under 0.05
      {kMiB / 20 + 1, "0.1"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatMemoryMiB(c.bytes), c.shown) << c.bytes;
}

TEST(DescriptionText, StopsAtTheFirstZeroAndNeverLeavesTheField) {
  struct {
    char field[MAX_DDDEVICEID_STRING];
    char after[8];
  } guarded;
  std::memset(guarded.field, 'D', sizeof guarded.field);
  std::memset(guarded.after, 'X', sizeof guarded.after);
  EXPECT_EQ(DescriptionText(guarded.field), std::string(MAX_DDDEVICEID_STRING, 'D'));

  std::strcpy(guarded.field, "Card");
  EXPECT_EQ(DescriptionText(guarded.field), "Card");
}

class BuildReportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake_ui::Reset();
    std::memset(&g_DisplayDrivers[0].Identifier, 0, sizeof(DDDEVICEIDENTIFIER2));
    g_DisplayDrivers[0].DriverVersion.clear();
    g_SoundDriverText.clear();
    g_ReportText.clear();
  }
};

TEST_F(BuildReportTest, PutsExactlyTheReportIntoTheBoxWithTheMachinesMemory) {
  std::strcpy(g_DisplayDrivers[0].Identifier.szDescription, "Test Card");
  g_DisplayDrivers[0].DriverVersion = "1.2.3.4";
  g_SoundDriverText = "\tPrimary\r\n";
  const HWND dialog = reinterpret_cast<HWND>(0x4242);

  BuildReport(dialog, 0);

  MEMORYSTATUSEX status = {};
  status.dwLength = sizeof status;
  ASSERT_TRUE(GlobalMemoryStatusEx(&status));
  EXPECT_EQ(g_ReportText, ComposeReport("Test Card", "1.2.3.4", "\tPrimary\r\n", status.ullTotalPhys));

  // The figure read back from the text agrees with the platform's 64-bit total.
  const size_t tab = g_ReportText.rfind('\t');
  const double shown = std::stod(g_ReportText.substr(tab + 1));
  EXPECT_NEAR(shown, static_cast<double>(status.ullTotalPhys) / kMiB, 0.05);

  ASSERT_EQ(fake_ui::Get().itemTexts.size(), 1u);
  EXPECT_EQ(fake_ui::Get().itemTexts[0].dialog, dialog);
  EXPECT_EQ(fake_ui::Get().itemTexts[0].controlId, IDC_REPORT);
  EXPECT_EQ(fake_ui::Get().itemTexts[0].text, g_ReportText);
}

TEST_F(BuildReportTest, ASecondCallGivesTheSameTextNotADoubledOne) {
  g_SoundDriverText = "\tPrimary\r\n";
  BuildReport(nullptr, 0);
  const std::string first = g_ReportText;
  BuildReport(nullptr, 0);
  EXPECT_EQ(g_ReportText, first);
  ASSERT_EQ(fake_ui::Get().itemTexts.size(), 2u);
  EXPECT_EQ(fake_ui::Get().itemTexts[1].text, first);
}

TEST_F(BuildReportTest, ReadsAnUnterminatedDescriptionOnlyToTheEndOfItsField) {
  DDDEVICEIDENTIFIER2& id = g_DisplayDrivers[0].Identifier;
  std::memset(id.szDescription, 'D', sizeof id.szDescription);
  std::memset(&id.liDriverVersion, 'V', sizeof id.liDriverVersion);  // what follows the field
  BuildReport(nullptr, 0);
  EXPECT_EQ(g_ReportText.substr(kVideoCard.size() + 3, 513),
            std::string(MAX_DDDEVICEID_STRING, 'D') + "\r");
}

}  // namespace
