// The game's state has its own home below every subsystem; kept so that code
// written against the old place still builds.
#pragma once

#include "game/game.h"
