#include "main/Dorvane.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "core/DriveTexts.h"
#include "core/FirstStart.h"
#include "core/MakerServer.h"
#include "core/ScopeExit.h"
#include "core/Text.h"
#include "errorreport/ErrorReport.h"
#include "framework/ClassBuilder.h"
#include "framework/Dialogs.h"
#include "framework/ShellServices.h"
#include "framework/SysUtils.h"
#include "framework/Trace.h"
#include "main/AboutDorvane.h"
#include "main/Form1Settings.h"

namespace dorvane {

TForm2* Form2 = nullptr;

namespace {

constexpr const char* kAutostartName = "Dorvane";

// The window's figures at 96 dpi (Scaled gives them at the window's DPI).
// The normal-view height; taller means the settings view is open.
constexpr int kCompactHeight = 143;
constexpr int kExpandedWidth = 759;
constexpr int kExpandedHeight = 448;
constexpr int kBaseWidth = 257;
constexpr int kPanelWidth = 64;
// How close the expanded window may come to the screen's right and bottom edges.
constexpr int kScreenMarginRight = 10;
constexpr int kScreenMarginBottom = 40;
// The menu's lowest opacity level ("25%").
constexpr int kLowestOpacity = 63;

// Where panel k goes when it stands right of panel k + 1 (k = 1..9): just left of its
// place in the strip, so that the layout puts it back in order.
constexpr int kPanelSlot[10] = {0, 230, 298, 362, 426, 490, 554, 618, 682, 746};

// What the window keeps through Saver is listed in main/Form1Settings.h.
using form1::kAlpha;
using form1::kFormLeft;
using form1::kFormTop;
using form1::kLabels;
using form1::kPosX;
using form1::kPosY;
using form1::kRowActive;
using form1::kRowRoot;
using form1::kTrayDriveIndex;

int Read(TFormStorage& saver, const NamedValue<int>& value) { return saver.ReadInteger(value.name, value.fallback); }
std::string Read(TFormStorage& saver, const NamedValue<const char*>& value) {
  return saver.ReadString(value.name, value.fallback);
}

// The stored property TrayDriveList.Text, read back as saved: the entry it names begins
// with its drive's root ("c:\\ SYSTEM").
constexpr const char* kTrayDriveText = "TrayDriveList_Text";

// The root at the start of a tray drive entry, empty when the text does not begin with one.
std::string RootOfEntry(const std::string& text) {
  const bool root = text.size() >= 3 && text[1] == ':' && text[2] == '\\' && (text.size() == 3 || text[3] == ' ');
  return root ? text.substr(0, 3) : std::string();
}

// The drive list shows each row's fields and, after the free size, its time to full; the
// byte counts it keeps but does not show come after that.
constexpr int kEstimateSubItem = 6;
int ListSubItemOf(int field) { return field < kEstimateSubItem ? field : field + 1; }
std::vector<std::string> ListSubItems(const DriveEntry& row, const std::string& estimate) {
  std::vector<std::string> texts = RowSubItems(row);
  texts.insert(texts.begin() + kEstimateSubItem, estimate);
  return texts;
}

// A root's time to full as a panel shows it in its hint; no hint without an estimate.
std::string PanelHint(const DriveEntry& row, const std::string& estimate) {
  return estimate.empty() ? std::string() : row.root + " " + estimate;
}

void SetHintIfChanged(TControl& control, const std::string& hint) {
  if (control.Hint() != hint) control.SetHint(hint);
}

}  // namespace

const ClassInfo& TForm1::StaticClass() {
  static const ClassInfo info = ClassBuilder<TForm1>("TForm1", &TForm::StaticClass()).Build();
  return info;
}

TForm1::TForm1(TComponent* owner, IMachine& machine)
    : TForm(owner),
      machine_(machine),
      catalog_(std::make_unique<DriveCatalog>(machine.Drives(), &ActivityTrail(), machine.DriveAnswerWait())) {
  // The drive list is built once the form is read; the drives answer meanwhile.
  catalog_->PrefetchTypes();
  InitializeForm("Form1");
}

TForm1::~TForm1() = default;

void TForm1::BindFields() {
#define DORVANE_BIND_PART(type, name) BIND(name);
  DORVANE_FORM1_PARTS(DORVANE_BIND_PART)
#undef DORVANE_BIND_PART
  Saver->SetStoredProps(form1::kStoredProps);
  for (int k = 1; k <= 10; ++k) {
    const auto i = static_cast<std::size_t>(k - 1);
    const std::string n = std::to_string(k);
    // The ninth panel's name has a capital letter; names ignore case anyway.
    Bind(DrivePanels[i], (k == 9 ? "P" : "p") + n);
    Bind(PanelLabels[i], "l" + n);
    Bind(Gauges[i], "gd" + n);
    Bind(FreeLabels[i], "fs" + n);
    Bind(DriveImages[i], "dp" + n);
  }
  // The dialog learns its drive's type as every drive answer comes, from the drive
  // queries: a drive that does not answer cannot stop the window when the warning fires.
  DiskFullDialog1->SetDriveTypeSource([this](const std::string& root) -> std::optional<unsigned> {
    const auto type = catalog_->Queries().DriveType(root);
    if (!type) return std::nullopt;
    return type->value;
  });
  // Escape hides the window to the tray, as the hide button does.
  OnEscape = [this](TObject* sender) { hide1Click(sender); };
  SetAccessibleSource([this] { return AccessibleElements(); });
}

std::vector<MethodEntry> TForm1::Methods() const {
#define DORVANE_METHOD_ENTRY(name, params) Method(#name, &TForm1::name),
  return {DORVANE_FORM1_HANDLERS(DORVANE_METHOD_ENTRY)};
#undef DORVANE_METHOD_ENTRY
}

// -- start-up and lifecycle -------------------------------------------------------------

void TForm1::FormCreate(TObject*) {
  // The error report comes first: every later step may fail and must be reported. Its
  // window is made when first needed, or once the main window has been painted.
  ErrorForm = new TErrorForm(&Application(), TErrorForm::TBuild::whenNeeded);
  ErrorForm->Hide();
  RecordEvent("program_start");

  const ScreenSize screen = machine_.Screen();
  rememberedLeft = Saver->ReadInteger(kPosX.name, screen.width / 2);
  rememberedTop = Saver->ReadInteger(kPosY.name, screen.height / 2);

  if (IsNtPlatform()) SetTransparency(Read(*Saver, kAlpha));

  ShowPicturesAtDpi();
  OnDpiChanged = [this](TObject*) { ShowPicturesAtDpi(); };

  SetDoubleBuffered(true);
  DList->SetDoubleBuffered(true);
  Panel11->SetDoubleBuffered(true);

  // Setting the box runs its click handler, which rewrites an existing entry with the
  // path of the program running now.
  CbAutoStart->SetChecked(IsInAutostart(kAutostartName));

  requiredWidth = Scaled(kBaseWidth);

  // Nothing stored yet, not even a save's version: this is the first start.
  const bool firstStart = !Saver->SavedBefore();
  Saver->RestoreStorage();

  catalog_->Rebuild(CbIgnore->Checked());
  MirrorDriveList();
  GetChecks();
  if (firstStart) MonitorOnFirstStart();

  if (CheckBox1->Checked()) CheckNewerVersion(true);

  const std::string version = GetProgramVersion();
  SpeedButton5->SetCaption("Version " + version);
  SetCaption("Dorvane v." + version);

  BtSwitch->SetCaption(Read(*Saver, kLabels));

  RecordEvent("onstartup_regcreate");
  LoadHistory();
  historyTimer_ = new TTimer(this);
  historyTimer_->SetInterval(static_cast<unsigned>(kHistorySaveSeconds) * 1000);
  historyTimer_->OnTimer = [this](TObject*) { SaveHistory(false); };
  firstRefreshPending = true;
  Timer1Timer(this);
}

void TForm1::FormShow(TObject*) {
  // A remembered place where the window could not be seen (a monitor taken away, a
  // damaged setting) is brought back onto the nearest monitor, the first-run place
  // without one; a place where it can be seen is kept.
  const ScreenSize screen = machine_.Screen();
  const ScreenPoint place = VisibleWindowPlace({rememberedLeft, rememberedTop}, Width(), Height(),
                                               machine_.WorkAreas(), {screen.width / 2, screen.height / 2});
  SetBounds(place.x, place.y, Width(), Height());
}

void TForm1::FormHide(TObject*) {
  rememberedLeft = Left();
  rememberedTop = Top();
}

void TForm1::FormClose(TObject*, TCloseAction&) {
  RecordEvent("form_close");
  Saver->WriteString(kLabels.name, BtSwitch->Caption());
  Saver->WriteInteger(kPosX.name, Left());
  Saver->WriteInteger(kPosY.name, Top());
  FadeOutHide();
}

bool TForm1::IsNtPlatform() { return machine_.IsNtPlatform(); }

void TForm1::FadeInShow(TForm& window) {
  if (!IsNtPlatform()) {
    window.Show();
    return;
  }
  if (!window.AlphaBlend()) {
    window.SetAlphaBlendValue(0);
    window.SetAlphaBlend(true);
  }
  window.Show();
  for (int v = window.AlphaBlendValue(); v <= 255; ++v) {
    window.SetAlphaBlendValue(v);
    Application().ProcessMessages();
  }
}

void TForm1::FadeOutHide() {
  if (IsNtPlatform()) {
    if (!AlphaBlend()) {
      SetAlphaBlendValue(255);
      SetAlphaBlend(true);
    }
    for (int v = AlphaBlendValue(); v >= 0; --v) {
      SetAlphaBlendValue(v);
      Application().ProcessMessages();
    }
  }
  Hide();
}

void TForm1::ComeForward() {
  if (Visible()) BringToFront();
  else show1Click(this);
}

std::vector<TAccessibleElement> TForm1::AccessibleElements() {
  std::vector<TAccessibleElement> elements;
  elements.push_back({arProgressBar, PhysMem->Caption(),
                      FreeRes->Caption() + " " + std::to_string(FreeBar->Position()) + " %", Panel2, {}});
  elements.push_back({arPushButton, SpeedButton2->Hint(), {}, SpeedButton2, [this] { GradButton1Click(SpeedButton2); }});
  // The panels in the order they stand (the layout keeps them in row order).
  const auto& rows = Rows();
  for (std::size_t i = 0; i < DrivePanels.size() && i < rows.size(); ++i)
    if (DrivePanels[i]->Visible() && rows[i].active)
      elements.push_back({arProgressBar, PanelLabels[i]->Caption(), PanelReading(rows[i]), DrivePanels[i], {}});
  elements.push_back({arPushButton, btHide->Hint(), {}, btHide, [this] { hide1Click(btHide); }});
  elements.push_back({arPushButton, btClose->Hint(), {}, btClose, [this] { btCloseClick(btClose); }});
  return elements;
}

void TForm1::RoundWindowCorners() { SetRoundedRegion(ClientRect(), Scaled(9), Scaled(9)); }

// -- the drive list mirror ----------------------------------------------------------------

void TForm1::SetRowChecked(int row, bool checked) {
  auto& rows = catalog_->Rows();
  if (row < 0 || row >= static_cast<int>(rows.size())) return;
  rows[static_cast<std::size_t>(row)].active = checked;
  if (row < DList->Items().Count()) DList->Items().Item(row)->SetChecked(checked);
}

int TForm1::TrayComboRow() const {
  const int item = TrayDriveList->ItemIndex();
  return item >= 0 && item < static_cast<int>(catalog_->Rows().size()) ? item : -1;
}

void TForm1::RearmWarning() { arming_.Rearm(catalog_->Round() + 1); }

void TForm1::MirrorDriveList() {
  DList->Items().Clear();
  for (const DriveEntry& row : catalog_->Rows()) {
    TListItem* item = DList->Items().Add();
    item->SetCaption(RowCaption(row));
    item->SubItems().SetStrings(ListSubItems(row, EstimateText(row.root)));
    item->SetImageIndex(row.imageIndex);
    item->SetChecked(row.active);
  }
  TrayDriveList->Clear();
  for (const std::string& text : catalog_->TrayComboItems()) TrayDriveList->Items().Add(text);
  explore1->Clear();
  for (const std::string& root : catalog_->ExploreRoots()) {
    auto* entry = new TMenuItem(this);
    entry->SetCaption(root);
    entry->OnClick = [this](TObject* sender) { ExploreDrive(sender); };
    explore1->Add(entry);
  }
}

void TForm1::MirrorLateAnswers() {
  // The common tick: no row waits for a drive, and the tray combo is not even asked.
  if (!catalog_->AwaitsAnswers()) return;
  const auto& rows = catalog_->Rows();
  const int trayItem = TrayDriveList->ItemIndex();
  const int trayRow = TrayComboRow();
  const std::string trayRoot = trayRow >= 0 ? rows[static_cast<std::size_t>(trayRow)].root : "";
  const DriveCatalog::LateAnswers late = catalog_->TakeLateAnswers();
  if (late.rowsRemoved) {
    // A drive that answered as one the list does not take: its row goes, the others keep
    // their check marks and the tray drive choice.
    MirrorDriveList();
    if (const int row = catalog_->RowOf(trayRoot); row >= 0) TrayDriveList->SetItemIndex(row);
    return;
  }
  if (!late.textsChanged) return;
  const auto& items = catalog_->TrayComboItems();
  const int n = std::min(DList->Items().Count(), static_cast<int>(rows.size()));
  for (int i = 0; i < n; ++i) {
    const DriveEntry& row = rows[static_cast<std::size_t>(i)];
    TListItem* item = DList->Items().Item(i);
    for (int c = 1; c <= 2; ++c)
      if (const std::string text = RowSubItem(row, c); item->SubItems().Get(c) != text) item->SubItems().Put(c, text);
    if (item->ImageIndex() != row.imageIndex) item->SetImageIndex(row.imageIndex);
    if (TrayDriveList->Items().Get(i) != items[static_cast<std::size_t>(i)]) {
      TrayDriveList->Items().Put(i, items[static_cast<std::size_t>(i)]);
      if (i == trayItem) TrayDriveList->SetItemIndex(i);
    }
  }
}

void TForm1::MirrorFigures() {
  const auto& rows = catalog_->Rows();
  const int n = std::min(DList->Items().Count(), static_cast<int>(rows.size()));
  for (int i = 0; i < n; ++i) {
    const DriveEntry& row = rows[static_cast<std::size_t>(i)];
    TStrings& sub = DList->Items().Item(i)->SubItems();
    // Only the figure columns change on a refresh; the list view skips unchanged texts.
    for (int c = 3; c < kRowSubItemCount && ListSubItemOf(c) < sub.Count(); ++c)
      if (const std::string text = RowSubItem(row, c); sub.Get(ListSubItemOf(c)) != text) sub.Put(ListSubItemOf(c), text);
    if (kEstimateSubItem < sub.Count())
      if (const std::string text = EstimateText(row.root); sub.Get(kEstimateSubItem) != text)
        sub.Put(kEstimateSubItem, text);
  }
}

// -- the one-second refresh ----------------------------------------------------------------

void TForm1::Timer1Timer(TObject*) {
  RecordEvent("timer1");
  // One round of drive answers per tick, its queries handed to the worker together: the
  // tray drive's space, and the checked rows' while the list is refreshed (when visible).
  // The tick waits for the drives only briefly.
  catalog_->BeginRound(TrayRoundDrive(), Visible());
  MirrorLateAnswers();
  RefreshDrives();
  SampleHistory();
  LayoutDrivePanels();
  // Only ever wider: the settings view is wider than any row of panels.
  if (Width() < requiredWidth) SetWidth(requiredWidth);
  UpdateHistoryChart();
  RecordEvent("mem_load");
  ShowMemoryLoad();
}

void TForm1::RefreshDrives() {
  RecordEvent("get_free_spaces");
  if (CbShowTray->Checked()) {
    UpdateTray();
  } else {
    TrayIcon->SetIconIndexAndHint(0, TrayHint(TooltipWithEstimates(DriveLines(catalog_->Rows()), LineEstimates())));
  }
  if (Visible()) {
    if (catalog_->RefreshDriveEntries()) MirrorFigures();
    if (firstRefreshPending) {
      // Cleared first: the fade of the hide processes messages, and a tick then must
      // not restore and hide a second time.
      firstRefreshPending = false;
      RecordEvent("saver_restor");
      Saver->RestoreStorage();
      if (CbHidden->Checked()) hide1Click(this);
    }
  }
}

std::optional<std::uint8_t> TForm1::TrayRoundDrive() {
  if (!CbShowTray->Checked()) return std::nullopt;
  return trayDriveNumber;
}

void TForm1::UpdateTray() {
  RecordEvent("set_tray");
  // The combo's text first: meanwhile the worker reads the drive for this round.
  const std::string trayText = TrayDriveList->Text();
  TrayFigures figures = ComputeTrayFigures(catalog_->Rows(), trayText, catalog_->LatestSpace(trayDriveNumber));
  std::vector<std::string> estimates = LineEstimates();
  estimates.push_back(EstimateText(TrayRoot()));
  figures.tooltip = TooltipWithEstimates(figures.tooltip, estimates);
  TrayIcon->SetIconIndexAndHint(figures.iconIndex, TrayHint(figures.tooltip));
  // A drive whose figures could not be read is not tested; the arming waits for figures,
  // and, with "or full within" on, for the drive's estimate.
  if (!arming_.WillTest(CbWarning->Checked(), figures)) return;
  const WarningSettings settings = CurrentWarningSettings();
  const std::string root = TrayRoot();
  const FullEstimate estimate = root.empty() ? FullEstimate{} : history_.Estimate(root, machine_.Now());
  if (WarningAwaitsEstimate(figures.freePct, figures.space.freeBytes, estimate, settings)) return;
  RecordEvent("warn_space");
  arming_.Take(true, figures);
  const WarningRule rule = LowSpaceWarning(figures.freePct, figures.space.freeBytes, estimate, settings);
  if (rule != WarningRule::kNone) GiveLowSpaceWarning(figures, WarningLine(rule, settings, estimate));
}

WarningSettings TForm1::CurrentWarningSettings() const {
  WarningSettings settings;
  settings.thresholdPct = TbWT->Position();
  settings.belowSizeOn = CbBelowSize->Checked();
  settings.belowGb = ChoiceAt(kBelowGbChoices, TbBelowSize->Position());
  settings.fullWithinOn = CbFullWithin->Checked();
  settings.fullWithinHours = ChoiceAt(kFullWithinHourChoices, TbFullWithin->Position());
  return settings;
}

void TForm1::GiveLowSpaceWarning(const TrayFigures& figures, const std::string& line) {
  TraceMark("low-space warning: " + line);
  const std::string sound = SoundEdit->Filename();
  const bool playsSound = CbSnd->Checked() && machine_.Shell().FileExists(sound);
  // One warning, one sound: the user's wave file, when it plays, instead of the shell's.
  TrayIcon->ShowBalloon(kLowSpaceTitle, LowSpaceBalloonText(figures.tooltip, line), bitWarning, 20,
                        playsSound ? TNotifyTrayIcon::bsSilent : TNotifyTrayIcon::bsShellSound);
  if (playsSound) PlayWarningSound(sound);
  if (cbSD->Checked()) {
    RecordEvent("disk_full_dialog");
    ShowDiskFullDialog();
  }
  RecordEvent("exec_warning_app");
  const std::string program = ExecEdit->Filename();
  if (CbExec->Checked() && machine_.Shell().FileExists(program)) RunWarningProgram(program);
}

// -- the free-space history chart ------------------------------------------------------

void TForm1::UpdateHistoryChart() {
  if (!Visible() || Height() <= Scaled(kCompactHeight)) return;
  const auto& rows = catalog_->Rows();
  const TListItem* selected = DList->Selected();
  const int row = selected ? selected->Index() : -1;
  const std::string root = row >= 0 && row < static_cast<int>(rows.size()) ? rows[static_cast<std::size_t>(row)].root
                                                                          : TrayRoot();
  const FreeSpaceSeries* series = root.empty() ? nullptr : history_.Find(root);
  const std::string key = root + "|" + std::to_string(static_cast<int>(chartSpan_)) + "|" +
                          (series && !series->Empty() ? std::to_string(series->NewestMinute()) : "-") + "|" +
                          std::to_string(TbWT->Position());
  if (key == chartKey_) return;
  chartKey_ = key;
  const int w = HistoryChart->Width(), h = HistoryChart->Height();
  if (w < 4 || h < 4) return;
  // Inside a one-pixel frame, as the list beside it.
  const ChartPlot plot = PlotHistory(series, root, chartSpan_, w - 2, h - 2, TbWT->Position());
  auto bitmap = std::make_unique<TBitmap>(w, h);
  TCanvas& canvas = bitmap->Canvas();
  canvas.Brush().SetColor(clWhite);
  canvas.Pen().SetColor(clGray);
  canvas.Rectangle(0, 0, w, h);
  if (plot.levelY >= 0) {
    canvas.Pen().SetColor(clRed);
    canvas.Pen().SetStyle(psDot);
    canvas.MoveTo(1, 1 + plot.levelY);
    canvas.LineTo(w - 1, 1 + plot.levelY);
    canvas.Pen().SetStyle(psSolid);
  }
  // The gauges' blue-green of a drive with room to spare.
  canvas.Pen().SetColor(0x00D08000);
  for (const std::vector<ChartPoint>& run : plot.runs) {
    canvas.MoveTo(1 + run.front().x, 1 + run.front().y);
    for (const ChartPoint& p : run) canvas.LineTo(1 + p.x, 1 + p.y);
    canvas.LineTo(2 + run.back().x, 1 + run.back().y);  // the last pixel too
  }
  canvas.Font().Assign(Font());
  canvas.TextOut(Scaled(4), Scaled(2), plot.caption);
  HistoryChart->Picture().SetGraphic(std::move(bitmap));
}

void TForm1::HistoryChartClick(TObject*) {
  chartSpan_ = chartSpan_ == ChartSpan::kDay ? ChartSpan::kMonth : ChartSpan::kDay;
  UpdateHistoryChart();
}

std::vector<std::string> TForm1::LineEstimates() {
  std::vector<std::string> texts;
  for (const DriveEntry& row : catalog_->Rows())
    if (row.active) texts.push_back(EstimateText(row.root));
  return texts;
}

std::string TForm1::TrayRoot() const {
  for (const DriveEntry& row : catalog_->Rows())
    if (row.number == trayDriveNumber) return row.root;
  return std::string();
}

void TForm1::ShowMemoryLoad() {
  const MemoryReadout readout = ReadMemory(machine_.Memory());
  PhysMem->SetCaption(readout.caption);
  FreeBar->SetPosition(readout.load);
}

// -- drive panels and the drive list -------------------------------------------------------

void TForm1::LayoutDrivePanels() {
  requiredWidth = Scaled(kBaseWidth);
  const auto& rows = Rows();
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const int k = static_cast<int>(i) + 1;
    if (rows[i].active) {
      ShowDrivePanel(k);
      requiredWidth += Scaled(kPanelWidth);
    } else {
      HideDrivePanel(k);
    }
  }
  OrderDrivePanels();
  RoundWindowCorners();
}

