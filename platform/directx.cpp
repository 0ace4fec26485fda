#include "platform/directx.h"

#include "platform/system_library.h"

namespace dx {
namespace {

using CreateFn = HRESULT(WINAPI*)(GUID*, LPVOID*, REFIID, IUnknown*);
using SoundEnumerateFn = HRESULT(WINAPI*)(LPDSENUMCALLBACKA, LPVOID);

const SystemLibrary& DirectDraw() {
  static const SystemLibrary library("ddraw.dll");
  return library;
}

const SystemLibrary& DirectSound() {
  static const SystemLibrary library("dsound.dll");
  return library;
}

}  // namespace

HRESULT EnumerateDisplayDrivers(LPDDENUMCALLBACKEXA callback, void* context, DWORD flags) {
  const auto enumerate = DirectDraw().FindAs<LPDIRECTDRAWENUMERATEEXA>("DirectDrawEnumerateExA");
  return enumerate != nullptr ? enumerate(callback, context, flags) : DDERR_GENERIC;
}

HRESULT CreateDirectDraw(GUID* driverGuid, void** object, REFIID iid, IUnknown* outer) {
  const auto create = DirectDraw().FindAs<CreateFn>("DirectDrawCreateEx");
  if (create == nullptr) {
    *object = nullptr;
    return DDERR_GENERIC;
  }
  return create(driverGuid, object, iid, outer);
}

HRESULT EnumerateSoundDevices(LPDSENUMCALLBACKA callback, void* context) {
  const auto enumerate = DirectSound().FindAs<SoundEnumerateFn>("DirectSoundEnumerateA");
  return enumerate != nullptr ? enumerate(callback, context) : DSERR_GENERIC;
}

}  // namespace dx
