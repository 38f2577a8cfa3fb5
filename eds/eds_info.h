#pragma once
// The two texts the operator may give for the EDS file's header.

#include <array>
#include <string>

namespace gw20::eds {

inline constexpr int kEdsDescription = 0;  // EdsInfo position: the file's description
inline constexpr int kEdsCreator = 1;      // EdsInfo position: the creator's name
inline constexpr int kEdsInfoCount = 2;

// "" in either position means the writer's default text is used.
using EdsInfo = std::array<std::string, kEdsInfoCount>;

}  // namespace gw20::eds
