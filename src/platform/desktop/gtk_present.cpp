// Putting the game's frames on screen: only the changed pixels are copied
// and magnified, straight into the window where the display allows it.
#include "platform/desktop/gtk_window.h"

#ifdef GDK_WINDOWING_X11
#include <gdk/gdkx.h>
#endif

#include <cstring>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace vm {

namespace {

// Start-up, each scene change and each tune change free much of what they
// read and decoded; a second after the picture changes, the allocator gives
// those pages back to the system instead of keeping them for later. The
// story's screen is seldom still for long (the waiting arrow blinks), so the
// second runs from the first change after the last giving back, not from
// the last change.
guint g_trim_source = 0;
gboolean trim_heap(gpointer) {
  g_trim_source = 0;
#ifdef __GLIBC__
  malloc_trim(0);
#endif
  return G_SOURCE_REMOVE;
}
void trim_heap_soon() {
  if (!g_trim_source) g_trim_source = g_timeout_add_seconds(1, trim_heap, nullptr);
}

bool on_x11([[maybe_unused]] GdkWindow* gw) {
#ifdef GDK_WINDOWING_X11
  return GDK_IS_X11_DISPLAY(gdk_window_get_display(gw));
#else
  return false;
#endif
}

}  // namespace

namespace {

// Copies the runs of pixels of one row that differ into dst, nearby runs as
// one, and adds each run to the changed region.
// The row's width, then which row it is, as an image row is addressed.
// NOLINTNEXTLINE(bugprone-easily-swappable-parameters)
void copy_changed_runs(uint32_t* dst, const uint32_t* src, int w, int y, cairo_region_t* changed) {
  constexpr int kJoinGap = 32;  // nearby runs go as one rectangle
  int x = 0;
  while (x < w) {
    while (x < w && dst[x] == src[x]) ++x;
    if (x == w) break;
    const int first = x;
    int last = x, same = 0;
    for (; x < w && same <= kJoinGap; ++x) {
      if (dst[x] != src[x]) {
        last = x;
        same = 0;
      } else {
        ++same;
      }
    }
    std::memcpy(dst + first, src + first, static_cast<size_t>(last - first + 1) * 4);
    const cairo_rectangle_int_t run{first, y, last - first + 1, 1};
    cairo_region_union_rectangle(changed, &run);
    x = last + 1;
  }
}

}  // namespace

void GtkMainWindow::present(Image& frame) {
  if (frame.w <= 0 || frame.h <= 0) return;
  if (cairo_image_surface_get_width(frame_) != frame.w ||
      cairo_image_surface_get_height(frame_) != frame.h) {
    cairo_surface_destroy(frame_);
    frame_ = cairo_image_surface_create(CAIRO_FORMAT_RGB24, frame.w, frame.h);
    have_frame_ = false;
  }
  cairo_region_t* changed = take_frame(frame);
  if (!changed) return;
  // The pixels live on in the window's own surface: the frame's room goes
  // back, so the game holds no second screen's worth between frames.
  frame = Image{};
  const bool had_frame = have_frame_;
  have_frame_ = true;
  show_changed(changed, had_frame);
  trim_heap_soon();
  cairo_region_destroy(changed);
}

cairo_region_t* GtkMainWindow::take_frame(const Image& frame) {
  cairo_surface_flush(frame_);
  unsigned char* data = cairo_image_surface_get_data(frame_);
  const int stride = cairo_image_surface_get_stride(frame_);
  if (!data) return nullptr;
  // CAIRO_FORMAT_RGB24 is one native-endian word per pixel, 0x00RRGGBB: our
  // own layout, so rows copy as they are. Only the runs of pixels that
  // changed are repainted, which keeps typing (one character cell a step) and
  // the bar effects (a few columns at each edge) cheap on a magnified screen.
  cairo_region_t* changed = cairo_region_create();
  const bool all = !have_frame_;
  for (int y = 0; y < frame.h; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(data + static_cast<size_t>(y) * stride);
    const uint32_t* src = &frame.px[static_cast<size_t>(y) * frame.w];
    if (all)
      std::memcpy(row, src, static_cast<size_t>(frame.w) * 4);
    else if (std::memcmp(row, src, static_cast<size_t>(frame.w) * 4) != 0)
      copy_changed_runs(row, src, frame.w, y, changed);
  }
  if (all) {
    const cairo_rectangle_int_t whole{0, 0, frame.w, frame.h};
    cairo_region_union_rectangle(changed, &whole);
  }
  cairo_surface_mark_dirty(frame_);
  return changed;
}

