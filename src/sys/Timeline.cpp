// The start-up timeline: marks kept in memory and written once, so that the
// timing disturbs what it times as little as it can.

#include "sys/Timeline.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace sys {

namespace {

struct Timeline {
  bool active = false;
  std::string file;
  // Process creation on the system clock, and the performance counter at the
  // same moment as a later reading of the system clock: the counter gives
  // the steps, the system clock only the distance to the creation.
  double createdToAnchorMs = 0;
  LARGE_INTEGER anchor{}, frequency{};
  std::string marks;

  Timeline() {
    char path[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableA("KIV_TIMELINE", path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    file = path;
    active = true;
    FILETIME created{}, exited{}, kernel{}, user{}, now{};
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    GetSystemTimeAsFileTime(&now);
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&anchor);
    auto ticks = [](const FILETIME& t) {
      return static_cast<double>((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
    };
    createdToAnchorMs = (ticks(now) - ticks(created)) / 10000.0;
  }
};

Timeline& Instance() {
  static Timeline timeline;
  return timeline;
}

}  // namespace

bool TimelineActive() noexcept { return Instance().active; }

void TimelineMark(const char* step) noexcept {
  Timeline& t = Instance();
  if (!t.active) return;
  LARGE_INTEGER now{};
  QueryPerformanceCounter(&now);
  const double ms =
      t.createdToAnchorMs + static_cast<double>(now.QuadPart - t.anchor.QuadPart) * 1000.0 / t.frequency.QuadPart;
  char line[160];
  std::snprintf(line, sizeof(line), "%s\t%.1f\r\n", step, ms);
  try {
    t.marks.append(line);
  } catch (...) {
  }
}

void TimelineWrite() noexcept {
  Timeline& t = Instance();
  if (!t.active) return;
  t.active = false;
  HANDLE file = CreateFileA(t.file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, t.marks.data(), static_cast<DWORD>(t.marks.size()), &written, nullptr);
  CloseHandle(file);
}

}  // namespace sys
