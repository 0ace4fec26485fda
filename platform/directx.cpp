#include "platform/directx.h"

#include "platform/system_library.h"

namespace dx {

HRESULT EnumerateDisplayDrivers(LPDDENUMCALLBACKEXA callback, void* context, DWORD flags) {
  static const auto enumerate =
      SystemExportAs<decltype(&::DirectDrawEnumerateExA)>("ddraw.dll", "DirectDrawEnumerateExA");
  return enumerate != nullptr ? enumerate(callback, context, flags) : DDERR_GENERIC;
}

HRESULT CreateDirectDraw(GUID* driverGuid, void** object, REFIID iid, IUnknown* outer) {
  static const auto create =
      SystemExportAs<decltype(&::DirectDrawCreateEx)>("ddraw.dll", "DirectDrawCreateEx");
  if (create == nullptr) {
    *object = nullptr;
    return DDERR_GENERIC;
  }
  return create(driverGuid, object, iid, outer);
}

HRESULT EnumerateSoundDevices(LPDSENUMCALLBACKA callback, void* context) {
  static const auto enumerate =
      SystemExportAs<decltype(&::DirectSoundEnumerateA)>("dsound.dll", "DirectSoundEnumerateA");
  return enumerate != nullptr ? enumerate(callback, context) : DSERR_GENERIC;
}

}  // namespace dx
