#pragma once
// A window without a toolkit: caption, size in twips, centring, load and
// unload with a Cancel flag, show and hide. The FormHost gives it a face.

#include <string>

#include "platform/ui/control.h"

namespace gw20::ui {

class FormHost;

class Form : public CaptionedControl {
 public:
  Form(std::string name, FormHost& host);
  // Releases the view, if the host still has one.
  ~Form() override;

  // Size and position in twips.
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetSize(int width, int height);
  int Left() const { return left_; }
  int Top() const { return top_; }
  void Move(int left, int top);
  // Places the window in the middle of the host's screen.
  void CentreOnScreen();
  // True from CentreOnScreen to the next Move: a view whose window is not
  // exactly Width x Height (its content or its screen decided) centres the
  // window it has.
  bool Centred() const { return centred_; }

  bool Loaded() const { return loaded_; }
  // Runs Form_Load once; later calls do nothing.
  void Load();
  // Runs Form_Unload; when no handler cancelled, hides the form and lets the
  // host release its view. Returns false when cancelled.
  bool Unload();
  // Loads when needed, then shows. Modal waits until the form is hidden.
  void Show(bool modal = false);
  void Hide();

 protected:
  virtual void Form_Load() {}
  // Set Cancel non-zero to keep the form.
  virtual void Form_Unload(int& Cancel) { (void)Cancel; }
  FormHost& Host() const { return host_; }

 private:
  void Place(int left, int top, bool centred);

  FormHost& host_;
  int width_ = 4800;
  int height_ = 3600;
  int left_ = 0;
  int top_ = 0;
  bool centred_ = false;
  bool loaded_ = false;
};

}  // namespace gw20::ui
