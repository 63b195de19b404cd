// The record container "SKINDATA.SK2" inside a skin archive, and Tsk2SkinFileReader, which
// extracts it, indexes its records into four name lists and answers lookups by name.
//
// Header (the first H bytes of the file; this reader accepts exactly the 24 it knows)
//   off size field
//     0  12  not interpreted
//    12   4  header length H
//    16   4  not interpreted
//    20   4  offset of the first record
// Record (77 bytes, packed)
//     0  64  name, up to the first zero byte or all 64 characters
//    64   1  kind: 0 bitmap, 1 integer, 2 flag, 3 text (others are skipped)
//    65   4  data offset          69   4  data size
//    73   4  offset of the next record; 0 marks the chain's closing record, which holds no
//            entry of its own
// Data: bitmap, a whole bitmap file; integer, 4 bytes signed; flag, 1 byte; text, data-size
// characters with no terminator.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "skin/Sk2Bitmap.h"
#include "skin/SkinArchive.h"

namespace skin {

// Lines of the form name=value, searched like a string list's names: without regard to case,
// the first match wins, and the name is what precedes the first "=".
class Sk2NameValueList {
 public:
  void Add(std::string line) { lines_.push_back(std::move(line)); }
  void Clear() { lines_.clear(); }
  int IndexOfName(const std::string& name) const;
  std::string ValueFromIndex(int index) const;
  const std::vector<std::string>& lines() const { return lines_; }

 private:
  std::vector<std::string> lines_;
};

// The four lists filled from one container.
struct Sk2Lists {
  std::vector<std::pair<std::string, std::unique_ptr<SkinBitmap>>> bitmaps;
  Sk2NameValueList integers;
  Sk2NameValueList flags;
  Sk2NameValueList texts;

  void Clear();
};

// Walks the record chain of a container held by file. False (lists left partly filled) when the
// container is damaged: a header length other than 24, a record or its data outside the file,
// an integer not 4 bytes or a flag not 1 byte long, a chain that comes back to a record, or a
// bitmap that does not decode.
bool ReadSk2Container(ArchiveSource& file, Sk2Lists* lists);

// Raised by the reader when the skin archive itself is unusable.
class SkinFileError : public std::runtime_error {
 public:
  SkinFileError() : std::runtime_error("Failed to read skin file!") {}
};

class Tsk2SkinFileReader {
 public:
  // Extracts "SKINDATA.SK2" to a new temporary file and reads it. Throws SkinFileError when the
  // archive is unusable or lacks the entry; stays unready, silently, when the entry cannot be
  // extracted (password, damage, size) or the container is damaged. The temporary file is
  // gone when the constructor returns or throws.
  Tsk2SkinFileReader(const std::string& archive_path, const std::string& password);
  // The same with the temporary file's name given (tests watch it).
  Tsk2SkinFileReader(const std::string& archive_path, const std::string& password,
                     const std::string& temp_path);

  Tsk2SkinFileReader(const Tsk2SkinFileReader&) = delete;
  Tsk2SkinFileReader& operator=(const Tsk2SkinFileReader&) = delete;

  // The bitmap of the first record of that name (owned by the reader), nullptr when none.
  const SkinBitmap* GetBitmap(const std::string& name) const;
  // The stored value; -1 when the name is missing or its value does not convert.
  int32_t GetInteger(const std::string& name) const;
  // The stored byte; 0 when the name is missing or its value does not convert.
  int32_t GetFlag(const std::string& name) const;
  bool Ready() const { return ready_; }

  // Texts are collected but no control asks for them.
  const Sk2NameValueList& texts() const { return lists_.texts; }

 private:
  void Read(const std::string& archive_path, const std::string& password,
            const std::string& temp_path);

  Sk2Lists lists_;
  bool ready_ = false;
};

}  // namespace skin
