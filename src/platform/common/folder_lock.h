// Holds the data folder for one copy of the game, whatever single-copy lock
// it has besides: two copies on one folder would disguise each other's
// pictures under their feet.
#pragma once

#include <string>

namespace vm {

// An advisory lock on the folder itself, so that nothing is created in it
// and a read-only folder is held too. Released with the object (or the
// process).
class FolderLock {
 public:
  FolderLock() = default;
  ~FolderLock();
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

  // Takes the folder, letting go of any taken before. True when another copy
  // holds it already; a folder that cannot be opened is held by no one (the
  // start-up tells the player what is wrong with it).
  bool held_elsewhere(const std::string& dir);

 private:
  int fd_ = -1;
};

}  // namespace vm
