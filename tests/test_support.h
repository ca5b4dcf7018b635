// Shared helpers for tests: temporary data folders and headless games.
#pragma once

#include <filesystem>
#include <string>

namespace vm::test {

// A fresh empty folder under the system's temporary folder, removed with the
// object.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::string& path() const { return path_; }  // ends in '/'
  std::string operator/(const std::string& name) const { return path_ + name; }

 private:
  std::string path_;
};

void write_bytes(const std::string& path, const std::string& bytes);
std::string read_bytes(const std::string& path);

// Writes the demo data folder into dir (the data tool's own writer).
void write_demo_folder(const std::string& dir);

// The build's folder (velmora-play, velmora-data).
std::string build_dir();

// Runs a command, returning its exit code and standard output.
int run_command(const std::string& command, std::string& out);

}  // namespace vm::test
