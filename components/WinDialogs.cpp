#include "components/WinDialogs.h"

#include <windows.h>

#include "framework/Application.h"
#include "framework/ClassBuilder.h"
#include "framework/ShellServices.h"

namespace dorvane {

const ClassInfo& TCommonDialogF::StaticClass() {
  static const ClassInfo info = ClassBuilder<TCommonDialogF>("TCommonDialogF", &TComponent::StaticClass()).Build();
  return info;
}

const ClassInfo& TDiskFullDialog::StaticClass() {
  using T = TDiskFullDialog;
  static const ClassInfo info = ClassBuilder<T>("TDiskFullDialog", &TCommonDialogF::StaticClass())
                                    .Char("DriveChar", &T::DriveChar, &T::SetDriveChar, "C")
                                    .Build();
  return info;
}

void TDiskFullDialog::SetDriveChar(const std::string& value) {
  char c = value.size() == 1 ? value[0] : 0;
  if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  if (c < 'A' || c > 'Z') throw Exception("Invalid drive (" + value + ")");
  driveChar_ = c;
}

bool TDiskFullDialog::Execute() {
  IShellServices& shell = Application().Desktop().ShellServices();
  if (!shell.DiskFullDialogAvailable()) throw Exception("This function is not supported by your version of Windows");
  const std::string root = DriveChar() + ":\\";
  const std::optional<unsigned> type = driveType_ ? driveType_(root) : shell.DriveTypeOf(root);
  if (type != static_cast<unsigned>(DRIVE_FIXED)) return false;
  shell.ShowDiskFullDialog(shell.FocusedWindow(), static_cast<UINT>(driveChar_ - 'A'));
  return true;
}

}  // namespace dorvane