void TForm1::ShowDrivePanel(int k) {
  RecordEvent("set_active_" + std::to_string(k));
  const DriveEntry& row = catalog_->Rows().at(static_cast<std::size_t>(k - 1));
  if (k < 1 || k > 10) return;
  const auto i = static_cast<std::size_t>(k - 1);
  DrivePanels[i]->SetVisible(true);
  PanelLabels[i]->SetCaption(PanelCaption(row, BtSwitch->Caption() == "labels"));
  FreeLabels[i]->SetCaption(FreeSizeText(row));
  const std::string hint = PanelHint(row, EstimateText(row.root));
  for (TControl* part : {static_cast<TControl*>(DrivePanels[i]), static_cast<TControl*>(PanelLabels[i]),
                         static_cast<TControl*>(Gauges[i]), static_cast<TControl*>(FreeLabels[i])})
    SetHintIfChanged(*part, hint);
  TGauge& gauge = *Gauges[i];
  const GaugeFigures figures = PanelGauge(row);
  gauge.SetMaxValue(figures.maxValue);
  gauge.SetProgress(figures.progress);
  ColourGauge(gauge);
}

void TForm1::HideDrivePanel(int k) {
  if (k >= 1 && k <= 10) DrivePanels[static_cast<std::size_t>(k - 1)]->SetVisible(false);
}

