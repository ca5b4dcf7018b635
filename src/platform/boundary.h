// Force-included into every file of the game's core (not the platform, not
// the tools): the game waits, reads the time and runs only through the
// platform services (src/platform/services.h), so that the headless platform
// can play it on a virtual clock, one thread, every present recorded. Using
// the system's own sleeping, clocks or threads here is a compile error.
//
// The toolkits (GTK, GLib, cairo, Pango, SDL) are not on the core's include
// path at all; their headers are also marked as already read, so that a
// path added by mistake still leaves their names undeclared.
#pragma once

// The headers that declare what is forbidden come first, so that their own
// uses are read before the names are poisoned: the C library's, and the
// standard library's own pieces that the everyday headers (<memory>,
// <sstream>, <filesystem>) read in turn. Only those pieces, not <thread>,
// <future> or <mutex> whole: every file of the core reads this first, and
// they would double what it reads before its own first line.
#include <bits/chrono.h>
#include <bits/std_thread.h>
#include <bits/this_thread_sleep.h>
#include <pthread.h>
#include <sys/time.h>
#include <unistd.h>

#include <ctime>

#pragma GCC poison usleep nanosleep this_thread sleep_for sleep_until
#pragma GCC poison clock_gettime gettimeofday steady_clock system_clock high_resolution_clock
#pragma GCC poison thread jthread async pthread_create

// sleep is also the clock service's own member, and time a common word, so
// these two are marked rather than poisoned: a call to the system's own
// fails the build.
extern "C" unsigned int sleep(unsigned int)
    __attribute__((deprecated("wait through the platform's clock service")));
extern "C" time_t time(time_t*) noexcept
    __attribute__((deprecated("read the time through the platform's clock service")));

#define __GTK_H__
#define __G_LIB_H__
#define __GLIB_GOBJECT_H__
#define CAIRO_H
#define __PANGO_H__
#define SDL_h_
#define SDL_MIXER_H_
