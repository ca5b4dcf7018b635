// Holds the data folder for one copy of the game, whatever single-copy lock
// it has besides: two copies on one folder would disguise each other's
// pictures under their feet.
#pragma once

#include <memory>
#include <string>

#include "platform/single_copy.h"

namespace vm {

// An advisory lock on the folder itself, so that nothing is created in it
// and a read-only folder is held too. Released with the object (or the
// process).
class FolderLock : public FolderHold {
 public:
  // nullptr when another copy holds the folder already. A folder that cannot
  // be opened is held by no one (the start-up tells the player what is wrong
  // with it).
  static std::unique_ptr<FolderHold> take(const std::string& dir);
  ~FolderLock() override;

 private:
  explicit FolderLock(int fd) : fd_(fd) {}
  int fd_ = -1;
};

}  // namespace vm