void TForm1::OrderDrivePanels() {
  for (int k = 1; k <= 9; ++k) {
    TPanel* panel = DrivePanels[static_cast<std::size_t>(k - 1)];
    TPanel* next = DrivePanels[static_cast<std::size_t>(k)];
    if (next->Left() < panel->Left()) panel->SetLeft(Scaled(kPanelSlot[k]));
  }
  // The pass above leaves the strip out of order when a panel shown again kept the
  // place it had long before (it wins the tie with the panel now standing there). Then
  // each shown panel, in order, is put past the end of the strip: the layout appends it
  // after the others, so they end up p1 .. p10.
  int lastLeft = -1;
  bool inOrder = true;
  for (TPanel* panel : DrivePanels) {
    if (!panel->Visible()) continue;
    inOrder = inOrder && panel->Left() > lastLeft;
    lastLeft = panel->Left();
  }
  if (inOrder) return;
  const int beyond = Panel11->Width() + Scaled(kPanelWidth) * 11;
  for (TPanel* panel : DrivePanels)
    if (panel->Visible()) panel->SetLeft(beyond);
}

void TForm1::ColourGauge(TGauge& gauge) {
  const int p = gauge.PercentDone();
  const int red = std::clamp(255 - 2 * p, 0, 255);
  const int green = std::clamp(4 * p, 0, 255);
  const int blue = std::clamp(p + 12, 0, 255);
  gauge.SetForeColor(red + green * 256 + blue * 65536);
}

