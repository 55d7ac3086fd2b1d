// The running program: the application title, then the main window (which creates the
// target-CAD dialog) and its start-up; closing runs the shut-down once.
#pragma once

#include <memory>
#include <string>

#include "app/main_form.h"

namespace vorn {

class VornApplication {
 public:
  VornApplication(Shell& shell, CadEnvironment cad);
  ~VornApplication();
  VornApplication(const VornApplication&) = delete;
  VornApplication& operator=(const VornApplication&) = delete;

  TForm1& MainForm() { return *form_; }
  // Shut-down: the settings are written and the message filter revoked. Later calls and
  // the destructor do nothing more.
  void Close();

  std::string Title{kApplicationTitle};

 private:
  std::unique_ptr<TForm1> form_;
  bool closed_ = false;
};

}  // namespace vorn
