#include "app/export.h"

#include <commdlg.h>

#include <cstddef>
#include <cstring>
#include <string>

#include "fileio/us_file.h"
#include "platform/ui.h"
#include "report/store.h"

#ifdef _M_IX86
// What OPENFILENAME_SIZE_VERSION_400A computes: the record up to lpTemplateName, as NT4 knew it.
static_assert(offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR) == 76,
              "the NT4 form of the save request is 76 bytes");
#endif

namespace {

// One filter pair; the literal's own terminating zero closes the list. Without the zero before
// it, the save dialog would read on into whatever the program's data holds next and offer it as
// file types.
constexpr char kFilter[] = "テキストファイル(*.txt)\0*.txt\0";
static_assert(kFilter[sizeof kFilter - 2] == '\0', "the file-type list ends with two zero bytes");
const char kProposedName[] = "QvxCheck.txt";

}  // namespace

void ExportReport(HWND dialog) {
  char fileName[MAX_PATH] = {};
  std::memcpy(fileName, kProposedName, sizeof kProposedName);

  OPENFILENAMEA request;
  std::memset(&request, 0, sizeof request);
  // The NT4 size: every Windows accepts it, in 32-bit and 64-bit processes alike.
  request.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
  request.hwndOwner = dialog;
  request.lpstrFilter = kFilter;
  request.nFilterIndex = 1;
  request.lpstrFile = fileName;
  request.nMaxFile = MAX_PATH;
  request.lpstrTitle = "ファイルの保存";
  request.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
  request.lpstrDefExt = "txt";
  if (ui::AskSaveFileName(&request) != 1) return;

  CUSFile file;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wcatch-value"  // the error is caught by value by design
  try {
    file.Open(std::string(fileName, strnlen(fileName, sizeof fileName)));
    file.Write(g_ReportText.data(), static_cast<std::uint32_t>(g_ReportText.size()));
    file.Close();
    ui::ShowMessage(nullptr, "出力に成功しました。", "成功", MB_OK);
  } catch (CUSFileError) {
    // Let go of a file whose write failed before telling the player, who may then free space
    // and save under the same name again.
    file.Close();
    ui::ShowMessage(nullptr, "出力に失敗しました。", "エラー", MB_ICONERROR);
  }
#pragma GCC diagnostic pop
}
