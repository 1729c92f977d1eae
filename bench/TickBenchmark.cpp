// The cost of the one-second refresh in its steady state: three monitored drives, the
// tray following one of them. Prints measured figures; asserts nothing.
//
//   1. one tick against the machine's own drives, in microseconds, beside the bare
//      system queries the tick has to make (the space of each monitored drive and of the
//      tray drive, each drive once, and the memory status), timed in the same run; also
//      beside the same queries with the tray drive read a second time, as the tick read
//      it before a round read each drive once;
//   2. paints per tick when no figure changes (drives scripted so they stay put);
//   3. GDI and USER objects and private bytes before and after 100,000 such ticks;
//   4. the free-space history's share of a tick: ticks with the history on (a day of
//      minute points per monitored drive, the clock a second further each tick, so that
//      each drive's estimate is made afresh once a minute as in the program) beside ticks
//      with it off, in interleaved blocks of one run.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "components/FormPlacement.h"
#include "core/NumberFormat.h"
#include "core/win32/Win32Machine.h"
#include "errorreport/ErrorReport.h"
#include "framework/Controls.h"
#include "framework/Dialogs.h"
#include "framework/Forms.h"
#include "framework/Registry.h"
#include "main/Dorvane.h"
#include "main/Program.h"
#include "tests/support/ProcessCounters.h"
#include "tests/support/ScriptedDesktop.h"
#include "tests/support/ScriptedMachine.h"

namespace {

using namespace dorvane;
using Clock = std::chrono::steady_clock;

// A machine with the real drives and memory, a shell that does nothing and an autostart
// list in memory.
class RealDrivesMachine : public IMachine {
 public:
  IDriveApi& Drives() override { return drives_; }
  IMemoryApi& Memory() override { return memory_; }
  IShellActions& Shell() override { return shell_; }
  IAutostartList& Autostart() override { return autostart_; }
  bool IsNtPlatform() override { return true; }
  ScreenSize Screen() override { return {1280, 1024}; }
  std::string SystemDriveRoot() override { return ReadSystemDriveRoot(); }
  std::vector<ScreenRect> WorkAreas() override { return {{0, 0, 1280, 1024}}; }
  // The history's clock, moved by the benchmark.
  std::int64_t Now() override { return now; }
  std::int64_t now = 1'800'000'000;

 private:
  Win32DriveApi drives_;
  Win32MemoryApi memory_;
  testing::RecordingShell shell_;
  testing::ScriptedAutostartList autostart_;
};

BOOL CALLBACK CountChild(HWND, LPARAM p) {
  ++*reinterpret_cast<int*>(p);
  return TRUE;
}

BOOL CALLBACK CountWindow(HWND w, LPARAM p) {
  ++*reinterpret_cast<int*>(p);
  EnumChildWindows(w, &CountChild, p);
  return TRUE;
}

int UserObjects() {
  if (const DWORD n = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS)) return static_cast<int>(n);
  // Without the count, the windows of this thread are counted.
  int count = 0;
  EnumThreadWindows(GetCurrentThreadId(), &CountWindow, reinterpret_cast<LPARAM>(&count));
  return count;
}

using testing::PrivateBytes;

TForm1* StartWindow(IMachine& machine) {
  auto* form = new TForm1(&Application(), machine);
  Application().SetMainForm(form);
  form->Show();
  // Three monitored drives, the tray following the first.
  const int rows = form->DList->Items().Count();
  for (int i = 0; i < rows && i < 3; ++i) testing::TickAsUser(*form->DList, i);
  form->TrayDriveList->SetItemIndex(0);
  form->TrayDriveListChange(nullptr);
  form->CbShowTray->SetChecked(true);
  for (int i = 0; i < 10; ++i) {
    form->Timer1Timer(nullptr);
    Application().ProcessMessages();
  }
  return form;
}

void Close(TForm1* form) {
  form->Free();
  if (ErrorForm) ErrorForm->Free();
  Application().SetMainForm(nullptr);
}

