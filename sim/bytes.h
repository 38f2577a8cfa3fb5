#pragma once
// Bytes and half words as the controller packs, checks and sums them.

namespace gw20::sim {

inline constexpr int kByteBits = 8;
inline constexpr int kByteMax = 0xFF;
inline constexpr int kByteModulus = 0x100;
inline constexpr int kHalfWordBits = 16;
inline constexpr int kHalfWordMax = 0xFFFF;

}  // namespace gw20::sim
