#include "components/WaveComp.h"

#include "framework/ClassBuilder.h"

namespace dorvane {

const ClassInfo& TWaveComp::StaticClass() {
  using T = TWaveComp;
  static const ClassInfo info =
      ClassBuilder<T>("TWaveComp", &TComponent::StaticClass()).Object("Wave", &T::Wave, TWaveData::StaticClass()).Build();
  return info;
}

TWaveComp::TWaveComp(TComponent* owner) : TComponent(owner), wave_(std::make_unique<TWaveData>()) {}

TWaveComp::~TWaveComp() = default;

}  // namespace dorvane
