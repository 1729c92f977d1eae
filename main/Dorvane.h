#pragma once
// The main window: a borderless, skinned, always-on-top strip that shows the monitored
// drives and the memory readout, expands to the settings view, and lives in the tray.
#include <array>
#include <memory>
#include <optional>
#include <string>

#include "components/DeviceChanged.h"
#include "components/FormPlacement.h"
#include "components/HTTPGet.h"
#include "components/NotifyTrayIcon.h"
#include "components/ShellStarter.h"
#include "components/WaveComp.h"
#include "components/WinDialogs.h"
#include "controls/FileOpenEdit.h"
#include "controls/Gauges.h"
#include "controls/GradientButton.h"
#include "controls/GradientFill.h"
#include "controls/SpecialProgress.h"
#include "controls/StyledMenus.h"
#include "core/DriveCatalog.h"
#include "core/DriveQueries.h"
#include "core/FreeSpaceHistory.h"
#include "core/HistoryChart.h"
#include "core/Machine.h"
#include "core/TrayFigures.h"
#include "core/WarningRule.h"
#include "framework/CheckBox.h"
#include "framework/ComboBox.h"
#include "framework/Forms.h"
#include "framework/Image.h"
#include "framework/Label.h"
#include "framework/ListView.h"
#include "framework/Menus.h"
#include "framework/Panel.h"
#include "framework/SpeedButton.h"
#include "framework/Timer.h"
#include "framework/TrackBar.h"
#include "main/OrvikSystemsWeblink.h"

