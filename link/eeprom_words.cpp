#include "link/eeprom_words.h"

#include <algorithm>

#include "link/console.h"
#include "link/console_steps.h"
#include "link/eeprom_layout.h"

namespace gw20::link {
namespace {

constexpr std::string_view kEditPrompt = "-->";
// A repair reads the word back each round; more rounds than this and the
// line is too bad to go on.
constexpr int kRepairRounds = 4;

std::string WithoutBlanks(std::string text) {
  std::erase(text, ' ');
  return text;
}

std::string OpenCommand(int address) { return "el " + std::to_string(address); }

// Where a repair stands.
enum class At { HalfTyped, EditPrompt, EepromPrompt };

// Brings the word at `address` to `intended` after a line typed at its edit
// prompt came back other than typed, its Enter still untyped. Each round
// enters what is half-typed, ends the edit, reopens the word and reads it;
// a word that reads back as intended ends the repair, otherwise the
// intended value is typed and the next round reads it back. Ends at the
// EEPROM prompt with `endEdit`, else at the edit prompt of the next word,
// whose value goes to `next`. A step that comes back other than typed
// starts another round.
bool Repair(ConsoleSteps& steps, int address, std::uint32_t intended, bool endEdit, std::uint32_t& next,
            bool& nextClean) {
  At at = At::HalfTyped;
  // A failed step: another round when it only came back wrong.
  const auto retry = [&steps, &at] {
    if (!steps.EchoDiffered()) return false;
    at = At::HalfTyped;
    return true;
  };
  for (int round = 0; round < kRepairRounds; ++round) {
    if (at == At::HalfTyped) {
      const int found = steps.Enter({kEditPrompt, kEepromPrompt});
      if (found < 0) return false;
      at = found == 0 ? At::EditPrompt : At::EepromPrompt;
    }
    if (at == At::EditPrompt) {
      if (!steps.Exchange(kEndEdit, kEepromPrompt)) {
        if (retry()) continue;
        return false;
      }
    }
    at = At::EepromPrompt;
    std::uint32_t shown = 0;
    bool clean = false;
    if (!steps.Read(OpenCommand(address), LongKey(address), shown, clean)) {
      if (retry()) continue;
      return false;
    }
    at = At::EditPrompt;
    if (!clean || shown != intended) {
      std::uint32_t ignored = 0;
      if (!steps.Read(WithoutBlanks(SignedLongText(intended)), LongKey(address + kWordBytes), ignored) &&
          !retry()) {
        return false;
      }
      continue;
    }
    if (!steps.Exchange(kEndEdit, kEepromPrompt)) {
      if (retry()) continue;
      return false;
    }
    at = At::EepromPrompt;
    if (endEdit) return true;
    const int following = address + kWordBytes;
    if (steps.Read(OpenCommand(following), LongKey(following), next, nextClean)) return true;
    if (!retry()) return false;
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
