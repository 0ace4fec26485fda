#include "app/survey_machine.h"

#include <cstring>
#include <string>

#include "app/checker_dialog.h"
#include "app/dll_search.h"
#include "app/res/resource.h"
#include "platform/directx.h"
#include "platform/ui.h"
#include "report/store.h"
#include "survey/adapters.h"
#include "survey/default_device.h"
#include "survey/driver_version.h"
#include "survey/sound_devices.h"

namespace {

constexpr int kVersionBufferSize = 512;

const char kSurveyTitle[] = "Quorvexマシン環境情報チェッカー";
const char kNoDeviceMessage[] = "DirectDrawデバイスの列挙に失敗しました。";
// The line break is a lone line feed.
const char kNoDirectDrawMessage[] =
    "DirectDrawインターフェースの取得に失敗しました。\n"
    "DirectX7はきちんとインストールされてますか？";
const char kNoSoundMessage[] = "DirectSoundデバイスの列挙に失敗しました。";

int Fail(const char* message) {
  ui::ShowMessage(nullptr, message, kSurveyTitle, MB_ICONERROR);
  return -1;
}

}  // namespace

int SurveyMachine() {
  EnumerateDisplayAdapters();
  RenderDeviceInfo* device = nullptr;
  if (!SelectDefaultDevice(&device)) return Fail(kNoDeviceMessage);

  IDirectDraw7* directDraw = nullptr;
  // Only DD_OK with an object goes on, and DD_OK without one is as good as a failure. An object
  // that comes with another success code is the program's and is given back; a pointer that comes
  // with a failure code is not, and may point at what the platform has already freed (an adapter
  // gone since the enumeration: a driver reset, a Remote Desktop reconnect).
  const HRESULT created = dx::CreateDirectDraw(
      device->DriverGuidPtr, reinterpret_cast<void**>(&directDraw), IID_IDirectDraw7, nullptr);
  if (created != DD_OK || directDraw == nullptr) {
    if (SUCCEEDED(created) && directDraw != nullptr) directDraw->Release();
    return Fail(kNoDirectDrawMessage);
  }
  DisplayDriverInfo& record = g_DisplayDrivers[g_SurveySlot];
  directDraw->GetDeviceIdentifier(&record.Identifier, 0);
  directDraw->GetDeviceIdentifier(&record.HostIdentifier, DDGDI_GETHOSTIDENTIFIER);

  // The driver name is passed on terminated even when the platform filled its whole field.
  char driverFile[MAX_DDDEVICEID_STRING + 1] = {};
  std::memcpy(driverFile, record.Identifier.szDriver,
              strnlen(record.Identifier.szDriver, MAX_DDDEVICEID_STRING));
  // The version DirectX reports, unless the lookup finds the file's own text, which it writes
  // terminated.
  char version[kVersionBufferSize] = {};
  const std::string identified = IdentifiedDriverVersion(record.Identifier.liDriverVersion);
  std::memcpy(version, identified.data(), identified.size());
  GetDriverFileVersion(version, kVersionBufferSize, driverFile);
  record.DriverVersion.assign(version, strnlen(version, kVersionBufferSize));

  directDraw->Release();
  directDraw = nullptr;

  if (FAILED(dx::EnumerateSoundDevices(EnumSoundDeviceCallback, nullptr))) {
    return Fail(kNoSoundMessage);
  }
  return 0;
}

int RunChecker(HINSTANCE instance) {
  RestrictDllSearch();
  if (SurveyMachine() != 0) return -1;
  const HWND desktop = ui::DesktopWindow();
  ui::RunDialog(instance, IDD_CHECKER, desktop, CheckerDlgProc, 0);
  return 0;
}
