#pragma once
// The link types other headers name only by reference or pointer, declared
// once here instead of in each of them.

namespace gw20::link {

class Console;
struct ConsoleState;
struct EepromImage;
struct EepromResult;
struct GatewayParameters;

}  // namespace gw20::link
