// A small helper for the end-to-end tests, run in the program's Wine session: lists the
// visible top-level windows with the texts of their child windows, and clicks a button
// of a window by its text (BM_CLICK), so dialogs can be read and answered without
// guessing coordinates.
//
//   wintool list                 one line per window: "title<TAB>[class]", then "  [class] text"
//                                per child
//   wintool click TITLE BUTTON   clicks the button whose text, without "&", is BUTTON
//   wintool rows TITLE           the rows of the list views of the window whose title begins
//                                with TITLE, one line each: the cells separated by tabs
//   wintool processes NAME       how many processes run the executable NAME (letter case aside)
//   wintool accessible TITLE [N] what assistive technology reads of the client area of the
//                                window whose title begins with TITLE, asked from this
//                                process: "children N", then "ROLE<TAB>NAME<TAB>VALUE" per
//                                element; with N, then does element N's default action
#include <windows.h>
#include <commctrl.h>
#include <oleacc.h>
#include <tlhelp32.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string Utf8(const std::wstring& w) {
  if (w.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  std::string s(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
  return s;
}

std::wstring TextOf(HWND wnd) {
  wchar_t buffer[1024] = {};
  SendMessageTimeoutW(wnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 2000, nullptr);
  return buffer;
}

std::wstring ClassOf(HWND wnd) {
  wchar_t buffer[256] = {};
  GetClassNameW(wnd, buffer, 256);
  return buffer;
}

std::wstring WithoutAmpersands(std::wstring text) {
  std::wstring out;
  for (wchar_t c : text)
    if (c != L'&') out += c;
  return out;
}

// Plain functions, not lambdas: the 32-bit build needs the system's calling convention.
BOOL CALLBACK AddVisible(HWND wnd, LPARAM list) {
  if (IsWindowVisible(wnd)) reinterpret_cast<std::vector<HWND>*>(list)->push_back(wnd);
  return TRUE;
}

BOOL CALLBACK AddAny(HWND wnd, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(wnd);
  return TRUE;
}

std::vector<HWND> TopLevel() {
  std::vector<HWND> list;
  EnumWindows(&AddVisible, reinterpret_cast<LPARAM>(&list));
  return list;
}

std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> list;
  EnumChildWindows(parent, &AddAny, reinterpret_cast<LPARAM>(&list));
  return list;
}

// The cells of every row of a list view of another process: the texts are asked into a
// buffer made in that process, then read back from it.
void PrintRows(HWND list) {
  DWORD pid = 0;
  GetWindowThreadProcessId(list, &pid);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (!process) return;
  constexpr int kChars = 512;
  const SIZE_T size = sizeof(LVITEMW) + kChars * sizeof(wchar_t);
  auto* remote = static_cast<BYTE*>(VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE));
  if (remote) {
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    const int columns = header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 1;
    const int rows = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < rows; ++row) {
      std::string line;
      for (int column = 0; column < columns; ++column) {
        LVITEMW item{};
        item.iSubItem = column;
        item.cchTextMax = kChars;
        item.pszText = reinterpret_cast<wchar_t*>(remote + sizeof(LVITEMW));
        wchar_t text[kChars] = {};
        SIZE_T done = 0;
        WriteProcessMemory(process, remote, &item, sizeof item, &done);
        SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote));
        ReadProcessMemory(process, remote + sizeof(LVITEMW), text, sizeof text - sizeof(wchar_t), &done);
        if (column) line += '\t';
        line += Utf8(text);
      }
      std::printf("%s\n", line.c_str());
    }
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  }
  CloseHandle(process);
}

// One text property of an element: its text, "(none)", or the failing HRESULT.
template <typename Getter>
std::string AccText(IAccessible* object, long id, Getter getter) {
  VARIANT child;
  VariantInit(&child);
  child.vt = VT_I4;
  child.lVal = id;
  BSTR text = nullptr;
  const HRESULT hr = (object->*getter)(child, &text);
  std::string result;
  if (hr == S_OK && text) result = Utf8(text);
  else if (hr == S_OK || hr == S_FALSE) result = "(none)";
  else {
    char code[32];
    std::snprintf(code, sizeof code, "(hr %08lx)", static_cast<unsigned long>(hr));
    result = code;
  }
  SysFreeString(text);
  return result;
}

