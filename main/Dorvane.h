#pragma once
// The main window: a borderless, skinned, always-on-top strip that shows the monitored
// drives and the memory readout, expands to the settings view, and lives in the tray.
#include <array>
#include <memory>
#include <string>

#include "components/FormPlacement.h"
#include "components/NotifyTrayIcon.h"
#include "controls/FileOpenEdit.h"
#include "controls/Gauges.h"
#include "controls/GradientFill.h"
#include "controls/SpecialProgress.h"
#include "core/DriveCatalog.h"
#include "core/Machine.h"
#include "core/TrayFigures.h"
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

namespace dorvane {

class TForm1 : public TForm {
  DORVANE_CLASS(TForm1)
 public:
  // machine: everything the window asks of the machine (drives, memory, shell, screen,
  // platform family); it must outlive the window.
  TForm1(TComponent* owner, IMachine& machine);
  ~TForm1() override;

  // -- the window's parts, from its form description --
  // Skin and structure.
  TPanel* MainPanel = nullptr;
  TPanel* TopPanel = nullptr;
  TPanel* BottomPanel = nullptr;
  TPanel* ToolPanel = nullptr;
  TPanel* Panel4 = nullptr;
  TPanel* Panel10 = nullptr;
  TPanel* Panel11 = nullptr;
  TPanel* Panel2 = nullptr;
  TPanel* Panel3 = nullptr;
  TPanel* PanelSettings = nullptr;
  TPanel* Panel5 = nullptr;
  TPanel* Panel7 = nullptr;
  TImage* IL = nullptr;
  TImage* IR = nullptr;
  TImage* ITL = nullptr;
  TImage* ITM = nullptr;
  TImage* ITR = nullptr;
  TImage* IBL = nullptr;
  TImage* IB = nullptr;
  TImage* IBR = nullptr;
  TImage* ITBL = nullptr;
  TImage* ITBM = nullptr;
  TImage* ITBR = nullptr;
  TSpeedButton* btHide = nullptr;
  TSpeedButton* btClose = nullptr;
  // Status panel.
  TImage* Image1 = nullptr;
  TLabel* PhysMem = nullptr;
  TLabel* FreeRes = nullptr;
  TSpecialProgress* FreeBar = nullptr;
  TGradientFill* GradientFill2 = nullptr;
  TSpeedButton* BtSwitch = nullptr;
  TSpeedButton* SpeedButton2 = nullptr;
  // Drive panels p1 .. p10 (the ninth is named P9) with their labels and gauges.
  std::array<TPanel*, 10> DrivePanels{};
  std::array<TLabel*, 10> PanelLabels{};     // l1 .. l10
  std::array<TGauge*, 10> Gauges{};          // gd1 .. gd10
  std::array<TLabel*, 10> FreeLabels{};      // fs1 .. fs10
  // Settings view.
  TCheckBox* CbAutoStart = nullptr;
  TCheckBox* CbHidden = nullptr;
  TCheckBox* CbIgnore = nullptr;
  TCheckBox* CheckBox1 = nullptr;
  TSpeedButton* SpeedButton5 = nullptr;
  TGradientFill* GradientFill1 = nullptr;
  TSpeedButton* SpeedButton3 = nullptr;
  TSpeedButton* SpeedButton4 = nullptr;
  TSpeedButton* SpeedButton1 = nullptr;
  TCheckBox* CbShowTray = nullptr;
  TComboBox* TrayDriveList = nullptr;
  TCheckBox* CbWarning = nullptr;
  TLabel* Label2 = nullptr;
  TTrackBar* TbWT = nullptr;
  TCheckBox* CbSnd = nullptr;
  TFileOpenEdit* SoundEdit = nullptr;
  TCheckBox* CbExec = nullptr;
  TFileOpenEdit* ExecEdit = nullptr;
  TCheckBox* cbSD = nullptr;
  TListView* DList = nullptr;
  TImageList* DListImages = nullptr;
  // Components.
  TFormStorage* Saver = nullptr;
  TTimer* Timer1 = nullptr;
  TNotifyTrayIcon* TrayIcon = nullptr;
  TImageList* TrayIcons = nullptr;
  TPopupMenu* PopupMenu2 = nullptr;
  TMenuItem* explore1 = nullptr;
  TMenuItem* transparency1 = nullptr;
  TPopupMenu* DLMenu = nullptr;
  TPopupMenu* TrayMnu = nullptr;

