// vorn-screenshots: pictures of the desktop application for people to look at, made without a
// display: every page of the main window, and the drawing window with the hourly shadow
// diagram of the building on the layer "建物" drawn by the main window's "時刻" command.
//
//   vorn-screenshots DRAWING.dxf FOLDER
//
// The program's settings are read and written beside the executable, as vorn's are: run a copy
// in a scratch folder (scripts/screenshots does).
#include <QApplication>
#include <QDir>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>
#include <cstdio>
#include <filesystem>

#include "app/application.h"
#include "cad/cad_interface.h"
#include "cad/host/drawing_host.h"
#include "cad/host/scripted_interaction.h"
#include "ui/drawing/drawing_window.h"
#include "ui/main_window.h"
#include "ui/qt_shell.h"

namespace {

class UnattendedShell final : public vorn::ui::QtShell {
 public:
  using QtShell::QtShell;
  void ShowMessage(std::string_view caption, std::string_view text) override {
    std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(caption.size()), caption.data(),
                 static_cast<int>(text.size()), text.data());
  }
};

bool Save(QWidget& widget, const QDir& folder, const QString& name) {
  QApplication::processEvents();
  const QString path = folder.filePath(name);
  if (!widget.grab().save(path, "PNG")) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
  }
  std::printf("%s\n", qPrintable(path));
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  const QStringList args = QApplication::arguments();
  if (args.size() != 3) {
    std::fprintf(stderr, "usage: vorn-screenshots DRAWING.dxf FOLDER\n");
    return 2;
  }
  const QDir folder(args[2]);
  if (!folder.exists()) {
    std::fprintf(stderr, "no folder %s\n", qPrintable(args[2]));
    return 2;
  }

  vorn::cad::host::ScriptedInteraction script;
  vorn::cad::host::DxfDrawingFiles files;
  vorn::cad::host::DrawingHost host(script, files);
  host.NewDrawing();
  UnattendedShell shell(
      std::filesystem::path(QCoreApplication::applicationFilePath().toStdU16String()));
  vorn::cad::SystemClock clock;
  vorn::VornApplication vorn(shell, vorn::CadEnvironment{host, host.Windows(), clock});

  QTemporaryDir scratch;
  QSettings drawingSettings(scratch.filePath("drawing.ini"), QSettings::IniFormat);
  vorn::ui::UnattendedDialogs dialogs;
  vorn::ui::DrawingWindow drawing(host, drawingSettings, &dialogs);
  drawing.resize(960, 660);
  drawing.show();
  if (!drawing.OpenFile(args[1])) return 1;
  vorn::ui::MainWindow window(vorn.MainForm());
  shell.SetMainWindow(&window, [&window] { window.Refresh(); });
  shell.SetPickWindow(&drawing);
  window.show();

  bool saved = true;
  for (int page = 0; page < window.Pages()->count(); ++page) {
    window.Pages()->setCurrentIndex(page);
    saved = Save(window, folder, QStringLiteral("main-page-%1.png").arg(page + 1)) && saved;
  }

  // The building as a user picks it, by its layer, then "時刻" with the window's settings.
  script.SelectLayer("建物");
  host.SetInteraction(script);
  vorn.MainForm().Button2Click();
  host.SetInteraction(drawing);
  window.Refresh();
  vorn.MainForm().Button3Click();
  window.Refresh();
  drawing.Refresh();
  drawing.ZoomExtents();
  saved = Save(drawing, folder, QStringLiteral("drawing-window-hourly.png")) && saved;
  window.Pages()->setCurrentIndex(0);
  saved = Save(window, folder, QStringLiteral("main-after-hourly.png")) && saved;
  vorn.Close();
  return saved ? 0 : 1;
}
