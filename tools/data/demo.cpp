#include <stdexcept>

#include "assets/assets.h"
#include "assets/cp932.h"
#include "assets/data_folder.h"
#include "authoring/layout.h"
#include "authoring/midi.h"
#include "authoring/pictures.h"
#include "data/data_tool.h"
#include "data/scenario.h"
#include "platform/common/pixbuf_pictures.h"

namespace vm::datatool {

namespace {

std::string jpeg_bytes(const Image& img, int number) {
  const Result<std::vector<uint8_t>> bytes = encode_jpeg(img, 90);
  if (!bytes)
    throw std::runtime_error(dat_name(number) + ": JPEG encoding failed: " + bytes.error().what());
  return std::string(bytes.value().begin(), bytes.value().end());
}

// The at-rest disguise: the first two bytes become "JF".
std::string disguise(std::string bytes) {
  if (bytes.size() >= 2) bytes.replace(0, 2, kRestMagic);
  return bytes;
}

}  // namespace

void write_demo(Files& files, const std::string& dir) {
  if (!files.make_folder(dir)) throw std::runtime_error("cannot create the folder " + dir);
  const DataFolder folder(files, dir);
  auto put = [&folder](const std::string& name, const std::string& data) {
    folder.replace(name, data).value_or_throw();
  };

  put("50.dat", convert_exact(system_text(demo_system_lines()), false, "50.dat"));
  put("51.dat", invert_bytes(convert_exact(script_csv(demo_script()), false, "51.dat")));
  put("52.dat", invert_bytes(convert_exact(choices_csv(demo_choices()), false, "52.dat")));

  for (int c = 1; c <= 4; ++c)
    for (int p = 1; p <= 2; ++p)
      put(dat_name(c * 10 + p), disguise(encode_bmp(paint_sprite(c, p))));
  put("60.dat", disguise(encode_bmp(paint_face_sheet())));
  put("61.dat", encode_bmp(paint_texture_sheet()));
  put("72.dat", jpeg_bytes(paint_title(), 72));
  for (int n = 70; n <= 85; ++n) {
    if (n == 72) continue;
    put(dat_name(n), disguise(jpeg_bytes(paint_background(n), n)));
  }
  for (const std::string& name : demo_tune_names()) put(name, compose_tune(name));
}

}  // namespace vm::datatool
