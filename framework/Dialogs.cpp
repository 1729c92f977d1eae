#include "framework/Dialogs.h"

#include <commdlg.h>
#include <cderr.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <utility>

#include "framework/ClassBuilder.h"
#include "framework/Forms.h"
#include "framework/SysUtils.h"
#include "core/win32/WideString.h"

namespace dorvane {
namespace {

MessageAnswerer& Answerer() {
  static MessageAnswerer answerer;
  return answerer;
}

}  // namespace

MessageAnswerer SetMessageAnswerer(MessageAnswerer answerer) {
  MessageAnswerer previous = std::move(Answerer());
  Answerer() = std::move(answerer);
  return previous;
}

int MessageDlg(const std::string& text, TMsgDlgType type, UINT buttons) {
  MessageRequest request{text, Application().Title(), type, buttons};
  if (Answerer()) return Answerer()(request);
  UINT icon = 0;
  switch (type) {
    case mtWarning: icon = MB_ICONWARNING; break;
    case mtError: icon = MB_ICONERROR; break;
    case mtInformation: icon = MB_ICONINFORMATION; break;
    case mtConfirmation: icon = MB_ICONQUESTION; break;
    case mtCustom: break;
  }
  HWND owner = GetActiveWindow();
  return MessageBoxW(owner, Widen(text).c_str(), Widen(request.caption).c_str(), buttons | icon | MB_TASKMODAL);
}

void ShowMessage(const std::string& text) { MessageDlg(text, mtCustom, MB_OK); }

// -- the file-open dialog ---------------------------------------------------------------

namespace {

OpenDialogAnswerer& OpenAnswerer() {
  static OpenDialogAnswerer answerer;
  return answerer;
}

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

OpenDialogAnswerer SetOpenDialogAnswerer(OpenDialogAnswerer answerer) {
  OpenDialogAnswerer previous = std::move(OpenAnswerer());
  OpenAnswerer() = std::move(answerer);
  return previous;
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
  if (const OpenDialogAnswerer answerer = OpenAnswerer()) {  // a copy: it may replace itself
    const bool confirmed = answerer(*this);
    if (confirmed) files_ = {fileName_};
    return confirmed;
  }

  std::vector<wchar_t> buffer(kFileBufferUnits, L'\0');
  const std::wstring filter = FilterToWide(filter_);
  const std::wstring title = Widen(title_);
  const std::wstring dir = Widen(initialDir_);
  const std::wstring ext = Widen(!defaultExt_.empty() && defaultExt_.front() == '.' ? defaultExt_.substr(1) : defaultExt_);
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = GetActiveWindow();
  ofn.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
  ofn.nFilterIndex = static_cast<DWORD>(filterIndex_ > 0 ? filterIndex_ : 1);
  ofn.lpstrFile = buffer.data();
  ofn.nMaxFile = static_cast<DWORD>(buffer.size());
  ofn.lpstrInitialDir = dir.empty() ? nullptr : dir.c_str();
  ofn.lpstrTitle = title.empty() ? nullptr : title.c_str();
  ofn.lpstrDefExt = ext.empty() ? nullptr : ext.c_str();
  ofn.Flags = OpenOptionsToFlags(options_);

  CopyToBuffer(fileName_, buffer.data(), buffer.size());
  BOOL confirmed = GetOpenFileNameW(&ofn);
  DWORD error = confirmed ? 0 : CommDlgExtendedError();
  if (error == FNERR_INVALIDFILENAME && buffer[0] != L'\0') {
    // A stale or malformed name must not keep the user from choosing another file.
    std::fill(buffer.begin(), buffer.end(), L'\0');
    confirmed = GetOpenFileNameW(&ofn);
    error = confirmed ? 0 : CommDlgExtendedError();
  }
  if (!confirmed) {
    if (error == 0) return false;  // cancelled
    char code[16];
    std::snprintf(code, sizeof code, "0x%04lX", static_cast<unsigned long>(error));
    throw EInvalidOperation(std::string("The file dialog could not be shown (error ") + code + ")");
  }

  files_ = ChosenFiles(buffer, ofn);
  fileName_ = files_.empty() ? std::string() : files_.front();
  filterIndex_ = static_cast<int>(ofn.nFilterIndex);
  // The dialog reports these two back: the read-only box and a typed foreign extension.
  options_ &= ~(OpenOptionOf(ofReadOnly) | OpenOptionOf(ofExtensionDifferent));
  if (ofn.Flags & OFN_READONLY) options_ |= OpenOptionOf(ofReadOnly);
  if (ofn.Flags & OFN_EXTENSIONDIFFERENT) options_ |= OpenOptionOf(ofExtensionDifferent);
  return true;
}

}  // namespace dorvane
