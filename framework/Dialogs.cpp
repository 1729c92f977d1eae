#include "framework/Dialogs.h"

#include <commdlg.h>
#include <cderr.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <utility>

#include "winapi/SystemLibrary.h"
#include "core/win32/WideString.h"
#include "framework/ClassBuilder.h"
#include "framework/Forms.h"
#include "framework/SysUtils.h"

namespace dorvane {
int MessageDlg(const std::string& text, TMsgDlgType type, UINT buttons) {
  return Application().Desktop().ShowMessageBox({text, Application().Title(), type, buttons});
}

void ShowMessage(const std::string& text) { MessageDlg(text, mtCustom, MB_OK); }

// -- the file-open dialog ---------------------------------------------------------------

namespace {

// Room for many files chosen at once, and for any path the system accepts.
constexpr std::size_t kFileBufferUnits = 32768;

struct OptionFlag {
  TOpenOption option;
  DWORD flag;
};

constexpr OptionFlag kOptionFlags[] = {
    {ofReadOnly, OFN_READONLY},
    {ofOverwritePrompt, OFN_OVERWRITEPROMPT},
    {ofHideReadOnly, OFN_HIDEREADONLY},
    {ofNoChangeDir, OFN_NOCHANGEDIR},
    {ofShowHelp, OFN_SHOWHELP},
    {ofNoValidate, OFN_NOVALIDATE},
    {ofAllowMultiSelect, OFN_ALLOWMULTISELECT},
    {ofExtensionDifferent, OFN_EXTENSIONDIFFERENT},
    {ofPathMustExist, OFN_PATHMUSTEXIST},
    {ofFileMustExist, OFN_FILEMUSTEXIST},
    {ofCreatePrompt, OFN_CREATEPROMPT},
    {ofShareAware, OFN_SHAREAWARE},
    {ofNoReadOnlyReturn, OFN_NOREADONLYRETURN},
    {ofNoTestFileCreate, OFN_NOTESTFILECREATE},
    {ofNoNetworkButton, OFN_NONETWORKBUTTON},
    {ofNoLongNames, OFN_NOLONGNAMES},
    {ofNoDereferenceLinks, OFN_NODEREFERENCELINKS},
    {ofEnableIncludeNotify, OFN_ENABLEINCLUDENOTIFY},
    {ofEnableSizing, OFN_ENABLESIZING},
};

// The files of a confirmed dialog. Several files come as the folder followed by the
// names (zero-separated in the explorer-style dialog, blank-separated in the old one);
// one file comes as its full path.
std::vector<std::string> ChosenFiles(const std::vector<wchar_t>& buffer, const OPENFILENAMEW& ofn) {
  const std::wstring first(buffer.data());
  if (!(ofn.Flags & OFN_ALLOWMULTISELECT)) return {Narrow(first)};
  std::vector<std::wstring> parts;
  if (ofn.Flags & OFN_EXPLORER) {
    for (const wchar_t* p = buffer.data(); p < buffer.data() + buffer.size() && *p; p += std::wcslen(p) + 1)
      parts.emplace_back(p);
  } else {
    std::size_t start = 0;
    while (start < first.size()) {
      std::size_t end = first.find(L' ', start);
      if (end == std::wstring::npos) end = first.size();
      if (end > start) parts.push_back(first.substr(start, end - start));
      start = end + 1;
    }
  }
  if (parts.size() <= 1) return {Narrow(first)};
  std::wstring folder = parts.front();
  if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
  std::vector<std::string> files;
  for (std::size_t i = 1; i < parts.size(); ++i) files.push_back(Narrow(folder + parts[i]));
  return files;
}

}  // namespace

const EnumType& OpenOptionType() {
  static const EnumType t{"TOpenOption",
                          {"ofReadOnly", "ofOverwritePrompt", "ofHideReadOnly", "ofNoChangeDir", "ofShowHelp",
                           "ofNoValidate", "ofAllowMultiSelect", "ofExtensionDifferent", "ofPathMustExist",
                           "ofFileMustExist", "ofCreatePrompt", "ofShareAware", "ofNoReadOnlyReturn",
                           "ofNoTestFileCreate", "ofNoNetworkButton", "ofNoLongNames", "ofOldStyleDialog",
                           "ofNoDereferenceLinks", "ofEnableIncludeNotify", "ofEnableSizing"}};
  return t;
}

DWORD OpenOptionsToFlags(TOpenOptions options) {
  DWORD flags = (options & OpenOptionOf(ofOldStyleDialog)) ? 0 : OFN_EXPLORER;
  for (const OptionFlag& f : kOptionFlags)
    if (options & OpenOptionOf(f.option)) flags |= f.flag;
  return flags;
}

std::wstring FilterToWide(std::string_view filter) {
  if (filter.empty()) return {};
  std::vector<std::string_view> parts;
  for (std::size_t start = 0;;) {
    const std::size_t bar = filter.find('|', start);
    parts.push_back(filter.substr(start, bar == std::string_view::npos ? std::string_view::npos : bar - start));
    if (bar == std::string_view::npos) break;
    start = bar + 1;
  }
  if (parts.size() % 2 != 0) parts.pop_back();
  if (parts.empty()) return {};
  std::wstring wide;
  for (std::string_view part : parts) {
    wide += Widen(part);
    wide += L'\0';
  }
  wide += L'\0';
  return wide;
}

const ClassInfo& TOpenDialog::StaticClass() {
  static const ClassInfo info =
      ClassBuilder<TOpenDialog>("TOpenDialog", &TComponent::StaticClass())
          .Set("Options", &TOpenDialog::Options, &TOpenDialog::SetOptions, OpenOptionType(),
               OpenOptionOf(ofHideReadOnly))
          .Str("Title", &TOpenDialog::Title, &TOpenDialog::SetTitle)
          .Str("InitialDir", &TOpenDialog::InitialDir, &TOpenDialog::SetInitialDir)
          .Str("Filter", &TOpenDialog::Filter, &TOpenDialog::SetFilter)
          .Int("FilterIndex", &TOpenDialog::FilterIndex, &TOpenDialog::SetFilterIndex, 1)
          .Str("DefaultExt", &TOpenDialog::DefaultExt, &TOpenDialog::SetDefaultExt)
          .Str("FileName", &TOpenDialog::FileName, &TOpenDialog::SetFileName)
          .Build();
  return info;
}

TOpenDialog::TOpenDialog(TComponent* owner) : TComponent(owner) {}

TOpenDialog::~TOpenDialog() = default;

bool TOpenDialog::Execute() {
  std::vector<std::string> chosen = Application().Desktop().RunOpenDialog(*this);
  if (chosen.empty()) return false;
  files_ = std::move(chosen);
  fileName_ = files_.front();
  return true;
}

std::vector<std::string> RunSystemOpenDialog(TOpenDialog& dialog) {
  std::vector<wchar_t> buffer(kFileBufferUnits, L'\0');
  const std::wstring filter = FilterToWide(dialog.Filter());
  const std::wstring title = Widen(dialog.Title());
  const std::wstring dir = Widen(dialog.InitialDir());
  const std::string& defaultExt = dialog.DefaultExt();
  const std::wstring ext = Widen(!defaultExt.empty() && defaultExt.front() == '.' ? defaultExt.substr(1) : defaultExt);
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = GetActiveWindow();
  ofn.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
  ofn.nFilterIndex = static_cast<DWORD>(dialog.FilterIndex() > 0 ? dialog.FilterIndex() : 1);
  ofn.lpstrFile = buffer.data();
  ofn.nMaxFile = static_cast<DWORD>(buffer.size());
  ofn.lpstrInitialDir = dir.empty() ? nullptr : dir.c_str();
  ofn.lpstrTitle = title.empty() ? nullptr : title.c_str();
  ofn.lpstrDefExt = ext.empty() ? nullptr : ext.c_str();
  ofn.Flags = OpenOptionsToFlags(dialog.Options());

  // The dialog's DLL is loaded when a dialog is first shown, not with the program.
  static const auto open = SystemFunctionAs<BOOL WINAPI(LPOPENFILENAMEW)>(L"comdlg32.dll", "GetOpenFileNameW");
  static const auto lastError = SystemFunctionAs<DWORD WINAPI()>(L"comdlg32.dll", "CommDlgExtendedError");
  if (!open || !lastError) throw EInvalidOperation("The file dialog could not be shown (comdlg32.dll is missing)");
  CopyToBuffer(dialog.FileName(), buffer.data(), buffer.size());
  BOOL confirmed = open(&ofn);
  DWORD error = confirmed ? 0 : lastError();
  if (error == FNERR_INVALIDFILENAME && buffer[0] != L'\0') {
    // A stale or malformed name must not keep the user from choosing another file.
    std::fill(buffer.begin(), buffer.end(), L'\0');
    confirmed = open(&ofn);
    error = confirmed ? 0 : lastError();
  }
  if (!confirmed) {
    if (error == 0) return {};  // cancelled
    char code[16];
    std::snprintf(code, sizeof code, "0x%04lX", static_cast<unsigned long>(error));
    throw EInvalidOperation(std::string("The file dialog could not be shown (error ") + code + ")");
  }

  dialog.SetFilterIndex(static_cast<int>(ofn.nFilterIndex));
  // The dialog reports these two back: the read-only box and a typed foreign extension.
  TOpenOptions options = dialog.Options() & ~(OpenOptionOf(ofReadOnly) | OpenOptionOf(ofExtensionDifferent));
  if (ofn.Flags & OFN_READONLY) options |= OpenOptionOf(ofReadOnly);
  if (ofn.Flags & OFN_EXTENSIONDIFFERENT) options |= OpenOptionOf(ofExtensionDifferent);
  dialog.SetOptions(options);
  return ChosenFiles(buffer, ofn);
}

}  // namespace dorvane
