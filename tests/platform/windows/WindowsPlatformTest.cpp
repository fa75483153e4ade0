#include "platform/Platform.h"

#include <gtest/gtest.h>

TEST(WindowsPlatform, Placeholder) {}
