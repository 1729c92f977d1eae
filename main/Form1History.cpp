#include "main/Dorvane.h"

#include "core/HistoryStorage.h"
#include "framework/Registry.h"

// The main window's free-space history: sampled from each round's readings, kept under its own key.

namespace dorvane {
namespace {

// The history's values are written apart from the settings; a registry that refuses them
// loses this save and nothing else (the next one writes them all again).
void WriteHistoryValues(const std::string& path, const std::vector<StoredHistoryValue>& values) {
  try {
    TRegistry reg;
    if (!reg.OpenKey(path, true)) return;
    const std::vector<std::string> stale = StaleHistoryValues(reg.GetValueNames(), values);
    for (const StoredHistoryValue& value : values) reg.WriteBinary(value.name, value.data);
    for (const std::string& name : stale) reg.DeleteValue(name);
  } catch (const ERegistryException&) {
  }
}

std::vector<StoredHistoryValue> ReadHistoryValues(const std::string& path) {
  std::vector<StoredHistoryValue> values;
  TRegistry reg;
  if (!reg.OpenKeyReadOnly(path)) return values;
  for (const std::string& name : reg.GetValueNames()) {
    // Anything but binary data is foreign here: left out, and gone at the next save.
    if (reg.GetDataType(name) != TRegDataType::rdBinary) continue;
    try {
      values.push_back({name, reg.ReadBinary(name)});
    } catch (const ERegistryException&) {
    }
  }
  return values;
}

}  // namespace

// -- the free-space history ---------------------------------------------------------------

void TForm1::SampleHistory() {
  if (!historyEnabled_) return;
  const std::int64_t now = machine_.Now();
  for (const DriveEntry& row : catalog_->Rows()) {
    if (const DriveReading* reading = catalog_->ReadThisRound(static_cast<std::uint8_t>(row.number)))
      history_.Record(row.root, row.volumeSerial, now, reading->value.freeBytes, reading->value.totalBytes);
  }
}

std::string TForm1::HistoryKeyPath() const { return "Software\\" + Application().Desktop().ExeName() + "\\History"; }

void TForm1::LoadHistory() { history_.Load(ReadHistoryValues(HistoryKeyPath()), machine_.Now()); }

void TForm1::SaveHistory(bool now) {
  auto values = std::make_shared<const std::vector<StoredHistoryValue>>(history_.Save(machine_.Now()));
  if (now) {
    WriteHistoryValues(HistoryKeyPath(), *values);
    return;
  }
  Application().Later(this, [this, values] { WriteHistoryValues(HistoryKeyPath(), *values); });
}

void TForm1::BeforeDestruction() {
  try {
    SaveHistory(true);
  } catch (...) {
    HandleException(this);
  }
  TForm::BeforeDestruction();
}

void TForm1::SessionMayEnd() { SaveHistory(true); }

std::string TForm1::EstimateText(const std::string& root) {
  if (root.empty() || !historyEnabled_) return std::string();
  return FullEstimateText(history_.Estimate(root, machine_.Now()));
}

}  // namespace dorvane