void TForm1::BtSwitchClick(TObject*) { BtSwitch->SetCaption(BtSwitch->Caption() != "labels" ? "labels" : "letters"); }

void TForm1::DListClick(TObject*) { SaveChecks(); }

void TForm1::DListItemChecked(TObject*, TListItem* item) {
  // The rows hold the check marks; the list shows them and reports the user's ticks here.
  auto& rows = catalog_->Rows();
  const int row = item->Index();
  if (row >= 0 && row < static_cast<int>(rows.size())) rows[static_cast<std::size_t>(row)].active = item->Checked();
}

void TForm1::DListSelectItem(TObject*, TListItem* item, bool) {
  RecordEvent("select_for_tray");
  const int row = item->Index();
  const auto& rows = catalog_->Rows();
  if (row < 0 || row >= static_cast<int>(rows.size())) return;
  const DriveEntry& entry = rows[static_cast<std::size_t>(row)];
  SelectTrayDrive(entry.number, entry.root, entry.label);
  UpdateHistoryChart();
}

void TForm1::SelectTrayDrive(int number, const std::string&, const std::string&) {
  trayDriveNumber = static_cast<std::uint8_t>(number);
}

void TForm1::TrayDriveListChange(TObject*) {
  RecordEvent("drivelist_change");
  const int k = TrayDriveList->ItemIndex();
  const auto& rows = catalog_->Rows();
  if (k == -1 || k >= static_cast<int>(rows.size())) return;
  trayDriveNumber = static_cast<std::uint8_t>(rows[static_cast<std::size_t>(k)].number);
  RearmWarning();
}

