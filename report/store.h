// The machine information store: what the start-up survey found and the report made from it.
// Plain program-wide data, filled once at start-up and read by the report and the export.
#pragma once

#include <windows.h>

#include <ddraw.h>

#include <cstdint>
#include <string>

// Identification of one display driver. The two identifiers keep the platform's layout; their
// texts are zero-terminated inside 512-byte fields unless the platform left them unterminated.
struct DisplayDriverInfo {
  DDDEVICEIDENTIFIER2 Identifier;      // flags 0: szDriver, szDescription of the chosen device
  DDDEVICEIDENTIFIER2 HostIdentifier;  // DDGDI_GETHOSTIDENTIFIER; nothing reads it
  std::string DriverVersion;           // the driver file's "FileVersion" text, or DirectX's
};

constexpr int kDisplayDriverSlots = 32;
constexpr int kSoundDeviceGuidSlots = 20;

// Defined in this order, so constructed in this order before WinMain and destroyed in reverse.
extern std::string g_ReportText;
extern std::string g_SoundDriverText;
extern DisplayDriverInfo g_DisplayDrivers[kDisplayDriverSlots];

// Zero from program load; nothing assigns the two slot indices.
extern std::int32_t g_SurveySlot;
extern std::int32_t g_ReportSlot;
extern GUID g_SoundDeviceGuids[kSoundDeviceGuidSlots];
extern std::uint32_t g_SoundDeviceCount;
