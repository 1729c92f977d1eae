// A small helper for the end-to-end tests, run under Wine beside the program:
//   desktop_poke volume arrive|remove <letter> [media]
//       broadcasts a volume arrival or removal to every top-level window, as the system
//       does when a drive comes or goes (with the media flag: a disc inserted or taken out)
//   desktop_poke click <window title prefix> <button caption>
//       clicks a push button or check box of a top-level window (BM_CLICK)
//   desktop_poke checked <window title prefix> <button caption>
//       prints 1 when that check box is ticked, else 0
//   desktop_poke rows <window title prefix>
//       prints the number of rows of the window's first list view
// Exits 0 on success, 1 on a failure it names on stderr, 2 on bad arguments.
#include <windows.h>
#include <commctrl.h>
#include <dbt.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

struct Search {
  std::wstring text;
  std::wstring cls;
  HWND found = nullptr;
};

std::wstring TextOf(HWND wnd) {
  wchar_t buffer[256] = {};
  GetWindowTextW(wnd, buffer, 256);
  return buffer;
}

BOOL CALLBACK FindTopLevel(HWND wnd, LPARAM lp) {
  auto* s = reinterpret_cast<Search*>(lp);
  if (TextOf(wnd).rfind(s->text, 0) == 0) {
    s->found = wnd;
    return FALSE;
  }
  return TRUE;
}

// A child window of a class (Search::cls) with a caption (Search::text; empty: any).
BOOL CALLBACK FindChild(HWND wnd, LPARAM lp) {
  auto* s = reinterpret_cast<Search*>(lp);
  wchar_t cls[64] = {};
  GetClassNameW(wnd, cls, 64);
  if (_wcsicmp(cls, s->cls.c_str()) == 0 && (s->text.empty() || TextOf(wnd) == s->text)) {
    s->found = wnd;
    return FALSE;
  }
  return TRUE;
}

HWND FindControl(const wchar_t* title, const wchar_t* cls, const wchar_t* caption) {
  Search top{title, L""};
  EnumWindows(FindTopLevel, reinterpret_cast<LPARAM>(&top));
  if (!top.found) {
    fwprintf(stderr, L"no top-level window titled %ls...\n", title);
    return nullptr;
  }
  Search child{caption, cls};
  EnumChildWindows(top.found, FindChild, reinterpret_cast<LPARAM>(&child));
  if (!child.found) fwprintf(stderr, L"no %ls \"%ls\" in \"%ls\"\n", cls, caption, TextOf(top.found).c_str());
  return child.found;
}

int Broadcast(bool arrive, wchar_t letter, bool media) {
  letter = static_cast<wchar_t>(towupper(letter));
  if (letter < L'A' || letter > L'Z') return 2;
  DEV_BROADCAST_VOLUME volume{};
  volume.dbcv_size = sizeof volume;
  volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
  volume.dbcv_unitmask = 1u << (letter - L'A');
  volume.dbcv_flags = media ? DBTF_MEDIA : 0;
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(HWND_BROADCAST, WM_DEVICECHANGE, arrive ? DBT_DEVICEARRIVAL : DBT_DEVICEREMOVECOMPLETE,
                           reinterpret_cast<LPARAM>(&volume), SMTO_ABORTIFHUNG, 5000, &result)) {
    fwprintf(stderr, L"the broadcast failed: %lu\n", GetLastError());
    return 1;
  }
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring command = argc > 1 ? argv[1] : L"";
  if (command == L"volume" && argc >= 4) {
    const std::wstring what = argv[2];
    if (what != L"arrive" && what != L"remove") return 2;
    return Broadcast(what == L"arrive", argv[3][0], argc > 4 && std::wstring(argv[4]) == L"media");
  }
  if ((command == L"click" || command == L"checked") && argc == 4) {
    HWND button = FindControl(argv[2], L"Button", argv[3]);
    if (!button) return 1;
    if (command == L"click") SendMessageW(button, BM_CLICK, 0, 0);
    else wprintf(L"%d\n", SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0);
    return 0;
  }
  if (command == L"rows" && argc == 3) {
    HWND list = FindControl(argv[2], WC_LISTVIEWW, L"");
    if (!list) return 1;
    wprintf(L"%d\n", static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)));
    return 0;
  }
  fwprintf(stderr, L"usage: desktop_poke volume arrive|remove <letter> [media] | click|checked <title> <caption> | rows <title>\n");
  return 2;
}
