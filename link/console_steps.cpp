#include "link/console_steps.h"

#include "link/console.h"

namespace gw20::link {

bool ConsoleSteps::Exchange(std::string_view Command, std::string_view Prompt) {
  return Note(console_.ConsoleExchange(Command, Prompt), Command, Prompt);
}

bool ConsoleSteps::Read(std::string_view Command, std::string_view Key, std::uint32_t& Value) {
  return Note(console_.ConsoleReadValue(Command, Key, Value), Command, Key);
}

bool ConsoleSteps::Read(std::string_view Command, std::string_view Key, std::uint32_t& Value, bool& Clean) {
  return Note(console_.ConsoleReadValue(Command, Key, Value, Clean), Command, Key);
}

int ConsoleSteps::Enter(std::initializer_list<std::string_view> Prompts) {
  entered_ = true;
  const int found = console_.ConsoleEnter(Prompts);
  Note(found >= 0, "", Prompts.size() > 0 ? *Prompts.begin() : std::string_view());
  return found;
}

void ConsoleSteps::Try(std::string_view Command, std::string_view Prompt) {
  static_cast<void>(console_.ConsoleExchange(Command, Prompt));
}

bool ConsoleSteps::Note(bool ok, std::string_view Command, std::string_view awaited) {
  echoDiffered_ = false;
  if (ok) return true;
  const auto quoted = [](std::string_view text) { return "\"" + std::string(text) + "\""; };
  switch (console_.LastFailure()) {
    case ConsoleFailure::EchoDiffers:
      echoDiffered_ = true;
      failure_ = quoted(console_.LastEcho()) + " came back for " + quoted(Command);
      break;
    case ConsoleFailure::NoEcho:
      failure_ = console_.LastEcho().empty()
                     ? "no echo of " + quoted(Command)
                     : "no echo after " + quoted(console_.LastEcho()) + " of " + quoted(Command);
      break;
    default:
      failure_ = "no " + quoted(awaited) + " after " + quoted(Command);
      break;
  }
  return false;
}

}  // namespace gw20::link
