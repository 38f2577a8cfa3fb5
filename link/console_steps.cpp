#include "link/console_steps.h"

#include "link/console.h"

namespace gw20::link {

bool ConsoleSteps::Exchange(std::string_view Command, std::string_view Prompt) {
  return Note(console_.ConsoleExchange(Command, Prompt), Command, Prompt);
}

bool ConsoleSteps::Read(std::string_view Command, std::string_view Key, std::uint32_t& Value) {
  return Note(console_.ConsoleReadValue(Command, Key, Value), Command, Key);
}

void ConsoleSteps::Try(std::string_view Command, std::string_view Prompt) {
  static_cast<void>(console_.ConsoleExchange(Command, Prompt));
}

bool ConsoleSteps::Note(bool ok, std::string_view Command, std::string_view awaited) {
  if (!ok) failure_ = "no \"" + std::string(awaited) + "\" after \"" + std::string(Command) + "\"";
  return ok;
}

}  // namespace gw20::link