namespace dorvane {

// The main window's parts from its form description, type and name, each named once:
// the fields and their binding are made from this list (the drive panels' arrays are
// bound by number).
#define DORVANE_FORM1_PARTS(X) \
  /* Skin and structure. */ \
  X(TPanel, MainPanel) \
  X(TPanel, TopPanel) \
  X(TPanel, BottomPanel) \
  X(TPanel, ToolPanel) \
  X(TPanel, Panel4) \
  X(TPanel, Panel10) \
  X(TPanel, Panel11) \
  X(TPanel, Panel2) \
  X(TPanel, Panel3) \
  X(TPanel, PanelSettings) \
  X(TPanel, Panel5) \
  X(TPanel, Panel7) \
  X(TImage, IL) \
  X(TImage, IR) \
  X(TImage, ITL) \
  X(TImage, ITM) \
  X(TImage, ITR) \
  X(TImage, IBL) \
  X(TImage, IB) \
  X(TImage, IBR) \
  X(TImage, ITBL) \
  X(TImage, ITBM) \
  X(TImage, ITBR) \
  X(TGradientButton, btHide) \
  X(TGradientButton, btClose) \
  /* Status panel. */ \
  X(TImage, Image1) \
  X(TLabel, PhysMem) \
  X(TLabel, FreeRes) \
  X(TSpecialProgress, FreeBar) \
  X(TGradientFill, GradientFill2) \
  X(TSpeedButton, BtSwitch) \
  X(TSpeedButton, SpeedButton2) \
  X(TOrvikSystemsWeblink, OrvikSystemsWeblink1) \
  /* Settings view. */ \
  X(TCheckBox, CbAutoStart) \
  X(TCheckBox, CbHidden) \
  X(TCheckBox, CbIgnore) \
  X(TCheckBox, CheckBox1) \
  X(TSpeedButton, SpeedButton5) \
  X(TGradientFill, GradientFill1) \
  X(TSpeedButton, SpeedButton3) \
  X(TSpeedButton, SpeedButton4) \
  X(TSpeedButton, SpeedButton1) \
  X(TCheckBox, CbShowTray) \
  X(TComboBox, TrayDriveList) \
  X(TCheckBox, CbWarning) \
  X(TLabel, Label2) \
  X(TTrackBar, TbWT) \
  X(TCheckBox, CbSnd) \
  X(TFileOpenEdit, SoundEdit) \
  X(TCheckBox, CbExec) \
  X(TFileOpenEdit, ExecEdit) \
  X(TCheckBox, cbSD) \
  X(TCheckBox, CbBelowSize) \
  X(TTrackBar, TbBelowSize) \
  X(TCheckBox, CbFullWithin) \
  X(TTrackBar, TbFullWithin) \
  X(TImage, HistoryChart) \
  X(TListView, DList) \
  X(TImageList, DListImages) \
  /* Components. */ \
  X(TFormStorage, Saver) \
  X(TTimer, Timer1) \
  X(TNotifyTrayIcon, TrayIcon) \
  X(TImageList, TrayIcons) \
  X(TPopupMenu, PopupMenu2) \
  X(TMenuItem, explore1) \
  X(TMenuItem, transparency1) \
  X(TStyledPopupMenu, DLMenu) \
  X(TStyledPopupMenu, TrayMnu) \
  X(TDeviceChanged, DeviceChanged1) \
  X(TDiskFullDialog, DiskFullDialog1) \
  X(TWaveComp, Wave) \
  X(TShellStarter, ShellStarter1) \
  X(THTTPGet, UPDATER)

// The main window's handlers, the ones its form description names, each named once:
// the declarations and the method table are made from this list. Beside each: what
// calls it (control.Event; the menus: PopupMenu2 the window's, TrayMnu the tray icon's,
// DLMenu the drive list's).
#define DORVANE_FORM1_HANDLERS(X) \
  /* The window. */ \
  X(FormCreate, (TObject* sender))                         /* Form1.OnCreate */ \
  X(FormShow, (TObject* sender))                           /* Form1.OnShow */ \
  X(FormHide, (TObject* sender))                           /* Form1.OnHide */ \
  X(FormClose, (TObject* sender, TCloseAction& action))    /* Form1.OnClose */ \
  X(Timer1Timer, (TObject* sender))                        /* Timer1.OnTimer */ \
  X(ITMMouseDown, (TObject* sender, TMouseButton button, TShiftState shift, int x, int y)) \
      /* OnMouseDown of the drag surfaces ITM, ITBM, IL, IR, p1, PanelSettings, Panel7, Panel5 */ \
  X(btCloseClick, (TObject* sender))                       /* btClose.OnClick */ \
  /* Status panel and drive panels. */ \
  X(BtSwitchClick, (TObject* sender))                      /* BtSwitch.OnClick */ \
  X(Panel2Click, (TObject* sender))                        /* Panel2.OnClick */ \
  X(Image1Click, (TObject* sender))                        /* Image1.OnClick, p1..p10.OnDblClick, about1 (PopupMenu2) */ \
  X(GradButton1Click, (TObject* sender))                   /* SpeedButton2.OnClick */ \
  /* Settings view and the drive list. */ \
  X(DListClick, (TObject* sender))                         /* DList.OnClick */ \
  X(DListItemChecked, (TObject* sender, TListItem* item))  /* DList.OnItemChecked */ \
  X(DListSelectItem, (TObject* sender, TListItem* item, bool selected)) /* DList.OnSelectItem */ \
  X(TrayDriveListChange, (TObject* sender))                /* TrayDriveList.OnChange */ \
  X(SpeedButton3Click, (TObject* sender))                  /* SpeedButton3.OnClick, rebuilddrivelist1 (DLMenu) */ \
  X(SpeedButton1Click, (TObject* sender))                  /* SpeedButton1.OnClick, selectall1 (DLMenu) */ \
  X(SpeedButton4Click, (TObject* sender))                  /* SpeedButton4.OnClick, selectnone1 (DLMenu) */ \
  X(TbWTChange, (TObject* sender))                         /* TbWT.OnChange */ \
  X(CbWarningClick, (TObject* sender))                     /* CbWarning, CbSnd, CbExec .OnClick */ \
  X(TbBelowSizeChange, (TObject* sender))                  /* TbBelowSize.OnChange */ \
  X(TbFullWithinChange, (TObject* sender))                 /* TbFullWithin.OnChange */ \
  X(HistoryChartClick, (TObject* sender))                  /* HistoryChart.OnClick */ \
  X(CbShowTrayClick, (TObject* sender))                    /* CbShowTray.OnClick */ \
  X(SoundEditBrowse, (TObject* sender))                    /* SoundEdit.OnBrowse */ \
  X(ExecEditBrowse, (TObject* sender))                     /* ExecEdit.OnBrowse */ \
  X(CbIgnoreClick, (TObject* sender))                      /* CbIgnore.OnClick */ \
  X(CbAutoStartClick, (TObject* sender))                   /* CbAutoStart.OnClick */ \
  X(SpeedButton5Click, (TObject* sender))                  /* SpeedButton5.OnClick (the version) */ \
  /* Components. */ \
  X(DeviceChanged1DeviceArrived, (TObject* sender, char drive))         /* DeviceChanged1.OnDeviceArrived */ \
  X(DeviceChanged1DeviceRemoveCompleted, (TObject* sender, char drive)) /* DeviceChanged1.OnDeviceRemoveCompleted */ \
  X(DeviceChanged1Listening, (TObject* sender))            /* DeviceChanged1.OnListening */ \
  X(SaverSavePlacement, (TObject* sender))                 /* Saver.OnSavePlacement */ \
  X(SaverRestorePlacement, (TObject* sender))              /* Saver.OnRestorePlacement */ \
  X(TrayIconClick, (TObject* sender))                      /* TrayIcon.OnClick */ \
  X(UPDATERDoneString, (TObject* sender, const std::string& result)) /* UPDATER.OnDoneString */ \
  /* Menus. */ \
  X(PopupMenu2Popup, (TObject* sender))                    /* PopupMenu2.OnPopup */ \
  X(show1Click, (TObject* sender))                         /* show1 "Show" (TrayMnu) */ \
  X(hide1Click, (TObject* sender))                         /* hide1 "Hide" (TrayMnu), hide2 "Hide" (PopupMenu2), btHide.OnClick */ \
  X(close1Click, (TObject* sender))                        /* close1 "Exit" (TrayMnu) */ \
  X(exit1Click, (TObject* sender))                         /* exit1 "Exit" (PopupMenu2) */ \
  X(N1001Click, (TObject* sender))                         /* N1001 "100%" (PopupMenu2, Transparency) */ \
  X(N751Click, (TObject* sender))                          /* N751 "75%" (PopupMenu2, Transparency) */ \
  X(N501Click, (TObject* sender))                          /* N501 "50%" (PopupMenu2, Transparency) */ \
  X(N251Click, (TObject* sender))                          /* N251 "25%" (PopupMenu2, Transparency) */ \
  X(emptyrecyclebin1Click, (TObject* sender))              /* emptyrecyclebin1 (DLMenu), emptyrecyclebin2 (PopupMenu2) */ \
  X(emptyrecyclebin3Click, (TObject* sender))              /* emptyrecyclebin3 (TrayMnu) */ \
  X(Dorvanev31Click, (TObject* sender))                    /* Dorvanev31 "Dorvane v.3" (TrayMnu: the maker's page) */ \
  X(checkfornewerversion1Click, (TObject* sender))         /* checkfornewerversion1 "Check version" (PopupMenu2) */

class TForm1 : public TForm {
  DORVANE_CLASS(TForm1)
 public:
  // machine: everything the window asks of the machine (drives, memory, shell, screen,
  // platform family); it must outlive the window.
  TForm1(TComponent* owner, IMachine& machine);
  ~TForm1() override;

