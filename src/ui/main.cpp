// vorn: the desktop application. The main window over the form model, and the built-in
// drawing host with a drawing (the one named on the command line, or a new one).
//
//   vorn [DRAWING.dxf] [--quit-after-start] [--page-pictures FOLDER]
//
// --quit-after-start closes the window as soon as it has been shown, running the whole start-up
// and shut-down (settings read and written) once: a smoke test for a build.
// --page-pictures FOLDER saves a picture of each page of the main window into the folder
// ("main-page-1.png" ...) once it is shown, then closes it.
#include <QApplication>
#include <QCloseEvent>
#include <QSettings>
#include <QTimer>
#include <QWindow>
#include <filesystem>
#include <iostream>
#include <optional>

#include "app/application.h"
#include "cad/cad_interface.h"
#include "cad/host/drawing_files.h"
#include "cad/host/drawing_host.h"
#include "cad/host/scripted_interaction.h"
#include "ui/drawing/drawing_window.h"
#include "ui/main_window.h"
#include "ui/qt_shell.h"
#include "ui/text.h"

namespace {

struct StartOptions {
  std::optional<std::filesystem::path> drawing;
  bool quitAfterStart = false;
  std::optional<QString> pictureFolder;
};

// Nothing when the arguments are not understood (the usage has then been printed).
std::optional<StartOptions> ParseStartOptions(const QStringList& arguments) {
  StartOptions options;
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    const QString& argument = arguments[i];
    if (argument == QStringLiteral("--quit-after-start")) {
      options.quitAfterStart = true;
    } else if (argument == QStringLiteral("--page-pictures") && i + 1 < arguments.size()) {
      options.pictureFolder = arguments[++i];
      options.quitAfterStart = true;
    } else if (!argument.startsWith(QStringLiteral("--")) && !options.drawing) {
      options.drawing = std::filesystem::path(argument.toStdU16String());
    } else {
      std::cerr << "usage: vorn [DRAWING.dxf] [--quit-after-start] [--page-pictures FOLDER]\n";
      return std::nullopt;
    }
  }
  return options;
}

// Closing the main window ends the program: the drawing window is closed first, so its unsaved
// changes are asked about, and answering Cancel keeps both windows open.
class DrawingCloseGuard final : public QObject {
 public:
  explicit DrawingCloseGuard(QWidget& drawing) : drawing_(drawing) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Close && !drawing_.close()) {
      event->ignore();
      return true;
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  QWidget& drawing_;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  const std::optional<StartOptions> options = ParseStartOptions(QApplication::arguments());
  if (!options) return 2;

  // The drawing the commands work on. The drawing window answers its requests as soon as it
  // exists; until then nothing can ask, and an empty script would cancel.
  vorn::cad::host::ScriptedInteraction noAnswers;
  vorn::cad::host::DxfDrawingFiles files;
  vorn::cad::host::DrawingHost host(noAnswers, files);
  host.NewDrawing();

  vorn::ui::QtShell shell(
      std::filesystem::path(QCoreApplication::applicationFilePath().toStdU16String()));
  vorn::cad::SystemClock clock;
  vorn::VornApplication vorn(shell, vorn::CadEnvironment{host, host.Windows(), clock});

  // The drawing window answers the host's requests from now on: the user picks in it while the
  // main window is minimised. Its recent files live in the user's settings.
  QSettings drawingSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Vorn"),
                            QStringLiteral("vorn-drawing"));
  vorn::ui::DrawingWindow drawing(host, drawingSettings);
  shell.SetPickWindow(&drawing);

  vorn::ui::MainWindow window(vorn.MainForm());
  shell.SetMainWindow(&window, [&window] { window.Refresh(); });
  // The main window is the program: closing it writes the settings and ends the program, even
  // while other windows are open.
  window.OnClose([&vorn] {
    vorn.Close();
    QCoreApplication::quit();
  });

  DrawingCloseGuard guard(drawing);
  window.installEventFilter(&guard);
  drawing.show();
  if (options->drawing) drawing.OpenFile(QString::fromStdU16String(options->drawing->u16string()));
  // The main window stays above the drawing window, as it stays above a CAD.
  window.winId();
  drawing.winId();
  window.windowHandle()->setTransientParent(drawing.windowHandle());

  window.show();
  int status = 0;
  if (options->pictureFolder) {
    QTimer::singleShot(0, &window, [&] {
      if (!window.SavePagePictures(*options->pictureFolder)) {
        std::cerr << "vorn: cannot write the pictures into "
                  << vorn::ui::U8(*options->pictureFolder) << "\n";
        status = 1;
      }
    });
  }
  if (options->quitAfterStart) QTimer::singleShot(0, &window, &QWidget::close);
  const int exitCode = QApplication::exec();
  // The main window follows the application's focus changes; the drawing window can hand the
  // focus back to one of its children, and the focus then leaves that child while the window
  // is being destroyed, which must not reach the half-destroyed window.
  QObject::disconnect(qApp, nullptr, &window, nullptr);
  return status != 0 ? status : exitCode;
}
