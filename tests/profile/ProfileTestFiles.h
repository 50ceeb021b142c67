#pragma once
// Files for the profile tests: a file of given bytes in a scratch folder, and
// the real answer files kept with the tests (tests/samples).

#include "support/TestFiles.h"

#include <string>
#include <vector>

namespace kivtest {

// Makes the file and returns its full name.
inline std::string Put(const ScratchFolder& folder, const std::string& name, const std::string& bytes) {
  const std::string path = folder / name;
  WriteWholeFile(path, bytes);
  return path;
}

// The real answer files, one full name each.
inline std::vector<std::string> SampleAnswerFiles() {
  std::vector<std::string> files;
  const std::string folder = HostPath(KIV_SAMPLES_DIR);
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "/*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return files;
  do {
    const std::string name = found.cFileName;
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name.find(".md") == std::string::npos)
      files.push_back(folder + "/" + name);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return files;
}

}  // namespace kivtest
