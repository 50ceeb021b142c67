// Entry of every test program: one application object for the whole run,
// then GoogleTest.

#include "gui/Application.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  gui::Application application;
  application.NameProperty = "KivName";
  return RUN_ALL_TESTS();
}
