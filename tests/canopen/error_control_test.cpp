#include "canopen/error_control.h"

#include <gtest/gtest.h>

namespace gw20::canopen {
namespace {

TEST(ErrorControlWord, StoredPresets_UnpackToTheirProtocolAndPackBack) {
  const ErrorControlSettings heartbeat = UnpackErrorControlWord(0x04012C00);
  EXPECT_TRUE(heartbeat.Heartbeat());
  EXPECT_EQ(heartbeat.HeartbeatTime, 300);
  EXPECT_EQ(heartbeat.GuardTime, 0);
  EXPECT_EQ(heartbeat.LifeTimeFactor, 0);
  EXPECT_EQ(PackErrorControlWord(heartbeat), 0x04012C00U);

  const ErrorControlSettings guarding = UnpackErrorControlWord(0x0003E803);
  EXPECT_FALSE(guarding.Heartbeat());
  EXPECT_EQ(guarding.GuardTime, 1000);
  EXPECT_EQ(guarding.LifeTimeFactor, 3);
  EXPECT_EQ(guarding.HeartbeatTime, 0);
  EXPECT_EQ(PackErrorControlWord(guarding), 0x0003E803U);
}

TEST(ErrorControlWord, Pack_StoresOnlyTheSelectedProtocolAndKeepsOtherFlagBits) {
  // Heartbeat mode: the guarding values the page still holds are not stored.
  ErrorControlSettings settings{
      .ErrorControlFlags = 0x85, .GuardTime = 1000, .LifeTimeFactor = 3, .HeartbeatTime = 65535};
  EXPECT_EQ(PackErrorControlWord(settings), 0x85FFFF00U);
  settings.ErrorControlFlags = 0x81;
  EXPECT_EQ(PackErrorControlWord(settings), 0x8103E803U);
  EXPECT_EQ(UnpackErrorControlWord(0x8103E803U).ErrorControlFlags, 0x81);
}

}  // namespace
}  // namespace gw20::canopen
