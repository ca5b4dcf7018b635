#include "test_support.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#include "assets/assets.h"
#include "assets/picture_table.h"

namespace vm::test {

TempDir::TempDir() {
  std::string templ = (std::filesystem::temp_directory_path() / "velmora-test-XXXXXX").string();
  if (!mkdtemp(templ.data())) throw std::runtime_error("mkdtemp failed");
  path_ = templ + "/";
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(path_, ec);
}

void write_bytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::string read_bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

std::string build_dir() {
  return VELMORA_BUILD_DIR;
}

void write_demo_folder(const std::string& dir) {
  std::string out;
  std::string command = build_dir();
  command += "/velmora-data demo ";
  command += dir;
  int code = run_command(command, out);
  if (code != 0) throw std::runtime_error("velmora-data demo failed: " + out);
}

std::string script_rows(const std::vector<Row>& rows) {
  std::string s;
  for (const Row& r : rows)
    s += r.num + "," + r.cmd + "," + r.jump + "," + r.place + "," + r.doll + "," + r.face + ",," +
         r.speaker + "," + r.text + "," + r.value + ",," + r.subst + ",\r\n";
  return s;
}

void expect_at_rest(const std::string& dir) {
  for (int n : managed_pictures_exit_order())
    if (std::filesystem::exists(dir + dat_name(n)))
      EXPECT_EQ(read_bytes(dir + dat_name(n)).substr(0, 2), "JF") << n;
  for (const auto& e : std::filesystem::directory_iterator(dir))
    EXPECT_NE(e.path().extension(), ".tmp") << e.path();
  EXPECT_FALSE(std::filesystem::exists(dir + "51.cod"));
}

::testing::AssertionResult within(uint32_t t, uint32_t from, uint32_t to) {
  if (t >= from && t < to) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << t << " lies outside [" << from << ", " << to << ")";
}

int run_command(const std::string& command, std::string& out) {
  out.clear();
  FILE* p = popen((command + " 2>&1").c_str(), "r");
  if (!p) return -1;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  int status = pclose(p);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

Events::Events(const Headless& h) : all_(&h.log().events()) {
  for (size_t i = 0; i < all_->size(); ++i) picked_.push_back(i);
}

Events Events::keep(const std::function<bool(size_t, const LogEvent&)>& ok) const {
  Events out = *this;
  std::erase_if(out.picked_, [&](size_t i) { return !ok(i, (*all_)[i].event); });
  return out;
}

Events Events::of(LogKind kind) const {
  return of({kind});
}

Events Events::of(std::initializer_list<LogKind> kinds) const {
  return keep([&](size_t, const LogEvent& e) {
    return std::find(kinds.begin(), kinds.end(), e.kind) != kinds.end();
  });
}

Events Events::with_line_part(const std::string& part) const {
  return keep(
      [&](size_t, const LogEvent& e) { return log_line(e).find(part) != std::string::npos; });
}

Events Events::from(int index) const {
  return keep([&](size_t i, const LogEvent&) { return static_cast<int>(i) >= index; });
}

std::string Events::line(size_t i) const {
  return log_line((*this)[i].event);
}

std::vector<std::string> Events::lines() const {
  std::vector<std::string> out;
  for (size_t i = 0; i < size(); ++i) out.push_back(line(i));
  return out;
}

std::vector<std::pair<std::string, std::string>> Events::messages() const {
  std::vector<std::pair<std::string, std::string>> out;
  for (size_t i = 0; i < size(); ++i) out.emplace_back(event(i).speaker, event(i).text);
  return out;
}

std::vector<uint32_t> Events::times() const {
  std::vector<uint32_t> out;
  for (size_t i = 0; i < size(); ++i) out.push_back((*this)[i].at);
  return out;
}

Events events(const Headless& h) {
  return Events(h);
}

Events events(const Headless& h, LogKind kind) {
  return Events(h).of(kind);
}

int count(const Headless& h, LogKind kind) {
  return static_cast<int>(Events(h).of(kind).size());
}

double contrast(uint32_t a, uint32_t b) {
  auto luminance = [](uint32_t c) {
    auto lin = [](int v) {
      const double s = v / 255.0;
      return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * lin(red_of(c)) + 0.7152 * lin(green_of(c)) + 0.0722 * lin(blue_of(c));
  };
  const double la = luminance(a), lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

}  // namespace vm::test
