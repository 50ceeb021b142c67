#pragma once
// A table case's changes to a clean answer file, in the form the file stores
// them: a line's value text as written (quotes and all), or the key gone.

#include "profile/Profile.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kivtest {

struct StoredEdit {
  const char* section;
  const char* key;
  const char* stored;  // nullptr: the key goes
};

// Writes `text` as the file, then makes the edits through the profile
// functions, as the editor and a UDB merge would.
inline void WriteWithEdits(const std::string& file, const std::string& text, const std::vector<StoredEdit>& edits) {
  WriteWholeFile(file, text);
  for (const StoredEdit& edit : edits) {
    if (edit.stored)
      EXPECT_TRUE(profile::WriteStoredText(file, edit.section, edit.key, edit.stored)) << edit.section << edit.key;
    else
      EXPECT_TRUE(profile::DeleteKey(file, edit.section, edit.key)) << edit.section << edit.key;
  }
}

}  // namespace kivtest
