#include "report/report.h"

#include <cstring>

#include "app/res/resource.h"
#include "platform/memory.h"
#include "platform/ui.h"
#include "report/store.h"

namespace {

constexpr std::uint64_t kMiB = 1048576;

}  // namespace

void AppendDecimal(std::string& out, std::uint64_t value) {
  char digits[20];
  int count = 0;
  do {
    digits[count++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  while (count > 0) out += digits[--count];
}

std::string FormatMemoryMiB(std::uint64_t totalBytes) {
  std::uint64_t whole = totalBytes / kMiB;
  // The remainder is below 2^20, so ten times it plus a half unit fits easily.
  std::uint64_t tenths = ((totalBytes % kMiB) * 10 + kMiB / 2) / kMiB;
  if (tenths == 10) {
    ++whole;
    tenths = 0;
  }
  std::string figure;
  AppendDecimal(figure, whole);
  figure += '.';
  figure += static_cast<char>('0' + tenths);
  return figure;
}

std::string ComposeReport(std::string_view description, std::string_view driverVersion,
                          std::string_view soundDriverText, std::uint64_t totalPhysicalBytes) {
  std::string report = "＜ビデオカード＞\r\n\t";
  report += description;
  report += "\r\n\r\n＜ビデオカードドライバのバージョン情報＞\r\n\t";
  report += driverVersion;
  report += "\r\n\t";
  report += "\r\n＜サウンドドライバー一覧＞\r\n";
  report += soundDriverText;
  report += "\r\n＜搭載メインメモリ＞\r\n\t";
  report += FormatMemoryMiB(totalPhysicalBytes);
  report += "MB\r\n";
  return report;
}

std::string_view DescriptionText(const char (&field)[MAX_DDDEVICEID_STRING]) {
  const void* end = std::memchr(field, '\0', sizeof field);
  const size_t length = end != nullptr ? static_cast<const char*>(end) - field : sizeof field;
  return std::string_view(field, length);
}

void BuildReport(HWND dialog, int slot) {
  const DisplayDriverInfo& driver = g_DisplayDrivers[slot];
  g_ReportText =
      ComposeReport(DescriptionText(driver.Identifier.szDescription), driver.DriverVersion,
                    g_SoundDriverText, memory::TotalPhysicalBytes());
  ui::SetItemText(dialog, IDC_REPORT, g_ReportText.c_str());
}