void TForm1::SpeedButton3Click(TObject*) {
  // One rebuild at a time: one asked for while a rebuild runs (a device report handled
  // in the middle of it) runs once it has ended, from the marks it put back, instead of
  // saving the half-restored ones over them.
  if (rebuilding_) {
    rebuildAgain_ = true;
    return;
  }
  rebuilding_ = true;
  const auto done = OnScopeExit([this] { rebuilding_ = false; });
  do {
    rebuildAgain_ = false;
    RebuildDriveList();
  } while (rebuildAgain_);
}

void TForm1::RebuildDriveList() {
  RecordEvent("rebuild_drivelist");
  for (int k = 1; k <= 10; ++k) HideDrivePanel(k);
  SaveChecks();
  Timer1->SetEnabled(false);
  // The timer restarts on every way out: a failed rebuild must not stop the refresh.
  const auto restart = OnScopeExit([this] { Timer1->SetEnabled(true); });
  Saver->WriteInteger(kTrayDriveIndex.name, TrayDriveList->ItemIndex());
  const int trayRow = TrayComboRow();
  const std::string trayRoot = trayRow >= 0 ? Rows()[static_cast<std::size_t>(trayRow)].root : "";
  // All or nothing: a rebuild that fails leaves the catalogue as it was, and with it the
  // list, the tray combo and the explore menu, which are mirrored only after success.
  catalog_->Rebuild(CbIgnore->Checked());
  MirrorDriveList();
  GetChecks();
  // The combo names the drive it named before, wherever its row stands now; when that
  // drive has gone, the stored position stands. Selected by program: the change handler
  // does not run and the tray keeps its drive.
  const int row = catalog_->RowOf(trayRoot);
  TrayDriveList->SetItemIndex(row >= 0 ? row : Read(*Saver, kTrayDriveIndex));
}