// Every failure is printed with its HRESULT: the point is to see what goes across processes.
int PrintAccessible(HWND wnd, long action) {
  IAccessible* object = nullptr;
  // __uuidof, not the import library's IID_IAccessible: without a dllimport declaration
  // that name binds to an import thunk, whose code bytes would be read as the IID.
  HRESULT hr = AccessibleObjectFromWindow(wnd, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                          reinterpret_cast<void**>(&object));
  if (hr != S_OK || !object) {
    std::printf("AccessibleObjectFromWindow hr %08lx\n", static_cast<unsigned long>(hr));
    return 1;
  }
  long count = -1;
  hr = object->get_accChildCount(&count);
  std::printf("children %ld (hr %08lx)\n", count, static_cast<unsigned long>(hr));
  for (long id = 1; id <= count; ++id) {
    VARIANT child, role;
    VariantInit(&child);
    VariantInit(&role);
    child.vt = VT_I4;
    child.lVal = id;
    const HRESULT roleHr = object->get_accRole(child, &role);
    std::printf("%ld\t%s\t%s\n", roleHr == S_OK && role.vt == VT_I4 ? role.lVal : -1,
                AccText(object, id, &IAccessible::get_accName).c_str(),
                AccText(object, id, &IAccessible::get_accValue).c_str());
  }
  if (action > 0) {
    VARIANT child;
    VariantInit(&child);
    child.vt = VT_I4;
    child.lVal = action;
    std::printf("action %ld hr %08lx\n", action, static_cast<unsigned long>(object->accDoDefaultAction(child)));
  }
  object->Release();
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring command = argc > 1 ? argv[1] : L"";
  if (command == L"list") {
    for (HWND wnd : TopLevel()) {
      std::printf("%s\t[%s]\n", Utf8(TextOf(wnd)).c_str(), Utf8(ClassOf(wnd)).c_str());
      for (HWND child : Children(wnd))
        if (IsWindowVisible(child))
          std::printf("  [%s] %s\n", Utf8(ClassOf(child)).c_str(), Utf8(TextOf(child)).c_str());
    }
    return 0;
  }
  if (command == L"click" && argc == 4) {
    for (HWND wnd : TopLevel()) {
      if (TextOf(wnd) != argv[2]) continue;
      for (HWND child : Children(wnd)) {
        if (WithoutAmpersands(TextOf(child)) != argv[3] || !IsWindowVisible(child)) continue;
        PostMessageW(child, BM_CLICK, 0, 0);
        std::printf("clicked\n");
        return 0;
      }
    }
    std::printf("not found\n");
    return 1;
  }
  if (command == L"rows" && argc == 3) {
    for (HWND wnd : TopLevel()) {
      if (TextOf(wnd).rfind(argv[2], 0) != 0) continue;
      for (HWND child : Children(wnd))
        if (ClassOf(child) == WC_LISTVIEWW) PrintRows(child);
    }
    return 0;
  }
  if (command == L"processes" && argc == 3) {
    int count = 0;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
      if (_wcsicmp(entry.szExeFile, argv[2]) == 0) ++count;
    CloseHandle(snapshot);
    std::printf("%d\n", count);
    return 0;
  }
  if (command == L"accessible" && (argc == 3 || argc == 4)) {
    for (HWND wnd : TopLevel()) {
      if (TextOf(wnd).rfind(argv[2], 0) != 0) continue;
      CoInitialize(nullptr);
      const int code = PrintAccessible(wnd, argc == 4 ? _wtol(argv[3]) : 0);
      CoUninitialize();
      return code;
    }
    std::printf("not found\n");
    return 1;
  }
  std::fprintf(stderr,
               "usage: wintool list | wintool click TITLE BUTTON | wintool rows TITLE | wintool processes NAME"
               " | wintool accessible TITLE [N]\n");
  return 2;
}
