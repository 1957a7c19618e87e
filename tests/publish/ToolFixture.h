// licytek-cli allegro run as a process against the fake Allegro, with its settings and data
// in a temporary folder.
#pragma once

#include <gtest/gtest.h>

#include "FakeAllegro.h"
#include "FakeEnvironment.h"
#include "ToolProcess.h"
#include "support/TempDir.h"

namespace licytek::testing {

class AllegroToolTest : public ::testing::Test {
  protected:
    void SignIn() { environment.SignIn(); }

    FakeAllegro fake;
    TempDir folder;
    FakeEnvironment environment{fake, folder.Path()};
};

}  // namespace licytek::testing
