#include <gtest/gtest.h>

#include "identity/mdlComputerName.h"

namespace {

TEST(TrimAtNull, KeepsTextWithoutNul) { EXPECT_EQ(identity::TrimAtNull(L"SERVER"), L"SERVER"); }

}  // namespace
