#pragma once
// Timeline: where the start-up's time goes, for `make bench`. With the
// environment variable KIV_TIMELINE naming a file, each step of the start-up
// is marked with the milliseconds since the process was created, and the
// marks are written to that file once the program is idle for the first
// time. Without the variable a mark costs one test of a flag.

namespace sys {

// Marks the end of a step: "name<TAB>ms" in the file.
void TimelineMark(const char* step) noexcept;
// Whether marks are being kept (the variable was set).
[[nodiscard]] bool TimelineActive() noexcept;
// Writes the marks kept so far and keeps no more: the start-up is over.
void TimelineWrite() noexcept;

}  // namespace sys
