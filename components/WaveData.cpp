#include "components/WaveData.h"

#include <windows.h>
#include <mmsystem.h>

#include <cstring>
#include <utility>

#include "framework/Application.h"
#include "framework/ClassBuilder.h"
#include "framework/Resources.h"
#include "winapi/Handles.h"
#include "framework/ShellServices.h"
#include "framework/SysUtils.h"
#include "core/win32/WideString.h"

namespace dorvane {
namespace {

// The buffer last handed to the system's player: only one sound plays at a time in a
// process, and a new one replaces it.
const void* g_playing = nullptr;

}  // namespace

const ClassInfo& TWaveData::StaticClass() {
  static const ClassInfo info = ClassBuilder<TWaveData>("TWaveData", &TPersistent::StaticClass()).Build();
  return info;
}

TWaveData::~TWaveData() { StopPlaying(); }

void TWaveData::StopPlaying() {
  if (bytes_.empty() || g_playing != bytes_.data()) return;
  Application().Desktop().ShellServices().PlayMemorySound(nullptr, SND_MEMORY);
  g_playing = nullptr;
}

void TWaveData::Clear() {
  StopPlaying();
  bytes_.clear();
  bytes_.shrink_to_fit();
  format_ = {};
}

void TWaveData::LoadFromFile(const std::string& name) {
  UniqueFile file(CreateFileW(Widen(name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) RaiseLastOSError("Cannot open file \"" + name + "\"");
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size)) RaiseLastOSError("Cannot open file \"" + name + "\"");
  // A sound is played from memory whole: anything near the address space is no sound.
  if (size.QuadPart > 0x7FFFFFFF) throw Exception("The file \"" + name + "\" is too large for a sound");
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size.QuadPart));
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD got = 0;
    if (!ReadFile(file.get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &got, nullptr))
      RaiseLastOSError("Cannot read file \"" + name + "\"");
    if (got == 0) break;  // shorter than it said: a header check below catches the rest
    done += got;
  }
  bytes.resize(done);
  LoadFromBytes(std::move(bytes), name);
}

void TWaveData::LoadFromBytes(std::vector<std::uint8_t> bytes, const std::string& origin) {
  if (bytes.empty()) {
    Clear();
    return;
  }
  WaveFormat format;
  switch (ReadWaveHeader(bytes, format)) {
    case WaveHeaderCheck::Truncated:
      throw Exception("GetWaveData: Cannot open file " + origin);
    case WaveHeaderCheck::NotWave:
      return;  // not a sound we can play: the one held before stays
    case WaveHeaderCheck::Valid:
      break;
  }
  FitWaveSizes(bytes);
  StopPlaying();
  bytes_ = std::move(bytes);
  format_ = format;
}

bool TWaveData::Play() {
  if (bytes_.empty()) return false;
  IShellServices& shell = Application().Desktop().ShellServices();
  if (shell.WaveOutDevices() == 0) return false;
  g_playing = bytes_.data();
  return shell.PlayMemorySound(bytes_.data(), SND_ASYNC | SND_NODEFAULT | SND_MEMORY);
}

std::vector<std::uint8_t> TWaveData::DataBlock() const {
  const auto count = static_cast<std::uint32_t>(bytes_.size());
  std::vector<std::uint8_t> block(4 + bytes_.size());
  for (int i = 0; i < 4; ++i) block[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(count >> (8 * i));
  if (!bytes_.empty()) std::memcpy(block.data() + 4, bytes_.data(), bytes_.size());
  return block;
}

void TWaveData::SetDataBlock(std::span<const std::uint8_t> block) {
  if (block.size() < 4) throw Exception("GetWaveData: the stored sound has no byte count");
  const std::uint32_t count = block[0] | block[1] << 8 | block[2] << 16 | static_cast<std::uint32_t>(block[3]) << 24;
  if (count != block.size() - 4) throw Exception("GetWaveData: the stored sound's byte count does not match");
  LoadFromBytes(std::vector<std::uint8_t>(block.begin() + 4, block.end()), "(stored data)");
}

void TWaveData::LoadFromResourceName(const std::string& name) {
  const std::vector<std::uint8_t> block = ResourceBytes(name);
  SetDataBlock(block);
  resourceName_ = name;
}

void TWaveData::Assign(const TPersistent& source) {
  const auto* other = dynamic_cast<const TWaveData*>(&source);
  if (!other) {
    TPersistent::Assign(source);
    return;
  }
  if (other == this) return;
  if (other->bytes_.empty()) {
    Clear();
  } else {
    StopPlaying();
    bytes_ = other->bytes_;
    format_ = other->format_;
  }
  resourceName_ = other->resourceName_;
}

}  // namespace dorvane