double MicrosPer(Clock::duration d, int n) {
  return std::chrono::duration<double, std::micro>(d).count() / n;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main() {
  SetCurrentSeparators(ReadUserSeparators());
  RegisterProgramClasses();
  testing::ScriptedDesktop desktop;
  desktop.exeName = "DorvaneBench";
  testing::InstalledDesktop installed(desktop);

  // 1. Tick cost against the real drives, beside the bare system queries.
  RealDrivesMachine real;
  TForm1* form = StartWindow(real);
  std::vector<std::wstring> roots;
  for (const DriveEntry& row : form->Rows())
    if (row.active) roots.push_back(std::wstring(1, static_cast<wchar_t>(L'A' + (row.number - 1))) + L":\\");
  std::printf("monitored drives: %zu, tray drive number %d; window %d x %d at %d dpi\n", roots.size(),
              form->trayDriveNumber, form->Width(), form->Height(), form->Dpi());
  const std::wstring trayRoot = std::wstring(1, static_cast<wchar_t>(L'@' + form->trayDriveNumber)) + L":\\";
  constexpr int kRounds = 2000;
  const bool trayMonitored = std::find(roots.begin(), roots.end(), trayRoot) != roots.end();
  auto bareQueries = [&](bool trayTwice) {
    ULARGE_INTEGER a, t, f;
    for (const auto& r : roots) GetDiskFreeSpaceExW(r.c_str(), &a, &t, &f);
    if (trayTwice || !trayMonitored) GetDiskFreeSpaceExW(trayRoot.c_str(), &a, &t, &f);
    MEMORYSTATUSEX m{};
    m.dwLength = sizeof m;
    GlobalMemoryStatusEx(&m);
  };
  auto tick = [&] {
    form->Timer1Timer(nullptr);
    Application().ProcessMessages();
  };
  // Short interleaved blocks, so that all three see the same machine load, and the median
  // block of each: on a shared machine a burst of other work lands in a few blocks only.
  constexpr int kBlocks = 40;
  std::vector<double> bareUs, bareTwiceUs, tickUs;
  for (int block = 0; block < kBlocks; ++block) {
    auto t0 = Clock::now();
    for (int i = 0; i < kRounds / kBlocks; ++i) bareQueries(false);
    auto t1 = Clock::now();
    for (int i = 0; i < kRounds / kBlocks; ++i) tick();
    auto t2 = Clock::now();
    for (int i = 0; i < kRounds / kBlocks; ++i) bareQueries(true);
    auto t3 = Clock::now();
    bareUs.push_back(MicrosPer(t1 - t0, kRounds / kBlocks));
    tickUs.push_back(MicrosPer(t2 - t1, kRounds / kBlocks));
    bareTwiceUs.push_back(MicrosPer(t3 - t2, kRounds / kBlocks));
  }
  const double bare = Median(bareUs), bareTwice = Median(bareTwiceUs), tickTime = Median(tickUs);
  std::printf("median of %d interleaved blocks of %d:\n", kBlocks, kRounds / kBlocks);
  std::printf("bare system queries per tick: %.1f us (tray drive read twice: %.1f us)\n", bare, bareTwice);
  std::printf("one tick:                     %.1f us\n", tickTime);
  std::printf("tick / bare queries:          %.2f (to the queries with the tray drive twice: %.2f)\n",
              tickTime / bare, tickTime / bareTwice);
  std::printf("drive query threads:          %d\n", form->Catalog().Queries().Watch().Threads());

  // The hand-over alone: the tick's space queries as one round of the drive queries,
  // beside the same queries made directly.
  std::vector<DriveQuery> planned;
  for (const DriveEntry& row : form->Rows())
    if (row.active) planned.push_back(DriveQuery::Space(static_cast<std::uint8_t>(row.number)));
  DriveQueries& queries = form->Catalog().Queries();
  auto spaceBare = [&] {
    ULARGE_INTEGER a, t, f;
    for (const auto& r : roots) GetDiskFreeSpaceExW(r.c_str(), &a, &t, &f);
  };
  auto spaceRound = [&] {
    queries.BeginRound();
    queries.Start(planned);
    for (const DriveQuery& q : planned) queries.Space(q.number);
  };
  std::vector<double> spaceBareUs, spaceRoundUs;
  for (int block = 0; block < kBlocks; ++block) {
    auto t0 = Clock::now();
    for (int i = 0; i < kRounds / kBlocks; ++i) spaceBare();
    auto t1 = Clock::now();
    for (int i = 0; i < kRounds / kBlocks; ++i) spaceRound();
    auto t2 = Clock::now();
    spaceBareUs.push_back(MicrosPer(t1 - t0, kRounds / kBlocks));
    spaceRoundUs.push_back(MicrosPer(t2 - t1, kRounds / kBlocks));
  }
  std::printf("%zu space queries: %.1f us directly, %.1f us as a round of the drive queries\n", planned.size(),
              Median(spaceBareUs), Median(spaceRoundUs));

  // 4. The history's share: a day of points behind every monitored drive (falling by a
  // megabyte a minute), then ticks with it on and off in turn.
  for (const DriveEntry& row : form->Rows()) {
    if (!row.active || !row.reading) continue;
    const std::int64_t free = row.reading->value.freeBytes, total = row.reading->value.totalBytes;
    for (int m = 24 * 60; m > 0; --m)
      form->History().Record(row.root, row.volumeSerial, real.now - 60 * m, std::min(total, free + m * 1'048'576), total);
  }
  auto historyTick = [&](bool on) {
    form->SetHistoryEnabled(on);
    ++real.now;
    tick();
  };
  std::vector<double> onUs, offUs;
  for (int block = 0; block < kBlocks; ++block) {
    auto t0 = Clock::now();
    for (int i = 0; i < kRounds / kBlocks; ++i) historyTick(true);
    auto t1 = Clock::now();
    for (int i = 0; i < kRounds / kBlocks; ++i) historyTick(false);
    auto t2 = Clock::now();
    onUs.push_back(MicrosPer(t1 - t0, kRounds / kBlocks));
    offUs.push_back(MicrosPer(t2 - t1, kRounds / kBlocks));
  }
  const double on = Median(onUs), off = Median(offUs);
  form->SetHistoryEnabled(true);
  std::printf("tick with the history:    %.1f us (estimate of the tray drive: \"%s\")\n", on,
              FullEstimateText(form->History().Estimate(form->Rows()[0].root, real.now)).c_str());
  std::printf("tick without it:          %.1f us\n", off);
  std::printf("with / without:           %.3f\n", on / off);
  // Its parts: taking the round's readings, and one drive's estimate text.
  const std::string firstRoot = form->Rows()[0].root;
  auto p0 = Clock::now();
  for (int i = 0; i < kRounds; ++i) form->SampleHistory();
  auto p1 = Clock::now();
  for (int i = 0; i < kRounds; ++i) (void)form->EstimateText(firstRoot);
  auto p2 = Clock::now();
  std::printf("taking the readings:      %.2f us; one estimate text: %.2f us\n", MicrosPer(p1 - p0, kRounds),
              MicrosPer(p2 - p1, kRounds));
  Close(form);

  // 2. and 3. Drives that do not change: paints and object counts.
  testing::ScriptedMachine still;
  still.drives.drives['e'] = {kDriveFixed, "DATA", true, 400'000'000'000, 4'000'000'000'000};
  form = StartWindow(still);
  constexpr int kPaintTicks = 1000;
  const std::uint64_t paints0 = PaintCount();
  for (int i = 0; i < kPaintTicks; ++i) tick();
  std::printf("paints per tick, nothing changed: %.3f (%llu in %d ticks)\n",
              static_cast<double>(PaintCount() - paints0) / kPaintTicks,
              static_cast<unsigned long long>(PaintCount() - paints0), kPaintTicks);

  const int ticks = std::getenv("DORVANE_BENCH_TICKS") ? std::atoi(std::getenv("DORVANE_BENCH_TICKS")) : 100000;
  // The scripted drives record the error mode of every space query; that record is the
  // test double's, not the program's, so its room is taken before the count starts.
  still.drives.modeDuringSpaceQuery.reserve(still.drives.modeDuringSpaceQuery.size() +
                                            8 * static_cast<std::size_t>(ticks));
  const int gdi0 = testing::CountGdiObjects(), user0 = UserObjects();
  const std::size_t bytes0 = PrivateBytes();
  const auto g0 = Clock::now();
  for (int i = 0; i < ticks; ++i) tick();
  const double growthUs = MicrosPer(Clock::now() - g0, ticks);
  std::printf("%d ticks (%.1f us each, scripted drives)\n", ticks, growthUs);
  std::printf("GDI objects:   %d -> %d\n", gdi0, testing::CountGdiObjects());
  std::printf("USER objects:  %d -> %d%s\n", user0, UserObjects(),
              GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS) ? "" : " (windows of the thread)");
  std::printf("private bytes: %zu -> %zu\n", bytes0, PrivateBytes());
  std::printf("drive query threads: %d\n", form->Catalog().Queries().Watch().Threads());
  Close(form);

  TRegistry reg;
  reg.DeleteKey("Software\\DorvaneBench");
  return 0;
}
