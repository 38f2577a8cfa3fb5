#include "link/eeprom_words.h"

#include <algorithm>

#include "link/console.h"
#include "link/console_steps.h"
#include "link/eeprom_layout.h"

namespace gw20::link {
namespace {

constexpr std::string_view kEditPrompt = "-->";

std::string WithoutBlanks(std::string text) {
  std::erase(text, ' ');
  return text;
}

std::string OpenCommand(int address) { return "el " + std::to_string(address); }

// Brings the word at `address` to `intended` after a line typed at its edit
// prompt came back with a wrong character, its Enter still untyped. Every
// character came back, so none waits in the controller: the half-typed line
// is entered (the only Enter ever typed after a broken line), the edit ended,
// the word reopened and read; a word that differs gets the intended value
// and is read once more. Ends at the EEPROM prompt with `endEdit`, else at
// the edit prompt of the next word, whose value goes to `next`. Any further
// fault ends the repair: its line is left as it stands, never entered.
bool Repair(ConsoleSteps& steps, int address, std::uint32_t intended, bool endEdit, std::uint32_t& next,
            bool& nextClean) {
  const int found = steps.Enter({kEditPrompt, kEepromPrompt});
  if (found < 0) return false;
  if (found == 0 && !steps.Exchange(kEndEdit, kEepromPrompt)) return false;
  for (int round = 0; round < 2; ++round) {
    std::uint32_t shown = 0;
    bool clean = false;
    if (!steps.Read(OpenCommand(address), LongKey(address), shown, clean)) return false;
    if (clean && shown == intended) {
      steps.Settled();
      if (!steps.Exchange(kEndEdit, kEepromPrompt)) return false;
      if (endEdit) return true;
      const int following = address + kWordBytes;
      return steps.Read(OpenCommand(following), LongKey(following), next, nextClean);
    }
    if (round > 0) break;
    // Typing the value moves the edit on to the next word, left with ".".
    std::uint32_t ignored = 0;
    if (!steps.Read(WithoutBlanks(SignedLongText(intended)), LongKey(address + kWordBytes), ignored) ||
        !steps.Exchange(kEndEdit, kEepromPrompt)) {
      return false;
    }
  }
  return false;
}

// Types `text`, meant to leave `intended` in the open word at `address`, and
// reads the next word; repairs the word when the line came back other than typed.
bool Store(ConsoleSteps& steps, const std::string& text, int address, std::uint32_t intended,
           std::uint32_t& next, bool& nextClean) {
  const int following = address + kWordBytes;
  if (steps.Read(text, LongKey(following), next, nextClean)) return true;
  return steps.EchoDiffered() && Repair(steps, address, intended, false, next, nextClean);
}

}  // namespace

std::string LongKey(int address) { return "Long(" + std::to_string(address) + ")="; }

bool ShowsEditPrompt(std::string_view reply) {
  constexpr std::string_view kKeyStart = "Long(";
  // Up to its ">", the edit prompt leaves "--".
  constexpr std::string_view kPromptStart = "--";
  const auto end = reply.find_last_not_of(" \t\r\n");
  const auto text = reply.substr(0, end == std::string_view::npos ? 0 : end + 1);
  return text.find(kKeyStart) != std::string_view::npos || text.ends_with(kPromptStart) ||
         text.find(kEditPrompt) != std::string_view::npos;
}

WordsRead ReadWords(ConsoleSteps& steps, int firstAddress, std::vector<std::uint32_t>& words, int count,
                    ReadStyle style) {
  using Outcome = WordsRead::Outcome;
  if (style == ReadStyle::Alone) {
    for (int i = 0; i < count; ++i) {
      const int address = firstAddress + kWordBytes * i;
      bool shownClean = false;
      if (!steps.Read(OpenCommand(address), LongKey(address), words[i], shownClean))
        return {Outcome::Timeout};
      if (!shownClean) {
        static_cast<void>(steps.Exchange(kEndEdit, kEepromPrompt));
        return {Outcome::Garbled, i};
      }
      if (!EndEdit(steps, address, words[i], true)) return {Outcome::Timeout};
    }
    return {};
  }
  bool clean = false;
  if (!steps.Read(OpenCommand(firstAddress), LongKey(firstAddress), words[0], clean))
    return {Outcome::Timeout};
  for (int i = 0;; ++i) {
    const int address = firstAddress + kWordBytes * i;
    if (!clean) {
      // Typing back what was read would store a number the word never held.
      static_cast<void>(steps.Exchange(kEndEdit, kEepromPrompt));
      return {Outcome::Garbled, i};
    }
    if (i + 1 == count) break;
    if (!Store(steps, SignedLongText(words[i]), address, words[i], words[i + 1], clean)) {
      return {Outcome::Timeout};
    }
  }
  const int last = firstAddress + kWordBytes * (count - 1);
  if (!EndEdit(steps, last, words[count - 1], true)) return {Outcome::Timeout};
  return {};
}

bool WriteWords(ConsoleSteps& steps, int firstAddress, const std::vector<std::uint32_t>& words, int count,
                int& typed, std::uint32_t& next, bool& nextClean) {
  if (!steps.Read(OpenCommand(firstAddress), LongKey(firstAddress), next, nextClean)) return false;
  for (int i = 0; i < count; ++i) {
    ++typed;
    const int address = firstAddress + kWordBytes * i;
    if (!Store(steps, WithoutBlanks(SignedLongText(words[i])), address, words[i], next, nextClean))
      return false;
  }
  return true;
}

bool EndEdit(ConsoleSteps& steps, int address, std::uint32_t shown, bool shownClean) {
  if (steps.Exchange(kEndEdit, kEepromPrompt)) return true;
  if (!steps.EchoDiffered() || !shownClean) return false;
  std::uint32_t ignored = 0;
  bool ignoredClean = false;
  return Repair(steps, address, shown, true, ignored, ignoredClean);
}

}  // namespace gw20::link
