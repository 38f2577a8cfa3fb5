#pragma once
// The small services through which the logic reaches the outside world. The
// desktop program implements them with Qt, the command-line tool by printing
// and scripted answers, tests with recorders and virtual time.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace gw20::ui {

class Form;

enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

// Modal message box. An empty title means the box has no title of its own.
class MessageBoxService {
 public:
  virtual ~MessageBoxService() = default;
  virtual MessageAnswer Show(const std::string& text, const std::string& title, MessageButtons buttons) = 0;
  // A diagnostic that is no message box of its own, such as the console
  // command that got no answer; `category` names its subject ("gw20.console").
  // Shown before the message it explains; ignored where nobody reads it.
  virtual void Note(const std::string& category, const std::string& text) {
    (void)category;
    (void)text;
  }
};

// Creates, shows and destroys the visible side of forms.
class FormHost {
 public:
  virtual ~FormHost() = default;
  // Makes the form visible. Modal: returns only when the form has been hidden
  // or unloaded, processing events meanwhile.
  virtual void Show(Form& form, bool modal) = 0;
  virtual void Hide(Form& form) = 0;
  // The form has been unloaded: release whatever shows it.
  virtual void Unloaded(Form& form) = 0;
  // Usable screen size in twips, for centring windows.
  virtual int ScreenWidthTwips() const = 0;
  virtual int ScreenHeightTwips() const = 0;
};

// Processes pending window events once, without waiting.
class EventPump {
 public:
  virtual ~EventPump() = default;
  virtual void ProcessEvents() = 0;
  // Waits about `period` for something to happen while keeping windows
  // alive: pumps events, then sleeps or blocks for at most `period`.
  virtual void Pause(std::chrono::milliseconds period) = 0;
};

// Millisecond tick counter; wraps at 2^32, differences are taken as signed 32-bit.
class TickCounter {
 public:
  virtual ~TickCounter() = default;
  virtual std::uint32_t NowMs() const = 0;
};

// Elapsed milliseconds from `start` to `now`, correct across the wrap.
inline std::int32_t TicksSince(std::uint32_t start, std::uint32_t now) {
  return static_cast<std::int32_t>(now - start);
}

struct DateTime {
  int year = 2000;
  int month = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// The PC's calendar clock (local time).
class CalendarClock {
 public:
  virtual ~CalendarClock() = default;
  virtual DateTime Now() const = 0;
};

// The folder EDS files are written to: the program's own folder as a rule;
// where that cannot be written, the implementation says where instead
// (WritableFolderOr). Asked at every write, so the answer is the folder used.
class ProgramFolder {
 public:
  virtual ~ProgramFolder() = default;
  virtual std::filesystem::path Path() const = 0;
};

// The platform's dialogs that pick a file. `title` is the dialog's caption,
// `filter` names the files it lists ("Plans (*.json)"). Nullopt when the
// operator cancelled; the file to save need not exist yet.
class FileDialogService {
 public:
  virtual ~FileDialogService() = default;
  virtual std::optional<std::filesystem::path> OpenFile(const std::string& title,
                                                        const std::string& filter) = 0;
  virtual std::optional<std::filesystem::path> SaveFile(const std::string& title,
                                                        const std::string& filter) = 0;
};

// For a program without menus (gw20cli): nobody picks a file.
class NoFileDialogs : public FileDialogService {
 public:
  std::optional<std::filesystem::path> OpenFile(const std::string&, const std::string&) override {
    return std::nullopt;
  }
  std::optional<std::filesystem::path> SaveFile(const std::string&, const std::string&) override {
    return std::nullopt;
  }
};

class SerialPort;

// Everything a form or procedure may need from outside, handed by reference.
struct Services {
  MessageBoxService& messages;
  FormHost& forms;
  EventPump& events;
  TickCounter& ticks;
  CalendarClock& clock;
  ProgramFolder& folder;
  SerialPort& port;  // the console port (MSComm1)
  FileDialogService& files;
};

}  // namespace gw20::ui
