#pragma once
// One wave sound held whole in memory and played from there, asynchronously.
//
// A load reads the whole file and keeps it only when its header is that of a wave file
// (core/WaveHeader.h). The system's player reads the buffer in the background while it
// plays, so a sound still playing from a buffer is stopped before that buffer is
// replaced or freed.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/WaveHeader.h"
#include "framework/Classes.h"
#include "framework/FormReader.h"

namespace dorvane {

class TWaveData : public TPersistent, public IResourceLoadable {
  DORVANE_CLASS(TWaveData)
 public:
  TWaveData() = default;
  ~TWaveData() override;

  bool Empty() const { return bytes_.empty(); }
  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
  // The format of the sound held (meaningless while empty).
  const WaveFormat& Format() const { return format_; }

  // Reads a whole file. An empty file empties the wave. A file too short for the header
  // raises "GetWaveData: Cannot open file <name>". A file whose header is complete but
  // not that of a wave keeps the sound held before and raises nothing. A file that
  // cannot be opened raises the system's error.
  void LoadFromFile(const std::string& name);
  // The same rules for bytes from elsewhere; `origin` names them in the error.
  void LoadFromBytes(std::vector<std::uint8_t> bytes, const std::string& origin);
  // Stops a sound playing from this buffer and empties the wave.
  void Clear();

  // Starts playing the sound in the background, without the system's default sound
  // when it cannot be played. False when empty, without a wave output device, or when
  // the system refuses.
  bool Play();

  // The stored form of the sound ("Data"): a 32-bit little-endian byte count, then the
  // bytes.
  std::vector<std::uint8_t> DataBlock() const;
  // Takes a stored form; raises when the count does not match the bytes that follow.
  void SetDataBlock(std::span<const std::uint8_t> block);

  // A sound among the program's resources (raw data in the stored form).
  void LoadFromResourceName(const std::string& name) override;
  const std::string& ResourceName() const override { return resourceName_; }

  void Assign(const TPersistent& source) override;

 private:
  // Stops the system's player when it plays from this buffer.
  void StopPlaying();

  std::vector<std::uint8_t> bytes_;
  WaveFormat format_;
  std::string resourceName_;
};

}  // namespace dorvane
