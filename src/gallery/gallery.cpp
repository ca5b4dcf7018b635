#include "gallery/gallery.h"

namespace vm {

// The gallery is not built yet: the title menu stays as it is.
void show_gallery(Game&) {}

}  // namespace vm
