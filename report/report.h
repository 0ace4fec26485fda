// The report: the text the checker shows and saves.
#pragma once

#include <windows.h>

#include <ddraw.h>

#include <cstdint>
#include <string>
#include <string_view>

// Appends `value` in decimal digits: no sign, no separators, no leading zeros. Integers only: the
// C runtime's printf family would bring code-page functions into the program's imports.
void AppendDecimal(std::string& out, std::uint64_t value);

// The memory figure: the size in MiB with one decimal, exact halves rounded up, no sign and no
// separators ("255.3" for 255.25 MiB). Integer arithmetic throughout, so the same bytes come
// out on every C runtime and for every 64-bit total.
std::string FormatMemoryMiB(std::uint64_t totalBytes);

// The report for the given facts, Shift-JIS with CR LF line ends: four headed sections (video
// card, driver version, sound drivers, main memory). soundDriverText is zero or more lines of
// "\t<description>\r\n".
std::string ComposeReport(std::string_view description, std::string_view driverVersion,
                          std::string_view soundDriverText, std::uint64_t totalPhysicalBytes);

// The description text of an identifier: up to its first zero byte, and never past its field
// even when the platform left the field without a terminating zero.
std::string_view DescriptionText(const char (&field)[MAX_DDDEVICEID_STRING]);

// Replaces g_ReportText with the report for slot `slot` of g_DisplayDrivers (0..31, unchecked),
// the sound driver text and the machine's memory, and shows it in the dialog's report box.
void BuildReport(HWND dialog, int slot);
