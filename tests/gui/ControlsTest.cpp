// The widget toolkit on real windows.

#include "support/Operator.h"

#include <gtest/gtest.h>

using namespace gui;
using namespace kivtest;

TEST(Smoke, FormShowsAndCancels) {
  Form form({.name = "form", .width = 300, .height = 200, .caption = "Test"});
  auto* cancel = form.Add<Button>({.name = "btnCancel", .caption = "Cancel", .cancel = true, .modalResult = mrCancel});
  int result = RunModal(form, [&] { Click(*cancel); });
  EXPECT_EQ(result, mrCancel);
}
