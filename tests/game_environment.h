// The headless game a test program plays in: a software screen, the embedded assets and the
// shared pictures and sounds, set up once for the whole program and ended after its last test.
#pragma once

#include <gtest/gtest.h>

#include "app/app.h"
#include "media/media.h"
#include "state/globals.h"

class TGameEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    SetLogQuiet(true);
    SetHeadless(true);
    ASSERT_TRUE(Graphics(SCREEN_WIDTH, SCREEN_HEIGHT, 0, FRAME_HERTZ, 0));
    RegisterEmbeddedAssets();
    LoadSharedMedia();
    graphicsHertz = FRAME_HERTZ;
  }
  void TearDown() override {
    session = nullptr;
    EndGraphics();
  }
};
