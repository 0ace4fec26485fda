// The sound driver list: one report line per sound device DirectSound reports.
#pragma once

#include <windows.h>

// Handed to DirectSoundEnumerateA. Appends "\t<description>\r\n" to g_SoundDriverText for the
// primary sound driver (null GUID) and for up to 20 devices with a GUID, whose GUIDs it records in
// g_SoundDeviceGuids; later devices are passed over. Always answers "go on".
BOOL CALLBACK EnumSoundDeviceCallback(LPGUID guid, LPCSTR description, LPCSTR module,
                                      LPVOID context);
