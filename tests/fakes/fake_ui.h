// Recording fake of the user interface seam (platform/ui.h).
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <string>
#include <vector>

namespace fake_ui {

struct MessageCall {
  HWND owner;
  std::string text;
  std::string title;
  UINT flags;
};

struct ItemTextCall {
  HWND dialog;
  int controlId;
  std::string text;
};

struct DialogCall {
  HINSTANCE instance;
  int templateId;
  HWND owner;
  DLGPROC proc;
  LPARAM init;
};

struct SaveCall {
  OPENFILENAMEA request;       // as received
  std::string proposedName;    // the buffer's text when the prompt opened
  bool bufferZeroAfterName = false;  // zero bytes behind it up to nMaxFile
  std::string filter;          // the whole filter list, up to its closing double zero
  std::string title;
  std::string defaultExtension;
};

struct State {
  std::vector<MessageCall> messages;
  std::vector<ItemTextCall> itemTexts;
  std::vector<DialogCall> dialogs;
  std::vector<std::pair<HWND, INT_PTR>> closedDialogs;
  std::vector<SaveCall> saves;

  HWND desktop = reinterpret_cast<HWND>(0x1D00);
  // What the save prompt answers: the chosen path (copied into the request's buffer) and result.
  std::string savePath;
  BOOL saveResult = FALSE;
  // Called inside RunDialog, standing in for the user; RunDialog returns its result.
  INT_PTR (*dialogScript)(DLGPROC proc) = nullptr;
};

State& Get();
void Reset();

}  // namespace fake_ui
