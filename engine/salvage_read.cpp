// Piecewise scan reads with per-unit fallback, and the probe for a device's end.
#include "engine/salvage_read.h"

#include <algorithm>
#include <cstring>

namespace scavrel {

Salvage SalvageRead(Engine& engine, VolumeReader& reader, uint64_t offset, uint8_t* buffer,
                    size_t length, size_t unit, std::vector<uint8_t>* bad) {
  if (unit == 0) unit = length;
  if (bad != nullptr) bad->assign(unit == 0 ? 0 : (length + unit - 1) / unit, 0);
  const uint64_t device = reader.Size();
  bool holes = false;
  // Pieces hold whole units, so a failed piece is retried unit by unit without a unit that
  // straddles two pieces.
  const size_t piece_bytes = std::max(unit, kScanPieceBytes / unit * unit);
  for (size_t done = 0; done < length;) {
    if (engine.ScanStep()) return Salvage::kStopped;
    const size_t piece = std::min(piece_bytes, length - done);
    if (reader.Read(offset + done, buffer + done, piece)) {
      done += piece;
      continue;
    }
    for (size_t at = done; at < done + piece; at += unit) {
      if (engine.ScanStep()) return Salvage::kStopped;
      const size_t n = std::min(unit, done + piece - at);
      if (reader.Read(offset + at, buffer + at, n)) continue;
      const uint32_t code = reader.LastErrorCode();
      std::memset(buffer + at, 0, n);
      holes = true;
      if (bad != nullptr) (*bad)[at / unit] = 1;
      const bool past_end = code == kErrorHandleEof || (device != 0 && offset + at >= device);
      if (!past_end) engine.NoteUnreadable(code, n);
    }
    done += piece;
  }
  return holes ? Salvage::kHoles : Salvage::kWhole;
}

uint64_t DeviceEnd(VolumeReader& reader, uint64_t claimed, uint64_t known_good,
                   uint32_t sector_bytes) {
  if (reader.Size() != 0) return std::min(claimed, reader.Size());
  if (sector_bytes == 0 || claimed <= known_good) return claimed;
  std::vector<uint8_t> sector(sector_bytes);
  auto there = [&](uint64_t index) {
    if (reader.Read(index * sector_bytes, sector.data(), sector.size())) return true;
    return reader.LastErrorCode() != kErrorHandleEof;
  };
  // Sectors [0, low) are there; the answer lies in [low, high] sectors.
  uint64_t low = known_good / sector_bytes;
  uint64_t high = claimed / sector_bytes;
  if (high == 0 || there(high - 1)) return claimed;
  --high;  // sector `high` is not there
  while (low < high) {
    const uint64_t middle = low + (high - low) / 2;
    if (there(middle)) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  return low * sector_bytes;
}

}  // namespace scavrel