  // -- the window's parts, from its form description --
#define DORVANE_PART_FIELD(type, name) type* name = nullptr;
  DORVANE_FORM1_PARTS(DORVANE_PART_FIELD)
#undef DORVANE_PART_FIELD
  // Drive panels p1 .. p10 (the ninth is named P9) with their labels and gauges.
  std::array<TPanel*, 10> DrivePanels{};
  std::array<TLabel*, 10> PanelLabels{};     // l1 .. l10
  std::array<TGauge*, 10> Gauges{};          // gd1 .. gd10
  std::array<TLabel*, 10> FreeLabels{};      // fs1 .. fs10
  std::array<TImage*, 10> DriveImages{};     // dp1 .. dp10

  // -- the handlers the form description names --
#define DORVANE_HANDLER_DECLARATION(name, params) void name params;
  DORVANE_FORM1_HANDLERS(DORVANE_HANDLER_DECLARATION)
#undef DORVANE_HANDLER_DECLARATION

  // -- start-up and lifecycle --
  bool IsNtPlatform();
  // Shows a window and raises its opacity step by step to fully opaque (NT family).
  void FadeInShow(TForm& window);
  // Lowers the main window's opacity step by step to 0, then hides it.
  void FadeOutHide();
  // Another start of the program asked for the window: a hidden one is shown as a tray
  // click shows it, a shown one comes to the front.
  void ComeForward();
  // What a screen reader finds in the strip, left to right: the memory readout, the
  // settings button, the shown drive panels, the hide and close buttons.
  std::vector<TAccessibleElement> AccessibleElements();
  // The window's outline: its client rectangle with corners rounded by a 9 x 9 ellipse.
  void RoundWindowCorners();
  // The skin's pictures for the window's DPI (on start and whenever the DPI changes).
  void ShowPicturesAtDpi();

  // -- the one-second refresh --
  void RefreshDrives();
  void UpdateTray();
  // The drive whose space the tray reads in a round, when the tray follows one.
  std::optional<std::uint8_t> TrayRoundDrive();
  void ShowMemoryLoad();