void GtkMainWindow::show_changed(const cairo_region_t* changed, bool had_frame) {
  const int rects = cairo_region_num_rectangles(changed);
  // Only the changed game pixels travel to the display; it magnifies them.
  if (cairo_surface_t* screen = rects > 0 ? screen_surface(!had_frame) : nullptr) {
    cairo_t* c = cairo_create(screen);
    cairo_set_operator(c, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(c, staged(changed), 0, 0);
    gdk_cairo_region(c, changed);
    cairo_fill(c);
    cairo_destroy(c);
  }
  if (rects == 0 || !gtk_widget_get_mapped(area_)) return;  // unchanged, or painted when exposed
  GdkWindow* gw = gtk_widget_get_window(area_);
  if (!gw) return;
  const ViewGeometry v = view();
  const int f = device_factor();
  if (on_x11(gw)) {
    // On X the server magnifies the changed game pixels straight into the
    // window. The toolkit's own repaint would first magnify them into a fresh
    // off-screen buffer as large as the window and then copy that: at 3x a
    // full-screen change then costs the server about twice as much, more
    // than a fifth of the shortest transition step.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    cairo_t* cr = gdk_cairo_create(gw);
#pragma GCC diagnostic pop
    paint_screen(cr, v, f, changed);
    cairo_destroy(cr);
  } else {
    // Elsewhere (Wayland) only the toolkit's repaint reaches the screen.
    for (int i = 0; i < rects; ++i) {
      cairo_rectangle_int_t g;
      cairo_region_get_rectangle(changed, i, &g);
      const ViewRect r = game_to_view(v, f, g.x, g.y, g.width, g.height);
      gtk_widget_queue_draw_area(area_, r.x, r.y, r.w, r.h);
    }
    // Paint now, handling only the repaint: no input reaches the game here.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    gdk_window_process_updates(gw, TRUE);
#pragma GCC diagnostic pop
  }
  gdk_display_flush(gdk_window_get_display(gw));
}

void GtkMainWindow::paint_screen(cairo_t* cr, const ViewGeometry& v, int device_factor,
                                 const cairo_region_t* game_area) {
  // In device pixels, then in game pixels: each one a whole square of
  // device pixels, never blurred.
  cairo_save(cr);
  cairo_scale(cr, 1.0 / device_factor, 1.0 / device_factor);
  cairo_translate(cr, v.x, v.y);
  cairo_scale(cr, v.scale, v.scale);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  if (game_area) {
    gdk_cairo_region(cr, game_area);
  } else {
    cairo_rectangle(cr, 0, 0, kWidth, kHeight);
  }
  cairo_surface_t* screen = screen_surface(false);
  cairo_set_source_surface(cr, screen ? screen : frame_, 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
  cairo_fill(cr);
  cairo_restore(cr);
}

cairo_surface_t* GtkMainWindow::staged(const cairo_region_t* changed) {
  GdkWindow* gw = gtk_widget_get_window(area_);
  if (!gw || !on_x11(gw)) return frame_;
  // The changed pixels go to the X server through one of two images it
  // shares with us, in turn. Shared memory maps nothing new in the server
  // each frame; two of them let us fill one while the server still reads
  // and magnifies the other, instead of waiting for it.
  const int w = cairo_image_surface_get_width(frame_), h = cairo_image_surface_get_height(frame_);
  cairo_surface_t*& buf = staging_[staging_next_];
  staging_next_ ^= 1;
  if (buf &&
      (cairo_image_surface_get_width(buf) != w || cairo_image_surface_get_height(buf) != h)) {
    cairo_surface_destroy(buf);
    buf = nullptr;
  }
  if (!buf) {
    buf = gdk_window_create_similar_image_surface(gw, CAIRO_FORMAT_RGB24, w, h, 1);
    if (buf && (cairo_surface_status(buf) != CAIRO_STATUS_SUCCESS ||
                cairo_surface_get_type(buf) != CAIRO_SURFACE_TYPE_IMAGE ||
                cairo_image_surface_get_format(buf) != CAIRO_FORMAT_RGB24)) {
      cairo_surface_destroy(buf);
      buf = nullptr;
    }
    if (!buf) return frame_;
  }
  cairo_surface_flush(buf);
  const unsigned char* from = cairo_image_surface_get_data(frame_);
  unsigned char* to = cairo_image_surface_get_data(buf);
  const int from_stride = cairo_image_surface_get_stride(frame_);
  const int to_stride = cairo_image_surface_get_stride(buf);
  if (!from || !to) return frame_;
  // Only the changed pixels are current in this image; only they are sent.
  for (int i = 0, n = cairo_region_num_rectangles(changed); i < n; ++i) {
    cairo_rectangle_int_t r;
    cairo_region_get_rectangle(changed, i, &r);
    for (int y = r.y; y < r.y + r.height; ++y)
      std::memcpy(to + static_cast<size_t>(y) * to_stride + static_cast<size_t>(r.x) * 4,
                  from + static_cast<size_t>(y) * from_stride + static_cast<size_t>(r.x) * 4,
                  static_cast<size_t>(r.width) * 4);
  }
  cairo_surface_mark_dirty(buf);
  return buf;
}

cairo_surface_t* GtkMainWindow::screen_surface(bool refill) {
  GdkWindow* gw = gtk_widget_get_window(area_);
  if (!gw) return nullptr;
  const int f = std::max(1, gdk_window_get_scale_factor(gw));
  if (screen_ && screen_factor_ != f) {
    cairo_surface_destroy(screen_);
    screen_ = nullptr;
  }
  if (!screen_) {
    // A surface of the display's own kind (an X pixmap), one device pixel per
    // game pixel; it is sized in logical pixels, hence the rounding up.
    screen_ = gdk_window_create_similar_surface(gw, CAIRO_CONTENT_COLOR, (kWidth + f - 1) / f,
                                                (kHeight + f - 1) / f);
    cairo_surface_set_device_scale(screen_, 1.0, 1.0);
    screen_factor_ = f;
    refill = true;
  }
  if (refill && have_frame_) {
    cairo_t* c = cairo_create(screen_);
    cairo_set_operator(c, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(c, frame_, 0, 0);
    cairo_paint(c);
    cairo_destroy(c);
  }
  return screen_;
}

// Each toolkit callback catches everything: nothing may throw through the C code.

gboolean GtkMainWindow::on_draw(GtkWidget*, cairo_t* cr, gpointer self) {
  auto* w = static_cast<GtkMainWindow*>(self);
  return guarded(w->failures_, "the main window's drawing", TRUE, [&]() -> gboolean {
    const ViewGeometry v = w->view();
    const int f = w->device_factor();
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_rgb(cr, 0, 0, 0);
    if (!w->have_frame_) {
      cairo_paint(cr);
      return TRUE;
    }
    // Black only around the screen (full screen): on a magnified screen
    // a second pass over every pixel would be most of what a repaint costs.
    cairo_save(cr);
    cairo_scale(cr, 1.0 / f, 1.0 / f);
    GtkAllocation a;
    gtk_widget_get_allocation(w->area_, &a);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    cairo_rectangle(cr, 0, 0, a.width * f, a.height * f);
    cairo_rectangle(cr, v.x, v.y, v.w, v.h);
    cairo_fill(cr);
    cairo_restore(cr);
    // Then the screen itself.
    w->paint_screen(cr, v, f, nullptr);
    return TRUE;
  });
}

}  // namespace vm
