#include "platform/headless/memory_files.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace vm {

namespace {

// One spelling for a path: no doubled or final '/'.
std::string key(const std::string& path) {
  std::string out;
  for (char c : path)
    if (c != '/' || out.empty() || out.back() != '/') out += c;
  while (out.size() > 1 && out.back() == '/') out.pop_back();
  return out;
}

std::string parent_of(const std::string& k) {
  const size_t slash = k.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : k.substr(0, slash);
}

std::string reason(int err) {
  return std::strerror(err);
}

}  // namespace

void MemoryFiles::add_folders(const std::string& dir) {
  for (std::string d = key(dir); !d.empty() && d != "." && folders_.insert(d).second;
       d = parent_of(d))
    if (d == "/") break;
}

void MemoryFiles::seed_from_disk(const std::string& disk_dir, const std::string& as) {
  namespace fs = std::filesystem;
  const std::string to = as.empty() ? disk_dir : as;
  add_folders(to);
  for (const auto& e : fs::directory_iterator(disk_dir)) {
    const std::string name = e.path().filename().string();
    if (e.is_directory()) {
      seed_from_disk(e.path().string(), key(to) + "/" + name);
      continue;
    }
    std::ifstream in(e.path(), std::ios::binary);
    put(key(to) + "/" + name,
        std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
  }
}

void MemoryFiles::put(const std::string& path, const std::string& bytes) {
  const std::string k = key(path);
  add_folders(parent_of(k));
  files_[k] = bytes;
}

const std::string* MemoryFiles::find(const std::string& path) const {
  const auto it = files_.find(key(path));
  return it == files_.end() ? nullptr : &it->second;
}

void MemoryFiles::set_read_only(const std::string& path, bool ro) {
  if (ro)
    read_only_.insert(key(path));
  else
    read_only_.erase(key(path));
}

bool MemoryFiles::read_only(const std::string& path) const {
  return read_only_.count(key(path)) > 0;
}

Result<std::string> MemoryFiles::read_whole(const std::string& path) {
  const std::string* f = find(path);
  if (!f) return FileError(FileError::Opening, path, reason(is_folder(path) ? EISDIR : ENOENT));
  return *f;
}

Result<void> MemoryFiles::replace_whole(const std::string& path, const std::string& data) {
  const std::string k = key(path);
  const std::string folder = parent_of(k);
  // As on a disk: the new copy is made beside the old one first.
  if (!folders_.count(folder)) return FileError(FileError::NoCopy, path, reason(ENOENT));
  if (read_only(folder) || folders_.count(k + ".tmp"))
    return FileError(FileError::NoCopy, path, reason(read_only(folder) ? EACCES : EEXIST));
  if (folders_.count(k)) return FileError(FileError::Writing, path, reason(EISDIR));
  files_[k] = data;
  written_.push_back(k);
  return {};
}

Result<void> MemoryFiles::write_at(const std::string& path, size_t offset,
                                   const std::string& bytes) {
  const auto it = files_.find(key(path));
  if (it == files_.end())
    return FileError(FileError::Updating, path, reason(is_folder(path) ? EISDIR : ENOENT));
  if (read_only(path)) return FileError(FileError::Updating, path, reason(EACCES));
  std::string& f = it->second;
  if (f.size() < offset + bytes.size()) f.resize(offset + bytes.size(), '\0');
  f.replace(offset, bytes.size(), bytes);
  written_.push_back(it->first);
  return {};
}

Result<void> MemoryFiles::remove(const std::string& path) {
  const std::string k = key(path);
  if (!files_.count(k))
    return FileError(FileError::Removing, path, reason(folders_.count(k) ? EISDIR : ENOENT));
  if (read_only(parent_of(k))) return FileError(FileError::Removing, path, reason(EACCES));
  files_.erase(k);
  written_.push_back(k);
  return {};
}

std::vector<FolderEntry> MemoryFiles::list(const std::string& dir) {
  const std::string k = key(dir);
  std::vector<FolderEntry> out;
  if (!folders_.count(k)) return out;
  const std::string prefix = k == "/" ? k : k + "/";
  auto inside = [&](const std::string& p) {
    return p.size() > prefix.size() && p.compare(0, prefix.size(), prefix) == 0 &&
           p.find('/', prefix.size()) == std::string::npos;
  };
  for (const auto& [p, bytes] : files_)
    if (inside(p)) out.push_back({p.substr(prefix.size()), false});
  for (const std::string& p : folders_)
    if (inside(p)) out.push_back({p.substr(prefix.size()), true});
  std::sort(out.begin(), out.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
  return out;
}

bool MemoryFiles::is_folder(const std::string& path) {
  return folders_.count(key(path)) > 0;
}

long long MemoryFiles::length(const std::string& path) {
  const std::string* f = find(path);
  return f ? static_cast<long long>(f->size()) : -1;
}

bool MemoryFiles::writable(const std::string& path) {
  return (files_.count(key(path)) || folders_.count(key(path))) && !read_only(path);
}

Result<void> MemoryFiles::make_folder(const std::string& dir) {
  if (files_.count(key(dir))) return FileError(FileError::Making, dir, reason(EEXIST));
  add_folders(dir);
  return {};
}

Result<void> MemoryFiles::copy_folder_whole(const std::string& from, const std::string& to) {
  const std::string target = key(to);
  if (folders_.count(target) && !list(target).empty())
    return FileError(FileError::Copying, target, target + ": " + reason(ENOTEMPTY));
  if (read_only(parent_of(target)))
    return FileError(FileError::Copying, target, target + ": " + reason(EACCES));
  // Copied files are the player's to write, whatever the originals were.
  const std::string prefix = key(from) + "/";
  for (const auto& [p, bytes] : std::map<std::string, std::string>(files_))
    if (p.compare(0, prefix.size(), prefix) == 0)
      put(target + "/" + p.substr(prefix.size()), bytes);
  add_folders(target);
  return {};
}

}  // namespace vm
