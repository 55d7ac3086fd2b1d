#include "app/application.h"

namespace vorn {

VornApplication::VornApplication(Shell& shell, CadEnvironment cad)
    : form_(std::make_unique<TForm1>(shell, DataFolders::FromShell(shell), cad)) {
  form_->Title = Title;
  form_->FormCreate();
}

VornApplication::~VornApplication() {
  try {
    Close();
  } catch (...) {
    // A failing view during shut-down must not end the process abnormally.
  }
}

void VornApplication::Close() {
  if (closed_) return;
  closed_ = true;
  form_->FormDestroy();
}

}  // namespace vorn
