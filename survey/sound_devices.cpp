#include "survey/sound_devices.h"

#include "report/store.h"

BOOL CALLBACK EnumSoundDeviceCallback(LPGUID guid, LPCSTR description, LPCSTR /*module*/,
                                      LPVOID /*context*/) {
  if (guid != nullptr) {
    if (g_SoundDeviceCount >= kSoundDeviceGuidSlots) return TRUE;
    g_SoundDeviceGuids[g_SoundDeviceCount++] = *guid;
  }
  g_SoundDriverText += '\t';
  if (description != nullptr) g_SoundDriverText += description;
  g_SoundDriverText += "\r\n";
  return TRUE;
}