void TForm1::ExploreDrive(TObject* sender) {
  auto* entry = dynamic_cast<TMenuItem*>(sender);
  if (!entry) return;
  // Our menus carry the root path as it is (no accelerator marker is inserted).
  const std::string root = entry->Caption();
  ShellStarter1->SetDefaultDir(root);
  ShellStarter1->SetCommand(root);
  ShellStarter1->Start();
}

// Drives that come and go: the notifier also reports whole volumes (a stick plugged in,
// a network drive mapped) and gathers a burst of broadcasts into one report, so the list
// follows the drives with one rebuild per burst.
// A report while the window is being destroyed (the program ends) changes nothing.
void TForm1::DeviceChanged1DeviceArrived(TObject* sender, char) {
  if (!IsDestroying()) SpeedButton3Click(sender);
}

void TForm1::DeviceChanged1DeviceRemoveCompleted(TObject* sender, char) {
  if (!IsDestroying()) SpeedButton3Click(sender);
}

// The notifier listens only once the window has been painted; a drive that came or went
// before that (network drives reconnecting at log-on) sent its broadcast to nobody.
void TForm1::DeviceChanged1Listening(TObject* sender) {
  if (!IsDestroying() && catalog_->DriveSetChanged()) SpeedButton3Click(sender);
}

void TForm1::Panel2Click(TObject*) { RecordEvent("parse_d_list"); }

// -- settings ---------------------------------------------------------------------------------

void TForm1::GradButton1Click(TObject*) {
  RearmWarning();
  RecordEvent("settings_click");
  const ScreenSize screen = machine_.Screen();
  if (Height() <= Scaled(kCompactHeight)) {
    Saver->WriteInteger(kFormTop.name, Top());
    Saver->WriteInteger(kFormLeft.name, Left());
    SetWidth(Scaled(kExpandedWidth));
    const int right = screen.width - Scaled(kScreenMarginRight);
    if (Left() + Width() > right) SetLeft(right - Width());
    SetHeight(Scaled(kExpandedHeight));
    const int bottom = screen.height - Scaled(kScreenMarginBottom);
    if (Top() + Height() > bottom) SetTop(bottom - Height());
    Repaint();
  } else {
    // Keys must not reach a control folded out of sight.
    if (PanelSettings->ContainsFocus()) SetFocus();
    SetBounds(Left(), Top(), requiredWidth, Scaled(kCompactHeight));
    SetTop(Saver->ReadInteger(kFormTop.name, Top()));
    SetLeft(Saver->ReadInteger(kFormLeft.name, Left()));
    RecordEvent("saver_save");
    Saver->SaveStorage();
  }
  RoundWindowCorners();
}

