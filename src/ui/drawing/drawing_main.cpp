// vorn-drawing: the built-in drawing host's window on its own, for looking at a DXF drawing
// (the results vorn-batch writes, for one) and for pictures of it.
//
//   vorn-drawing [DRAWING.dxf] [--screenshot PICTURE.png] [--size WIDTHxHEIGHT]
//
// With --screenshot the window is drawn once, saved as the picture, and the program ends.
#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <optional>

#include "cad/host/drawing_host.h"
#include "cad/host/scripted_interaction.h"
#include "ui/drawing/drawing_window.h"

namespace {

struct Options {
  QString drawing;
  QString screenshot;
  QSize size{1200, 820};
};

std::optional<Options> ParseOptions(const QStringList& args) {
  Options options;
  for (int i = 1; i < args.size(); ++i) {
    const QString& a = args[i];
    if (a == "--screenshot" && i + 1 < args.size()) {
      options.screenshot = args[++i];
    } else if (a == "--size" && i + 1 < args.size()) {
      const QStringList parts = args[++i].split('x');
      bool okW = false, okH = false;
      if (parts.size() != 2) return std::nullopt;
      options.size = QSize(parts[0].toInt(&okW), parts[1].toInt(&okH));
      if (!okW || !okH || options.size.width() < 100 || options.size.height() < 100) {
        return std::nullopt;
      }
    } else if (!a.startsWith("--") && options.drawing.isEmpty()) {
      options.drawing = a;
    } else {
      return std::nullopt;
    }
  }
  return options;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setOrganizationName("Vorn");
  QApplication::setApplicationName("vorn-drawing");
  const auto options = ParseOptions(QApplication::arguments());
  if (!options) {
    std::fprintf(stderr,
                 "usage: vorn-drawing [DRAWING.dxf] [--screenshot PICTURE.png] "
                 "[--size WIDTHxHEIGHT]\n");
    return 2;
  }
  vorn::cad::host::DxfDrawingFiles files;
  vorn::cad::host::ScriptedInteraction nobody;
  vorn::cad::host::DrawingHost host(nobody, files);
  host.NewDrawing();
  // A picture leaves the user's recent files alone.
  QTemporaryDir scratch;
  QSettings userSettings;
  QSettings pictureSettings(scratch.filePath("settings.ini"), QSettings::IniFormat);
  QSettings& settings = options->screenshot.isEmpty() ? userSettings : pictureSettings;
  vorn::ui::UnattendedDialogs unattended;
  vorn::ui::DrawingWindow window(host, settings,
                                 options->screenshot.isEmpty() ? nullptr : &unattended);
  window.resize(options->size);
  window.show();
  if (!options->drawing.isEmpty() && !window.OpenFile(options->drawing)) {
    if (!options->screenshot.isEmpty()) return 1;
  }
  if (options->screenshot.isEmpty()) return QApplication::exec();
  QApplication::processEvents();
  window.ZoomExtents();
  const bool saved = window.grab().save(options->screenshot, "PNG");
  if (!saved) std::fprintf(stderr, "cannot write %s\n", qPrintable(options->screenshot));
  return saved ? 0 : 1;
}
