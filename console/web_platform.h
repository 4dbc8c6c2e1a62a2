#pragma once

#include <cstdint>
#include <string_view>

#include "console/geometry.h"

// What the browser does for the console besides input: the canvas painted,
// the learner's files kept in the browser's storage, waiting for input, and
// the page round the screen (its history entries, its message at the end).
namespace tutor::web_platform {

// Paints `area` of a frame of 0xAABBGGRR pixels, `width` by `height`, on the
// page's canvas; all of it when the canvas had another size.
void paint(const std::uint32_t* pixels, int width, int height, PixelRect area);

// Fetches `url` from the page's server into the file `path` (outside the
// learner's tree), without waiting; a wait for input ends when it is done.
void start_fetch(std::string_view url, std::string_view path);
enum class Fetch { Pending, Arrived, Failed };
[[nodiscard]] Fetch fetch_state(std::string_view path);

// The page's screen to the whole display, or back: F11 as the bar's button.
void toggle_fullscreen();

// Mounts the browser's storage at `folder`, loads what it keeps there, and
// asks the browser to keep it for good. False when the browser keeps nothing
// (a private window may refuse): the files then last as long as the page.
[[nodiscard]] bool open_storage(std::string_view folder);
// Stores every change made under that folder since the last call, all in one
// transaction, and returns once the browser has it: a tab closed at any
// moment leaves the old files or the new, never a mix. False when it could
// not be stored (the page says so).
bool store_changes();
// What changed so far need not be stored before the next frame: the files a
// new learner's tree starts with, made again from the same values if lost.
// The next store takes them along.
void defer_changes();

// Wakes a wait at every input from now on; called once the canvas listens
// for input itself, so that a wait goes on only after input is queued.
void listen_for_input();
// Whether the page is a class's, signed in to its class server: blocks then
// go to the page's outbox, which sends them (web/page/velmora-class.js).
[[nodiscard]] bool in_class();

// Waits until input comes, or `ms` pass when it is not negative.
void wait_for_input(int ms);

// A program starts: the launcher has the page's own history entry, every
// other program one entry after it, so that the browser's back button leads
// to the launcher and no further into a block.
void program_started(bool launcher);
// Whether the back button was pressed since the last call.
[[nodiscard]] bool back_pressed();

// The last program ended: the page says so and waits for the learner to
// start again.
void wait_for_restart();

}  // namespace tutor::web_platform
