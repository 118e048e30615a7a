#pragma once

#include <gtest/gtest.h>

#include "platform/Platform.h"

// Every platform test runs on a fresh headless platform.
class HeadlessTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(w32::StartPlatform(w32::tBackendKind::kHeadless)); }
    void TearDown() override { w32::StopPlatform(); }
};
