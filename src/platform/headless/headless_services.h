// The headless services, each in a file of its own, as the Headless object
// builds them.
#pragma once

#include <memory>

#include "platform/headless/headless.h"

namespace vm {

std::unique_ptr<Window> make_headless_window(Headless& h);
std::unique_ptr<Clock> make_headless_clock(Headless& h);
std::unique_ptr<Dialogs> make_headless_dialogs(Headless& h);
std::unique_ptr<Music> make_headless_music(Headless& h);
std::unique_ptr<Effects> make_headless_effects(Headless& h);
std::unique_ptr<Volume> make_headless_volume(Headless& h);
std::unique_ptr<Forms> make_headless_forms(Headless& h);

}  // namespace vm