void TForm1::TbWTChange(TObject*) {
  CbWarning->SetCaption("warning on low space (" + std::to_string(TbWT->Position()) + "%)");
}

void TForm1::CbWarningClick(TObject*) { RearmWarning(); }

// The rules for big disks show their figures in their captions, as the threshold does.
void TForm1::TbBelowSizeChange(TObject*) {
  CbBelowSize->SetCaption(BelowSizeCaption(ChoiceAt(kBelowGbChoices, TbBelowSize->Position())));
}

void TForm1::TbFullWithinChange(TObject*) {
  CbFullWithin->SetCaption(FullWithinCaption(ChoiceAt(kFullWithinHourChoices, TbFullWithin->Position())));
}

void TForm1::CbShowTrayClick(TObject*) {
  if (CbShowTray->Checked()) {
    catalog_->BeginRound(TrayRoundDrive(), false);  // a fresh reading, not the last tick's
    UpdateTray();
  } else {
    TrayIcon->SetIconIndex(0);
  }
  TrayDriveList->SetEnabled(CbShowTray->Checked());
}

void TForm1::SoundEditBrowse(TObject*) {
  RecordEvent("sound_browse");
  PlayWarningSound(SoundEdit->Filename());
  SoundEdit->SetHint(SoundEdit->Filename());
}

void TForm1::ExecEditBrowse(TObject*) { ExecEdit->SetHint(ExecEdit->Filename()); }

void TForm1::CbIgnoreClick(TObject* sender) { SpeedButton3Click(sender); }

void TForm1::SpeedButton1Click(TObject*) {
  for (int i = 0; i < static_cast<int>(catalog_->Rows().size()); ++i) SetRowChecked(i, true);
}

void TForm1::SpeedButton4Click(TObject*) {
  for (int i = 0; i < static_cast<int>(catalog_->Rows().size()); ++i) SetRowChecked(i, false);
  for (int k = 1; k <= 10; ++k) HideDrivePanel(k);
}

void TForm1::SaveChecks() {
  RecordEvent("save_checks");
  const auto& rows = Rows();
  for (std::size_t i = 0; i < rows.size(); ++i) {
    Saver->WriteString(kRowActive.Name(static_cast<int>(i)), rows[i].active ? "true" : "false");
    Saver->WriteString(kRowRoot.Name(static_cast<int>(i)), rows[i].root);
  }
}

void TForm1::GetChecks() {
  RecordEvent("get_checks");
  const int n = static_cast<int>(catalog_->Rows().size());
  if (Saver->ReadString(kRowRoot.Name(0), kRowRoot.fallback).empty()) {
    // Stored without roots (by an older version): by position, as they were.
    for (int i = 0; i < n; ++i)
      if (Saver->ReadString(kRowActive.Name(i), kRowActive.fallback) == "true") SetRowChecked(i, true);
    return;
  }
  // Each mark goes to the drive stored beside it, wherever its row stands now. The rows
  // stored last come first; after them stand older ones of drives that have not been
  // seen since, whose marks they get back when they return.
  std::vector<bool> restored(static_cast<std::size_t>(n));
  for (int i = 0; i < DriveSlotTable::kCount; ++i) {
    const std::string root = Saver->ReadString(kRowRoot.Name(i), kRowRoot.fallback);
    if (root.empty()) break;
    const int row = catalog_->RowOf(root);
    if (row < 0 || restored[static_cast<std::size_t>(row)]) continue;
    restored[static_cast<std::size_t>(row)] = true;
    if (Saver->ReadString(kRowActive.Name(i), kRowActive.fallback) == "true") SetRowChecked(row, true);
  }
}

void TForm1::MonitorOnFirstStart() {
  RecordEvent("first_start");
  const FirstStartChoice choice =
      ChooseFirstStartDrives(Rows(), machine_.SystemDriveRoot(), static_cast<int>(DrivePanels.size()));
  for (const int row : choice.checkedRows) SetRowChecked(row, true);
  if (choice.trayRow >= 0) {
    // Set by program, each as the user's click would: the tray drive, the tray shown and
    // the warning armed at the designed threshold.
    TrayDriveList->SetItemIndex(choice.trayRow);
    TrayDriveListChange(this);
    CbShowTray->SetChecked(true);
    CbWarning->SetChecked(true);
  }
  // Kept like any choice of the user's; the next start is not a first one.
  Saver->SaveStorage();
}

void TForm1::SaverSavePlacement(TObject*) { SaveChecks(); }

void TForm1::SaverRestorePlacement(TObject* sender) {
  RecordEvent("saver_onrestore");
  // The restored choice goes to the drive its stored entry names, wherever that drive's
  // row stands now; without such a row the stored position stands, as it always did.
  const int row = catalog_->RowOf(RootOfEntry(Saver->ReadString(kTrayDriveText, "")));
  if (row >= 0) TrayDriveList->SetItemIndex(row);
  TrayDriveListChange(sender);
}

// -- tray presence, window modes and menus ----------------------------------------------------

void TForm1::show1Click(TObject*) { FadeInShow(*this); }

void TForm1::hide1Click(TObject*) { FadeOutHide(); }

void TForm1::TrayIconClick(TObject* sender) {
  if (Visible()) hide1Click(sender);
  else show1Click(sender);
}

