#include <algorithm>
#include <stdexcept>

#include "assets/assets.h"
#include "assets/cp932.h"
#include "assets/data_folder.h"
#include "authoring/check.h"
#include "authoring/layout.h"
#include "authoring/packing.h"
#include "authoring/pictures.h"
#include "platform/common/pixbuf_pictures.h"

namespace vm::datatool {

namespace {

constexpr const char* kSystemText = "system.txt";
constexpr const char* kScriptCsv = "script.csv";
constexpr const char* kChoicesCsv = "choices.csv";

std::vector<std::string> file_names(const DataFolder& folder, const std::string& dir) {
  if (!folder.is_folder()) throw DataError("", 0, "", dir + " is not a folder");
  return folder.file_names();
}

DataFolder made_folder(Files& files, const std::string& dir) {
  files.make_folder(dir).value_or_throw();
  return DataFolder(files, dir);
}

// The picture number of "NN.ext", or -1.
int picture_number(const std::string& name, const std::string& ext) {
  if (name.size() != 2 + ext.size() || name.compare(2, std::string::npos, ext) != 0) return -1;
  if (!std::isdigit(static_cast<unsigned char>(name[0])) ||
      !std::isdigit(static_cast<unsigned char>(name[1])))
    return -1;
  const int n = (name[0] - '0') * 10 + (name[1] - '0');
  return find_picture_entry(n) ? n : -1;
}

std::string magic_of(const std::string& bytes) {
  return bytes.substr(0, 2);
}

// The picture number of "NN.ext" for any extension but the two the game's
// pictures are edited as (and .dat, kept as it is), or -1: a picture saved
// in another form, which pack converts or refuses, never copies unseen.
int other_picture_number(const std::string& name) {
  const size_t dot = name.find('.');
  if (dot != 2 || name.size() < 4) return -1;
  const std::string ext = name.substr(2);
  if (ext == ".bmp" || ext == ".jpg" || ext == ".dat") return -1;
  return picture_number(name, ext);
}

// The picture in the form the game reads for its number: a JPEG or a 24-bit
// bitmap with the real first bytes.
std::string converted_picture(const std::string& n, const std::string& bytes, char kind) {
  const std::string want = kind == 'B' ? "a bitmap (.bmp)" : "a JPEG (.jpg)";
  const Result<Image> img = decode_picture(std::vector<uint8_t>(bytes.begin(), bytes.end()));
  if (!img)
    throw DataError("", 0, "",
                    n + ": picture " + n.substr(0, 2) + " must be " + want +
                        "; this file is no picture the packer can convert (" + img.error().what() +
                        ")");
  if (kind == 'B') return encode_bmp(img.value());
  const Result<std::vector<uint8_t>> jpeg = encode_jpeg(img.value(), 92);
  if (!jpeg) throw DataError("", 0, "", n + ": " + jpeg.error().what());
  return std::string(jpeg.value().begin(), jpeg.value().end());
}

bool is_name_char(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-';
}

}  // namespace

std::string convert_exact(const std::string& in, bool to_utf8, const std::string& file) {
  auto forth = to_utf8 ? cp932_to_utf8 : utf8_to_cp932;
  auto back = to_utf8 ? utf8_to_cp932 : cp932_to_utf8;
  std::string out;
  try {
    out = forth(in);
  } catch (const std::exception& e) {
    throw DataError("", 0, "", file + ": not convertible: " + e.what());
  }
  if (back(out) != in)
    throw DataError(
        "", 0, "",
        file + (to_utf8 ? ": holds characters that would not convert back to the same bytes; "
                          "edit it in its own code page instead"
                        : ": holds characters the game's code page cannot store; replace them"));
  return out;
}

void unpack_folder(Files& files, const std::string& dir, const std::string& out) {
  const DataFolder from(files, dir);
  const std::vector<std::string> names = file_names(from, dir);
  // Refuse names that the unpacked form uses for something else, so that
  // packing again cannot mix them up.
  for (const std::string& n : names) {
    if (n == kSystemText || n == kScriptCsv || n == kChoicesCsv || picture_number(n, ".bmp") >= 0 ||
        picture_number(n, ".jpg") >= 0)
      throw DataError("", 0, "",
                      std::string(dir).append(" holds ").append(n).append(
                          ", a name the unpacked folder uses itself"));
  }
  const DataFolder to = made_folder(files, out);
  for (const std::string& n : names) {
    const std::string bytes = from.read(n).value_or_throw();
    std::string name = n, data = bytes;
    const int pic = picture_number(n, ".dat");
    if (n == "50.dat") {
      name = kSystemText;
      data = convert_exact(bytes, true, n);
    } else if (n == "51.dat" || n == "52.dat") {
      name = n == "51.dat" ? kScriptCsv : kChoicesCsv;
      data = convert_exact(invert_bytes(bytes), true, n);
    } else if (pic >= 0) {
      const PictureEntry& s = *find_picture_entry(pic);
      char kind = s.kind;
      if (s.disguised) {
        // The game writes the real first bytes over whatever stands there, so
        // a folder left running (or never disguised) reads the same; packing
        // gives it its at-rest "JF" again.
        if (bytes.size() < 2) throw DataError("", 0, "", n + " is too short to be a picture");
        data.replace(0, 2, real_magic(kind));
      } else if (magic_of(bytes) == real_magic('B')) {
        kind = 'B';
      } else if (magic_of(bytes) == real_magic('J')) {
        kind = 'J';
      } else {
        kind = '\0';  // another format the picture loader reads: kept as it is
      }
      if (kind) name = n.substr(0, 2) + (kind == 'B' ? ".bmp" : ".jpg");
    }
    to.replace(name, data).value_or_throw();
  }
}

void pack_folder(Files& files, const std::string& src, const std::string& dir,
                 std::vector<std::string>* converted) {
  const DataFolder from(files, src);
  const std::vector<std::string> names = file_names(from, src);
  for (const std::string& n : names) {
    const int kept = picture_number(n, ".dat");
    if (n == "50.dat" || n == "51.dat" || n == "52.dat" ||
        (kept >= 0 && find_picture_entry(kept)->disguised))
      throw DataError("", 0, "",
                      std::string(src).append(" holds ").append(n).append(
                          "; an unpacked folder keeps it as its editable file instead"));
    const int b = picture_number(n, ".bmp"), j = picture_number(n, ".jpg");
    const int pic = std::max({b, j, other_picture_number(n)});
    const size_t same =
        static_cast<size_t>(std::count_if(names.begin(), names.end(), [&](const std::string& m) {
          return m != n && m.compare(0, 3, n.substr(0, 3)) == 0 &&
                 (picture_number(m, ".bmp") >= 0 || picture_number(m, ".jpg") >= 0 ||
                  picture_number(m, ".dat") >= 0 || other_picture_number(m) >= 0);
        }));
    if (pic >= 0 && same > 0)
      throw DataError("", 0, "", src + " holds two files for picture " + n.substr(0, 2));
  }
  const DataFolder to = made_folder(files, dir);
  for (const std::string& n : names) {
    std::string name, how;
    const std::string data = pack_file(n, from.read(n).value_or_throw(), name, &how);
    to.replace(name, data).value_or_throw();
    if (converted && !how.empty()) converted->push_back(how);
  }
}

std::string pack_file(const std::string& n, const std::string& bytes, std::string& name,
                      std::string* converted) {
  name = n;
  std::string data = bytes;
  if (const int other = other_picture_number(n); other >= 0) {
    const char kind = find_picture_entry(other)->kind;
    const std::string as = n.substr(0, 2) + (kind == 'B' ? ".bmp" : ".jpg");
    if (converted)
      *converted = "converted " + n + " to " + (kind == 'B' ? "a bitmap" : "a JPEG") +
                   ", the form the game reads for picture " + n.substr(0, 2) + " (" + as + ")";
    return pack_file(as, converted_picture(n, bytes, kind), name);
  }
  const int b = picture_number(n, ".bmp"), j = picture_number(n, ".jpg");
  if (n == kSystemText) {
    name = "50.dat";
    data = convert_exact(bytes, false, n);
  } else if (n == kScriptCsv || n == kChoicesCsv) {
    name = n == kScriptCsv ? "51.dat" : "52.dat";
    data = invert_bytes(convert_exact(bytes, false, n));
  } else if (b >= 0 || j >= 0) {
    const int pic = std::max(b, j);
    const PictureEntry& s = *find_picture_entry(pic);
    const std::string want = real_magic(b >= 0 ? 'B' : 'J');
    if (magic_of(bytes) != want)
      throw DataError("", 0, "", n + " is not a " + (b >= 0 ? "bitmap" : "JPEG") + " file");
    if (s.disguised) {
      if ((s.kind == 'B') != (b >= 0))
        throw DataError("", 0, "",
                        n + ": picture " + std::to_string(pic) + " must be a " +
                            (s.kind == 'B' ? "bitmap (.bmp)" : "JPEG (.jpg)"));
      data.replace(0, 2, kRestMagic);
    }
    name = dat_name(pic);
  }
  return data;
}

bool is_edit_folder(Files& files, const std::string& dir) {
  const DataFolder f(files, dir);
  return f.is_folder() && f.has(kScriptCsv) && !f.has("51.dat");
}

std::string edited_names(const std::string& text, const std::vector<std::string>& edit_names) {
  auto edited = [&](const std::string& packed) -> std::string {
    if (packed == "50.dat") return kSystemText;
    if (packed == "51.dat") return kScriptCsv;
    if (packed == "52.dat") return kChoicesCsv;
    // NN.jpg or NN.bmp, or the file pack converted (76.png).
    for (const std::string& e : edit_names)
      if (e.compare(0, 3, packed.substr(0, 3)) == 0 && e != packed &&
          (picture_number(e, e.substr(2)) >= 0))
        return e;
    return packed;  // kept as it is in the editable folder too
  };
  std::string out;
  size_t at = 0;
  for (size_t p = text.find(".dat"); p != std::string::npos; p = text.find(".dat", p + 4)) {
    const bool whole = p >= 2 && std::isdigit(static_cast<unsigned char>(text[p - 1])) &&
                       std::isdigit(static_cast<unsigned char>(text[p - 2])) &&
                       (p == 2 || !is_name_char(text[p - 3])) &&
                       (p + 4 == text.size() || !is_name_char(text[p + 4]));
    if (!whole || p - 2 < at) continue;
    out += text.substr(at, p - 2 - at) + edited(text.substr(p - 2, 6));
    at = p + 4;
  }
  return out + text.substr(at);
}

}  // namespace vm::datatool
