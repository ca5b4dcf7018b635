// The pictures of the data folder, decoded.
#pragma once

#include <string>

#include "platform/image.h"
#include "platform/result.h"

namespace vm {

class Pictures {
 public:
  virtual ~Pictures() = default;
  // Decodes a BMP or JPEG file, read through the game's Files. The reason,
  // naming the path, when the file is missing or cannot be decoded.
  virtual Result<Image> load_picture(const std::string& path) = 0;
};

}  // namespace vm
