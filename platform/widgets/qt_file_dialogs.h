#pragma once
// The desktop program's file dialogs.

#include "platform/ui/services.h"

namespace gw20::qtui {

// The platform's own open and save dialogs (QFileDialog), modal over the
// window the operator is working in. The save dialog asks before it lets a
// file be replaced.
class QtFileDialogs : public ui::FileDialogService {
 public:
  std::optional<std::filesystem::path> OpenFile(const std::string& title, const std::string& filter) override;
  std::optional<std::filesystem::path> SaveFile(const std::string& title, const std::string& filter) override;
};

}  // namespace gw20::qtui
