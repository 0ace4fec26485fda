#include "tests/fakes/fake_ui.h"

#include <cstring>

#include "platform/ui.h"

namespace fake_ui {

State& Get() {
  static State state;
  return state;
}

void Reset() { Get() = State(); }

}  // namespace fake_ui

namespace ui {

int ShowMessage(HWND owner, const char* text, const char* title, UINT flags) {
  fake_ui::Get().messages.push_back({owner, text, title, flags});
  return IDOK;
}

HWND DesktopWindow() { return fake_ui::Get().desktop; }

INT_PTR RunDialog(HINSTANCE instance, int templateId, HWND owner, DLGPROC proc, LPARAM init) {
  fake_ui::State& state = fake_ui::Get();
  state.dialogs.push_back({instance, templateId, owner, proc, init});
  return state.dialogScript != nullptr ? state.dialogScript(proc) : -1;
}

BOOL CloseDialog(HWND dialog, INT_PTR result) {
  fake_ui::Get().closedDialogs.push_back({dialog, result});
  return TRUE;
}

BOOL SetItemText(HWND dialog, int controlId, const char* text) {
  fake_ui::Get().itemTexts.push_back({dialog, controlId, text});
  return TRUE;
}

BOOL AskSaveFileName(OPENFILENAMEA* request) {
  fake_ui::State& state = fake_ui::Get();
  fake_ui::SaveCall call{};
  call.request = *request;
  if (request->lpstrFile != nullptr) {
    call.proposedName = request->lpstrFile;
    call.bufferZeroAfterName = true;
    for (DWORD i = static_cast<DWORD>(call.proposedName.size()); i < request->nMaxFile; ++i) {
      if (request->lpstrFile[i] != '\0') call.bufferZeroAfterName = false;
    }
  }
  if (request->lpstrFilter != nullptr) {
    const char* end = request->lpstrFilter;
    while (end[0] != '\0' || end[1] != '\0') ++end;
    call.filter.assign(request->lpstrFilter, end + 2);
  }
  call.title = request->lpstrTitle != nullptr ? request->lpstrTitle : "";
  call.defaultExtension = request->lpstrDefExt != nullptr ? request->lpstrDefExt : "";
  state.saves.push_back(call);
  if (state.saveResult && request->lpstrFile != nullptr &&
      state.savePath.size() < request->nMaxFile) {
    std::memcpy(request->lpstrFile, state.savePath.c_str(), state.savePath.size() + 1);
  }
  return state.saveResult;
}

}  // namespace ui
