#include "platform/ui/form.h"

#include "platform/ui/services.h"

namespace gw20::ui {

Form::Form(std::string name, FormHost& host) : CaptionedControl(std::move(name)), host_(host) {
  SetVisible(false);
}

Form::~Form() { host_.Unloaded(*this); }

void Form::SetSize(int width, int height) {
  if (width_ == width && height_ == height) return;
  width_ = width;
  height_ = height;
  NotifyChanged();
}

void Form::Move(int left, int top) { Place(left, top, false); }

void Form::CentreOnScreen() {
  Place((host_.ScreenWidthTwips() - width_) / 2, (host_.ScreenHeightTwips() - height_) / 2, true);
}

void Form::Place(int left, int top, bool centred) {
  if (left_ == left && top_ == top && centred_ == centred) return;
  left_ = left;
  top_ = top;
  centred_ = centred;
  NotifyChanged();
}

void Form::Load() {
  if (loaded_) return;
  loaded_ = true;
  Form_Load();
}

bool Form::Unload() {
  if (!loaded_) return true;
  int cancel = 0;
  Form_Unload(cancel);
  if (cancel != 0) return false;
  loaded_ = false;
  SetVisible(false);
  host_.Unloaded(*this);
  return true;
}

void Form::Show(bool modal) {
  Load();
  SetVisible(true);
  host_.Show(*this, modal);
}

void Form::Hide() {
  SetVisible(false);
  host_.Hide(*this);
}

}  // namespace gw20::ui
