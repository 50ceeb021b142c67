// The setupapi oracle.

#include "support/SetupReads.h"

#include <windows.h>
#include <setupapi.h>

namespace kivtest {

std::optional<std::vector<std::string>> SetupFields(const std::string& file, const std::string& section,
                                                    const std::string& key) {
  HINF inf = SetupOpenInfFileA(file.c_str(), nullptr, INF_STYLE_OLDNT, nullptr);
  if (inf == INVALID_HANDLE_VALUE) return std::nullopt;
  std::optional<std::vector<std::string>> fields;
  INFCONTEXT line{};
  if (SetupFindFirstLineA(inf, section.c_str(), key.c_str(), &line)) {
    fields.emplace();
    const DWORD count = SetupGetFieldCount(&line);
    for (DWORD i = 1; i <= count; ++i) {
      char buffer[4096] = {};
      DWORD needed = 0;
      if (!SetupGetStringFieldA(&line, i, buffer, sizeof buffer, &needed)) buffer[0] = 0;
      fields->push_back(buffer);
    }
  }
  SetupCloseInfFile(inf);
  return fields;
}

std::optional<std::string> SetupText(const std::string& file, const std::string& section, const std::string& key) {
  const auto fields = SetupFields(file, section, key);
  if (!fields) return std::nullopt;
  return fields->empty() ? std::string() : fields->front();
}

}  // namespace kivtest
