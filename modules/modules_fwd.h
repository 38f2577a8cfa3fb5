#pragma once
// The module types other headers name only by reference or pointer, declared
// once here instead of in each of them.

namespace gw20::modules {

struct ModuleTable;

}  // namespace gw20::modules