void TForm1::close1Click(TObject*) { Close(); }
void TForm1::exit1Click(TObject*) { Close(); }
void TForm1::btCloseClick(TObject*) { Close(); }

void TForm1::PopupMenu2Popup(TObject*) { transparency1->SetVisible(IsNtPlatform()); }

void TForm1::N1001Click(TObject*) { SetTransparency(255); }
void TForm1::N751Click(TObject*) { SetTransparency(190); }
void TForm1::N501Click(TObject*) { SetTransparency(127); }
void TForm1::N251Click(TObject*) { SetTransparency(kLowestOpacity); }

void TForm1::SetTransparency(int level) {
  if (!IsNtPlatform()) return;
  // An opacity is a byte, and one below the lowest level the menu offers is none the user
  // chose: a damaged setting must not hide the window at every start. Both are taken as
  // fully opaque.
  if (level < kLowestOpacity || level > 255) level = 255;
  SetAlphaBlend(true);
  SetAlphaBlendValue(level);
  Saver->WriteInteger(kAlpha.name, level);
}

void TForm1::ITMMouseDown(TObject*, TMouseButton, TShiftState, int, int) { BeginMoveByMouse(); }

// -- shell actions, version check, about box ---------------------------------------------------

bool TForm1::IsInAutostart(const std::string& name) {
  RecordEvent("is_app_in_run");
  return dorvane::IsInAutostart(machine_, name);
}

void TForm1::AddToAutostart(const std::string& name, const std::string& data) {
  RecordEvent("do_app_to_run");
  dorvane::AddToAutostart(machine_, name, data);
}

void TForm1::RemoveFromAutostart(const std::string& name) {
  RecordEvent("del_app_from_run");
  dorvane::RemoveFromAutostart(machine_, name);
}

void TForm1::CbAutoStartClick(TObject*) {
  RecordEvent("autostart_click");
  if (CbAutoStart->Checked()) AddToAutostart(kAutostartName, "\"" + ExecutablePath() + "\"");
  else RemoveFromAutostart(kAutostartName);
}

void TForm1::EmptyRecycleBin() {
  RecordEvent("empty_bin");
  if (!EmptyAllRecycleBins(Application().Desktop().ShellServices(), Application().Handle()))
    MessageDlg("Failed to load Shell32.dll.", mtError, MB_OK);
}

void TForm1::emptyrecyclebin1Click(TObject*) { EmptyRecycleBin(); }
void TForm1::emptyrecyclebin3Click(TObject*) { EmptyRecycleBin(); }

void TForm1::PlayWarningSound(const std::string& path) {
  RecordEvent("play_snd");
  if (!machine_.Shell().FileExists(path)) return;
  Wave->LoadFromFile(path);
  Wave->Play();
}

void TForm1::RunWarningProgram(const std::string& path) {
  if (machine_.Shell().FileExists(path)) OpenWithDefaultAction(Application().Desktop().ShellServices(), Handle(), path);
}

void TForm1::Dorvanev31Click(TObject*) {
  RecordEvent("go_web");
  Application().Desktop().OpenDocument("http://" + MakerServer() + "/enter.php?ref=Dorvane3");
}

void TForm1::ShowDiskFullDialog() {
  // The dialog keeps its drive C: it is shown when C is a fixed disk, whichever drive
  // runs low.
  DiskFullDialog1->Execute();
}

std::string TForm1::GetProgramVersion() {
  RecordEvent("get_version");
  // The running program's version cannot change: its file is read once.
  static const std::string version = FileVersionText(ExecutablePath());
  return version;
}

void TForm1::CheckNewerVersion(bool quiet) {
  RecordEvent(quiet ? "version_check_-1" : "version_check_0");
  const std::string version = GetProgramVersion();
  quietVersionCheck = quiet;
  UPDATER->WaitThread = quiet;
  UPDATER->URL = "http://" + MakerServer() + "/php/versioncheck.php?program=Dorvane&version=" + version;
  const int check = ++versionChecks_;
  if (quiet) {
    // The start-up check's transfer begins once the window has been painted: starting one
    // loads the network libraries, and the window thread would wait for the loader
    // meanwhile. A check asked for before then takes its place.
    Application().Later(this, [this, check] {
      if (check == versionChecks_) UPDATER->GetString();
    });
    return;
  }
  UPDATER->GetString();  // ignored while a check still runs; the quiet flag is set all the same
}

void TForm1::UPDATERDoneString(TObject*, const std::string& result) {
  const std::string reply = Trim(result);
  if (reply.rfind("http://", 0) == 0) {
    // A download address: offered whether or not the check was asked for.
    // Only a Yes downloads and closes: a box closed any other way keeps the program.
    if (MessageDlg("A newer version is available, do you want to close this program and download the installer now?",
                   mtConfirmation, MB_YESNO) != IDYES)
      return;
    Application().Desktop().OpenDocument(reply);
    Close();
  } else if (!quietVersionCheck) {
    ShowMessage(reply);
  }
}

void TForm1::checkfornewerversion1Click(TObject*) { CheckNewerVersion(false); }
void TForm1::SpeedButton5Click(TObject*) { CheckNewerVersion(false); }

void TForm1::Image1Click(TObject*) {
  // Made when first asked for: nothing of it is needed to start.
  if (!Form2) Form2 = Application().CreateForm<TForm2>();
  Form2->ShowModal();
}

}  // namespace dorvane
