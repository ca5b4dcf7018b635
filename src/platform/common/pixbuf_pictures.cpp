#include "platform/common/pixbuf_pictures.h"

#include <gdk-pixbuf/gdk-pixbuf.h>

namespace vm {

namespace {

// Owns one GObject reference.
struct PixbufRef {
  GdkPixbuf* p = nullptr;
  explicit PixbufRef(GdkPixbuf* pb = nullptr) : p(pb) {}
  ~PixbufRef() {
    if (p) g_object_unref(p);
  }
  PixbufRef(const PixbufRef&) = delete;
  PixbufRef& operator=(const PixbufRef&) = delete;
};

std::string take_error(GError* err, const char* fallback) {
  std::string msg = err && err->message ? err->message : fallback;
  if (err) g_error_free(err);
  return msg;
}

// Copies a decoded pixbuf (RGB or RGBA, 8 bits) into an Image, dropping alpha.
Result<Image> pixbuf_to_image(GdkPixbuf* pb) {
  if (gdk_pixbuf_get_colorspace(pb) != GDK_COLORSPACE_RGB ||
      gdk_pixbuf_get_bits_per_sample(pb) != 8)
    return failure("unsupported pixel format");
  const int w = gdk_pixbuf_get_width(pb);
  const int h = gdk_pixbuf_get_height(pb);
  const int channels = gdk_pixbuf_get_n_channels(pb);
  const int stride = gdk_pixbuf_get_rowstride(pb);
  if (w <= 0 || h <= 0 || channels < 3) return failure("empty or unsupported picture");
  const guchar* base = gdk_pixbuf_read_pixels(pb);
  Image img(w, h);
  for (int y = 0; y < h; ++y) {
    const guchar* row = base + static_cast<size_t>(y) * stride;
    uint32_t* dst = &img.px[static_cast<size_t>(y) * w];
    for (int x = 0; x < w; ++x) {
      const guchar* s = row + static_cast<size_t>(x) * channels;
      dst[x] = rgb(s[0], s[1], s[2]);
    }
  }
  return img;
}

// A new RGB pixbuf holding the image.
GdkPixbuf* image_to_pixbuf(const Image& img, const std::vector<uint8_t>* alpha = nullptr) {
  if (img.w <= 0 || img.h <= 0) return nullptr;
  const bool has_alpha = alpha && alpha->size() == img.px.size();
  const int channels = has_alpha ? 4 : 3;
  GdkPixbuf* pb = gdk_pixbuf_new(GDK_COLORSPACE_RGB, has_alpha, 8, img.w, img.h);
  if (!pb) return nullptr;
  const int stride = gdk_pixbuf_get_rowstride(pb);
  guchar* base = gdk_pixbuf_get_pixels(pb);
  for (int y = 0; y < img.h; ++y) {
    guchar* row = base + static_cast<size_t>(y) * stride;
    for (int x = 0; x < img.w; ++x) {
      const uint32_t c = img.at(x, y);
      row[channels * x + 0] = red_of(c);
      row[channels * x + 1] = green_of(c);
      row[channels * x + 2] = blue_of(c);
      if (has_alpha) row[channels * x + 3] = (*alpha)[static_cast<size_t>(y) * img.w + x];
    }
  }
  return pb;
}

}  // namespace

namespace {

// What the picture's header claims, learnt before any pixel is decoded.
struct ClaimedSize {
  int w = 0, h = 0;
  bool too_large = false;
};

// Called by gdk-pixbuf once the header is read (C; throws nothing). A size of
// 0 x 0 tells the decoder to stop before it sets aside room for the pixels.
void on_size_prepared(GdkPixbufLoader* loader, int w, int h, gpointer data) {
  auto* claimed = static_cast<ClaimedSize*>(data);
  claimed->w = w;
  claimed->h = h;
  if (w > kMaxPictureSide || h > kMaxPictureSide) {
    claimed->too_large = true;
    gdk_pixbuf_loader_set_size(loader, 0, 0);
  }
}

}  // namespace

Result<Image> decode_picture(const std::vector<uint8_t>& bytes) {
  if (bytes.empty()) return failure("empty file");
  GdkPixbufLoader* loader = gdk_pixbuf_loader_new();
  ClaimedSize claimed;
  g_signal_connect(loader, "size-prepared", G_CALLBACK(on_size_prepared), &claimed);
  GError* err = nullptr;
  bool ok = gdk_pixbuf_loader_write(loader, bytes.data(), bytes.size(), &err);
  if (ok)
    ok = gdk_pixbuf_loader_close(loader, &err);
  else
    gdk_pixbuf_loader_close(loader, nullptr);
  GdkPixbuf* pb = ok ? gdk_pixbuf_loader_get_pixbuf(loader) : nullptr;  // owned by the loader
  Result<Image> out = failure("not a picture");
  if (claimed.too_large) {
    // A damaged or hostile header would have the game set aside gigabytes.
    if (err) g_error_free(err);
    out = failure("the picture claims " + std::to_string(claimed.w) + " x " +
                  std::to_string(claimed.h) + " pixels, more than the " +
                  std::to_string(kMaxPictureSide) + " x " + std::to_string(kMaxPictureSide) +
                  " a picture may have");
  } else if (!ok) {
    out = failure(take_error(err, "cannot decode the picture"));
  } else if (pb) {
    out = pixbuf_to_image(pb);
  }
  g_object_unref(loader);
  return out;
}

Result<Image> PixbufPictures::load_picture(const std::string& path) {
  const Result<std::string> read = files_.read_whole(path);
  if (!read) {
    const FileError* e = read.error_as<FileError>();
    return failure(path + (e && e->step == FileError::Opening ? ": " + e->reason : ": read error"));
  }
  Result<Image> decoded =
      decode_picture(std::vector<uint8_t>(read.value().begin(), read.value().end()));
  if (!decoded) return failure(path + ": " + decoded.error().what());
  return decoded;
}

Result<void> save_png(const Image& img, const std::string& path) {
  return save_png_alpha(img, {}, path);
}

Result<void> save_png_alpha(const Image& img, const std::vector<uint8_t>& alpha,
                            const std::string& path) {
  PixbufRef pb(image_to_pixbuf(img, &alpha));
  if (!pb.p) return failure("empty picture");
  GError* err = nullptr;
  if (!gdk_pixbuf_save(pb.p, path.c_str(), "png", &err, nullptr))
    return failure(path + ": " + take_error(err, "cannot write the PNG file"));
  return {};
}

Result<std::vector<uint8_t>> encode_jpeg(const Image& img, int quality) {
  PixbufRef pb(image_to_pixbuf(img));
  if (!pb.p) return failure("empty picture");
  if (quality < 0) quality = 0;
  if (quality > 100) quality = 100;
  const std::string q = std::to_string(quality);
  gchar* buf = nullptr;
  gsize size = 0;
  GError* err = nullptr;
  if (!gdk_pixbuf_save_to_buffer(pb.p, &buf, &size, "jpeg", &err, "quality", q.c_str(), nullptr))
    return failure(take_error(err, "cannot encode JPEG"));
  std::vector<uint8_t> out(reinterpret_cast<const uint8_t*>(buf),
                           reinterpret_cast<const uint8_t*>(buf) + size);
  g_free(buf);
  return out;
}

}  // namespace vm
