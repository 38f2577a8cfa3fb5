#include "canopen/error_control.h"

#include <gtest/gtest.h>

#include <vector>

namespace gw20::canopen {
namespace {

TEST(ErrorControlWord, Pack_StoresOnlyTheSelectedProtocolAndKeepsOtherFlagBits) {
  // Heartbeat mode: the guarding values the page still holds are not stored.
  ErrorControlSettings settings{
      .ErrorControlFlags = 0x85, .GuardTime = 1000, .LifeTimeFactor = 3, .HeartbeatTime = 65535};
  EXPECT_EQ(PackErrorControlWord(settings), 0x85FFFF00U);
  settings.ErrorControlFlags = 0x81;
  EXPECT_EQ(PackErrorControlWord(settings), 0x8103E803U);
  const ErrorControlSettings back = UnpackErrorControlWord(0x8103E803U);
  EXPECT_EQ(
      (std::vector<int>{back.ErrorControlFlags, back.GuardTime, back.LifeTimeFactor, back.HeartbeatTime}),
      (std::vector<int>{0x81, 1000, 3, 0}));
}

}  // namespace
}  // namespace gw20::canopen
