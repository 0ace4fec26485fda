#include "report/store.h"

#ifdef _M_IX86
static_assert(sizeof(DDDEVICEIDENTIFIER2) == 1072,
              "DDDEVICEIDENTIFIER2 keeps its published layout");
#endif
static_assert(sizeof(GUID) == 16, "a GUID is 16 bytes");

// Construction order matters: the report text, then the sound text, then the driver records.
// The identifiers of each record are not initialised by its constructor and keep the zero bytes
// of static storage; only DriverVersion is constructed (empty).
std::string g_ReportText;
std::string g_SoundDriverText("");
DisplayDriverInfo g_DisplayDrivers[kDisplayDriverSlots];

std::int32_t g_SurveySlot;
std::int32_t g_ReportSlot;
GUID g_SoundDeviceGuids[kSoundDeviceGuidSlots];
std::uint32_t g_SoundDeviceCount;
