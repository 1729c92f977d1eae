#pragma once
// A component that holds one wave sound in memory and plays it in the background. The
// sound is empty until loaded; nothing sounds by default.
#include <memory>
#include <string>

#include "components/WaveData.h"
#include "framework/Classes.h"

namespace dorvane {

class TWaveComp : public TComponent {
  DORVANE_CLASS(TWaveComp)
 public:
  explicit TWaveComp(TComponent* owner);
  ~TWaveComp() override;

  // -- published property --
  // The sound, owned; assigning copies its bytes.
  TWaveData* Wave() const { return wave_.get(); }
  void SetWave(const TWaveData& wave) { wave_->Assign(wave); }

  // TWaveData::LoadFromFile and Play of the sound held.
  void LoadFromFile(const std::string& name) { wave_->LoadFromFile(name); }
  bool Play() { return wave_->Play(); }

 private:
  std::unique_ptr<TWaveData> wave_;
};

}  // namespace dorvane