  // -- start-up and lifecycle --
  void FormCreate(TObject* sender);
  void FormShow(TObject* sender);
  void FormHide(TObject* sender);
  void FormClose(TObject* sender, TCloseAction& action);
  bool IsNtPlatform();
  // Shows a window and raises its opacity step by step to fully opaque (NT family).
  void FadeInShow(TForm& window);
  // Lowers the main window's opacity step by step to 0, then hides it.
  void FadeOutHide();
  // The window's outline: its client rectangle with corners rounded by a 9 x 9 ellipse.
  void RoundWindowCorners();

  // -- the one-second refresh --
  void Timer1Timer(TObject* sender);
  void RefreshDrives();
  void UpdateTray();
  void ShowMemoryLoad();

  // -- drive panels and the drive list --
  void LayoutDrivePanels();
  void ShowDrivePanel(int k);
  void HideDrivePanel(int k);
  void OrderDrivePanels();
  void ColourGauge(TGauge& gauge);
  void BtSwitchClick(TObject* sender);
  void DListClick(TObject* sender);
  void DListItemChecked(TObject* sender, TListItem* item);
  void DListSelectItem(TObject* sender, TListItem* item, bool selected);
  void SelectTrayDrive(int number, const std::string& root, const std::string& label);
  void TrayDriveListChange(TObject* sender);
  void SpeedButton3Click(TObject* sender);
  void ExploreDrive(TObject* sender);
  // A volume arrived or went (the device notifier's events): the list is rebuilt; the
  // drive argument is not used.
  void DeviceChanged1DeviceArrived(TObject* sender, char drive);
  void DeviceChanged1DeviceRemoveCompleted(TObject* sender, char drive);
  void Panel2Click(TObject* sender);

  // -- settings --
  void GradButton1Click(TObject* sender);
  void TbWTChange(TObject* sender);
  void CbWarningClick(TObject* sender);
  void CbShowTrayClick(TObject* sender);
  void SoundEditBrowse(TObject* sender);
  void ExecEditBrowse(TObject* sender);
  void CbIgnoreClick(TObject* sender);
  void SpeedButton1Click(TObject* sender);
  void SpeedButton4Click(TObject* sender);
  void SaveChecks();
  void GetChecks();
  void SaverSavePlacement(TObject* sender);
  void SaverRestorePlacement(TObject* sender);

  // -- tray presence, window modes and menus --
  void show1Click(TObject* sender);
  void hide1Click(TObject* sender);
  void TrayIconClick(TObject* sender);
  void close1Click(TObject* sender);
  void exit1Click(TObject* sender);
  void btCloseClick(TObject* sender);
  void PopupMenu2Popup(TObject* sender);
  void N1001Click(TObject* sender);
  void N751Click(TObject* sender);
  void N501Click(TObject* sender);
  void N251Click(TObject* sender);
  // Opacity 0..255 on the NT family, stored as "alpha"; nothing on the 9x family.
  void SetTransparency(int level);
  void ITMMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);

  // -- shell actions, version check, about box --
  bool IsInAutostart(const std::string& name);
  void AddToAutostart(const std::string& name, const std::string& data);
  void RemoveFromAutostart(const std::string& name);
  void CbAutoStartClick(TObject* sender);
  void EmptyRecycleBin();
  void emptyrecyclebin1Click(TObject* sender);
  void emptyrecyclebin3Click(TObject* sender);
  void PlayWarningSound(const std::string& path);
  void RunWarningProgram(const std::string& path);
  void Dorvanev31Click(TObject* sender);
  void ShowDiskFullDialog();
  std::string GetProgramVersion();
  void CheckNewerVersion(bool quiet);
  void checkfornewerversion1Click(TObject* sender);
  void SpeedButton5Click(TObject* sender);
  void Image1Click(TObject* sender);

  // -- state --
  int rememberedLeft = 0;
  int rememberedTop = 0;
  bool firstRefreshPending = false;
  int requiredWidth = 257;
  std::uint8_t trayDriveNumber = 0;
  bool quietVersionCheck = false;
  std::string versionCheckUrl;  // the last version request built
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

 private:
  // Puts the catalogue's rows into the drive list, the tray drive combo box and the
  // "Explore drive" menu (emptied first).
  void MirrorDriveList();
  // Writes changed row figures into the drive list.
  void MirrorFigures();
  // Sets a row's check mark and shows it in the list.
  void SetRowChecked(int row, bool checked);
  void GiveLowSpaceWarning(const TrayFigures& figures);

  IMachine& machine_;
  std::unique_ptr<DriveCatalog> catalog_;
  LowSpaceArming arming_;
};

// The host (and port) of the maker's web server: DORVANE_SERVER when set, else the
// built-in one.
std::string MakerServer();

// The about box, created after the main window.
class TForm2;
extern TForm2* Form2;

// Makes the main window's classes known to form descriptions.
void RegisterMainWindowClasses();

}  // namespace dorvane