  // -- the free-space history --
  // Takes the readings this tick's round made into the history (no drive is asked for it).
  void SampleHistory();
  // The registry key of the history, apart from the settings: HKCU\Software\<program>\History.
  std::string HistoryKeyPath() const;
  // Puts the stored history back (what does not decode is left out without a word).
  void LoadHistory();
  // Stores the history: encoded now, written in an idle turn of the message loop (or at
  // once, at exit).
  void SaveHistory(bool now);
  FreeSpaceHistory& History() { return history_; }
  // Off: no reading is taken into the history and no estimate is shown (the tick
  // benchmark measures what the history costs a tick by it).
  void SetHistoryEnabled(bool on) { historyEnabled_ = on; }
  // When the drive on a root will be full, as the drive list, a panel's hint and the
  // tooltip show it ("" for no estimate).
  std::string EstimateText(const std::string& root);
  // Draws the chart of the selected drive (else the tray drive's) when the settings view
  // is open and what it shows has changed since it was last drawn.
  void UpdateHistoryChart();
  ChartSpan HistoryChartSpan() const { return chartSpan_; }

  // -- drive panels and the drive list --
  void LayoutDrivePanels();
  void ShowDrivePanel(int k);
  void HideDrivePanel(int k);
  void OrderDrivePanels();
  void ColourGauge(TGauge& gauge);
  void SelectTrayDrive(int number, const std::string& root, const std::string& label);
  void ExploreDrive(TObject* sender);

  // -- settings --
  void SaveChecks();
  void GetChecks();
  // With nothing stored yet: monitors the fixed drives, the system drive in the tray with
  // the warning on, and stores that.
  void MonitorOnFirstStart();

  // -- tray presence, window modes and menus --
  // Opacity 0..255 on the NT family, stored as "alpha"; nothing on the 9x family.
  void SetTransparency(int level);

  // -- shell actions, version check, about box --
  bool IsInAutostart(const std::string& name);
  void AddToAutostart(const std::string& name, const std::string& data);
  void RemoveFromAutostart(const std::string& name);
  void EmptyRecycleBin();
  void PlayWarningSound(const std::string& path);
  void RunWarningProgram(const std::string& path);
  void ShowDiskFullDialog();
  std::string GetProgramVersion();
  void CheckNewerVersion(bool quiet);

  // -- state --
  int rememberedLeft = 0;
  int rememberedTop = 0;
  bool firstRefreshPending = false;
  int requiredWidth = 257;
  std::uint8_t trayDriveNumber = 0;
  bool quietVersionCheck = false;
  int versionChecks_ = 0;  // checks asked for; the start-up one waits for none after it
  LowSpaceArming& Arming() { return arming_; }
  bool WarningDone() const { return arming_.WarningDone(); }

  DriveCatalog& Catalog() { return *catalog_; }
  IMachine& Machine() { return machine_; }
  // The drive list's rows with their check marks (the list shows them; a user's tick
  // reaches the row at once).
  const std::vector<DriveEntry>& Rows() const { return catalog_->Rows(); }

 protected:
  void BindFields() override;
  std::vector<MethodEntry> Methods() const override;
  // Every way out destroys the main window (the closing steps, the answered error report,
  // the end of the session): the history is written then, and when the session may end.
  void BeforeDestruction() override;
  void SessionMayEnd() override;

 private:
  // Puts the catalogue's rows into the drive list, the tray drive combo box and the
  // "Explore drive" menu (emptied first).
  void MirrorDriveList();
  // Writes changed row figures into the drive list.
  void MirrorFigures();
  // Fills in the types and labels of drives that have answered since the list was built.
  void MirrorLateAnswers();
  // Sets a row's check mark and shows it in the list.
  void SetRowChecked(int row, bool checked);
  // The row of the drive the tray drive combo box names, -1 for none.
  int TrayComboRow() const;
  // The time-to-full texts of the tooltip's drive lines (the checked rows, in order).
  std::vector<std::string> LineEstimates();
  // The root of the tray drive's row, empty when no row has its number.
  std::string TrayRoot() const;
  // Arms the low-space test for the readings of the rounds to come.
  void RearmWarning();
  // One rebuild of the drive list (SpeedButton3Click runs them one at a time).
  void RebuildDriveList();
  bool rebuilding_ = false;
  bool rebuildAgain_ = false;
  void GiveLowSpaceWarning(const TrayFigures& figures, const std::string& line);
  // The warning's settings as the settings view holds them now.
  WarningSettings CurrentWarningSettings() const;

  IMachine& machine_;
  std::unique_ptr<DriveCatalog> catalog_;
  LowSpaceArming arming_;
  FreeSpaceHistory history_;
  bool historyEnabled_ = true;
  ChartSpan chartSpan_ = ChartSpan::kDay;
  // What the chart shows now: root, span, newest minute of its series, threshold.
  std::string chartKey_;
  // Saves the history every few minutes, apart from the tick.
  TTimer* historyTimer_ = nullptr;
  // The DPI the skin's pictures are drawn for (the form's description loads them at 96).
  int picturesDpi_ = 96;
};

// The about box, made when it is first shown.
class TForm2;
extern TForm2* Form2;


}  // namespace dorvane
