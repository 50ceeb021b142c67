#pragma once
// The network page on a form of its own over a scratch working copy, shown
// so that the operator's clicks, typing and picks reach it.

#include "profile/Profile.h"
#include "pages/NetworkFrameUnit.h"
#include "support/Operator.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>

class NetworkPageTest : public testing::Test {
 protected:
  // Answer-file text from its lines.
  static std::string Ini(std::initializer_list<std::string> lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
  }

  // A new page over a working copy of that content, shown and loaded.
  void Load(const std::string& content) {
    WorkFileName = folder / "winnt.sif.new";
    kivtest::WriteWholeFile(WorkFileName, content);
    written = content;
    page = nullptr;
    form = std::make_unique<gui::Form>(gui::Design{.name = "form", .width = 451, .height = 304});
    page = form->Create<TNetWorkFrame>();
    page->EnsureControls();
    form->Show();
    kivtest::PumpUntilIdle();
    page->LoadSettings();
  }

  // The value as setup reads it, or "<absent>".
  [[nodiscard]] std::string Value(const std::string& section, const std::string& key) const {
    return profile::ReadString(WorkFileName, section, key, "<absent>", 4096);
  }
  [[nodiscard]] std::string Text() const { return kivtest::ReadWholeFile(WorkFileName); }

  kivtest::ScratchFolder folder;
  std::string written;  // the working copy as the last Load wrote it
  std::unique_ptr<gui::Form> form;
  TNetWorkFrame* page = nullptr;
};
