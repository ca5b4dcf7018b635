// One copy of the game at a time, and its hold on the data folder.
#pragma once

#include <memory>
#include <string>

namespace vm {

// A data folder held by this copy of the game until the object goes.
class FolderHold {
 public:
  virtual ~FolderHold() = default;
};

class SingleCopy {
 public:
  virtual ~SingleCopy() = default;
  virtual bool other_copy_running() = 0;
  // Holds the data folder while the result lives; nullptr when another copy
  // plays from it already, whatever lock that one took besides.
  virtual std::unique_ptr<FolderHold> hold_data_folder(const std::string& data_dir) = 0;
};

}  // namespace vm
