// How promptly a window's thread answers: finds the top-level window whose title begins
// with a given text, then for a number of seconds sends it WM_NULL, one message at a time
// with a short pause between, and prints how long each answer took. Prints figures;
// asserts nothing. Used by tools/hang_measure.py.
//
//   answer_probe.exe TITLE-PREFIX SECONDS [--close]
//
// With --close the window is sent WM_CLOSE at the end, as its close button would.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

namespace {

struct Search {
  std::wstring prefix;
  HWND found = nullptr;
};

BOOL CALLBACK MatchTitle(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  wchar_t title[256] = {};
  GetWindowTextW(window, title, 256);
  if (IsWindowVisible(window) && std::wcsncmp(title, search->prefix.c_str(), search->prefix.size()) == 0) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to, LARGE_INTEGER frequency) {
  return static_cast<double>(to.QuadPart - from.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: answer_probe TITLE-PREFIX SECONDS [--close]\n");
    return 2;
  }
  Search search{argv[1]};
  const double seconds = _wtof(argv[2]);
  const bool close = argc > 3 && std::wcscmp(argv[3], L"--close") == 0;

  for (int i = 0; i < 1800 && !search.found; ++i) {  // up to three minutes for the window
    EnumWindows(MatchTitle, reinterpret_cast<LPARAM>(&search));
    if (!search.found) Sleep(100);
  }
  if (!search.found) {
    std::printf("no window\n");
    return 1;
  }

  LARGE_INTEGER frequency, start, now;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  std::vector<double> answers;
  std::vector<double> sentAt;  // seconds since probing began
  do {
    LARGE_INTEGER before, after;
    DWORD_PTR result = 0;
    QueryPerformanceCounter(&before);
    const LRESULT ok = SendMessageTimeoutW(search.found, WM_NULL, 0, 0, SMTO_NORMAL, 120000, &result);
    QueryPerformanceCounter(&after);
    if (!ok) {
      std::printf("no answer (window gone?)\n");
      return 1;
    }
    answers.push_back(Milliseconds(before, after, frequency));
    sentAt.push_back(Milliseconds(start, before, frequency) / 1000.0);
    Sleep(20);
    QueryPerformanceCounter(&now);
  } while (Milliseconds(start, now, frequency) < seconds * 1000.0);

  std::vector<double> sorted = answers;
  std::sort(sorted.begin(), sorted.end());
  const auto at = [&](double q) { return sorted[static_cast<std::size_t>(q * static_cast<double>(sorted.size() - 1))]; };
  std::printf("answers %zu, longest %.1f ms, median %.2f ms, 99th percentile %.1f ms\n", sorted.size(),
              sorted.back(), at(0.5), at(0.99));
  // The five longest, with when they were sent: a slow start-up looks different from a
  // slow tick.
  std::vector<std::size_t> order(answers.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return answers[a] > answers[b]; });
  std::printf("longest answers:");
  for (std::size_t i = 0; i < order.size() && i < 5; ++i)
    std::printf(" %.1f ms at %.1f s;", answers[order[i]], sentAt[order[i]]);
  std::printf("\n");
  if (close) PostMessageW(search.found, WM_CLOSE, 0, 0);
  return 0;
}
