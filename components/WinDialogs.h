#pragma once
// Dialog components over the shell's own dialogs. This program uses one: the shell's
// disk-full dialog (what the system offers for a drive that has run out of space).
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "framework/Classes.h"

namespace dorvane {

// A dialog component: Execute shows it.
class TCommonDialogF : public TComponent {
  DORVANE_CLASS(TCommonDialogF)
 public:
  using TComponent::TComponent;
  virtual bool Execute() = 0;
};

class TDiskFullDialog : public TCommonDialogF {
  DORVANE_CLASS(TDiskFullDialog)
 public:
  explicit TDiskFullDialog(TComponent* owner) : TCommonDialogF(owner) {}

  // -- published property --
  // Always an upper-case letter A to Z (default C).
  std::string DriveChar() const { return std::string(1, driveChar_); }
  // A lower-case letter is stored in upper case; anything but one letter raises
  // "Invalid drive (x)" and keeps the old letter.
  void SetDriveChar(const std::string& value);
  char Drive() const { return driveChar_; }

  // Asks the shell for its disk-full dialog when the drive is a fixed disk (with the
  // focused window as parent) and returns true; returns false for any other drive.
  // Raises when this version of the shell has no such dialog.
  bool Execute() override;

  // Where Execute learns the drive's type (a Win32 drive-type code for a root such as
  // "C:\"). A program that must not wait on a drive answers from its own drive queries;
  // no answer (the drive has not answered in time) counts as no fixed disk. Unset, the
  // shell is asked at once.
  using DriveTypeSource = std::function<std::optional<unsigned>(const std::string& root)>;
  void SetDriveTypeSource(DriveTypeSource source) { driveType_ = std::move(source); }

 private:
  char driveChar_ = 'C';
  DriveTypeSource driveType_;
};

}  // namespace dorvane
