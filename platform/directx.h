// The DirectX 7 entry points the survey uses. The real side loads ddraw.dll and dsound.dll
// from the system directory; tests link a scripted fake in place of directx.cpp.
#pragma once

#include <windows.h>

#include <mmsystem.h>  // WAVEFORMATEX, which dsound.h needs

#include <ddraw.h>
#include <dsound.h>

namespace dx {

// DirectDrawEnumerateExA. DDERR_GENERIC when DirectDraw cannot be loaded.
HRESULT EnumerateDisplayDrivers(LPDDENUMCALLBACKEXA callback, void* context, DWORD flags);

// DirectDrawCreateEx. DDERR_GENERIC, and *object null, when DirectDraw cannot be loaded.
HRESULT CreateDirectDraw(GUID* driverGuid, void** object, REFIID iid, IUnknown* outer);

// DirectSoundEnumerateA. DSERR_GENERIC when DirectSound cannot be loaded.
HRESULT EnumerateSoundDevices(LPDSENUMCALLBACKA callback, void* context);

}  // namespace dx
