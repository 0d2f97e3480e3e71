#include "app/tesk_app.h"

#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QWindow>
#include <cstdio>
#include <memory>

#include "app/qt_translations.h"
#include "app/tesk_dlg.h"
#include "platform/termination_signals.h"
#include "view/zoom_ctrl.h"

namespace {

// Tells a waiting script that the window is on screen with its picture: the
// start-up file has been converted and the window has been exposed and painted
// since.
class ReadyReporter : public QObject {
 public:
  explicit ReadyReporter(CTeskDlg& dialog) : dialog_(dialog) {}

  void ConversionDone() {
    converted_ = true;
    ReportWhenReady();
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Expose) {
      // The paint that the exposure causes runs after this filter; report after it.
      QMetaObject::invokeMethod(
          this, [this] { ReportWhenReady(); }, Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  void ReportWhenReady() {
    if (reported_ || !converted_) return;
    QWindow* window = dialog_.windowHandle();
    if (!window || !window->isExposed()) return;
    dialog_.repaint();
    reported_ = true;
    std::printf("ready 0x%llx\n", static_cast<unsigned long long>(dialog_.winId()));
    std::fflush(stdout);
  }

  CTeskDlg& dialog_;
  bool converted_ = false;
  bool reported_ = false;
};

}  // namespace

StartOptions ParseStartOptions(const QStringList& arguments) {
  StartOptions options;
  bool optionsEnded = false;
  for (qsizetype index = 1; index < arguments.size(); ++index) {
    const QString& argument = arguments[index];
    if (!optionsEnded && argument == QLatin1String("--")) {
      optionsEnded = true;
    } else if (!optionsEnded && argument == QLatin1String("--report-ready")) {
      options.reportReady = true;
    } else if (!optionsEnded && argument == QLatin1String("--report-runs")) {
      options.reportRuns = true;
    } else if (!optionsEnded && argument == QLatin1String("--job-panel")) {
      options.jobPanel = true;
    } else if (!optionsEnded && argument.startsWith(QLatin1String("--zoom="))) {
      options.zoom = argument.mid(7);
      bool number = false;
      const double factor = options.zoom.toDouble(&number);
      if (options.zoom != QLatin1String("width") && options.zoom != QLatin1String("page") &&
          (!number || factor <= 0 || factor > 16)) {
        options.error = QStringLiteral("--zoom takes a factor up to 16, width or page");
        return options;
      }
    } else if (!optionsEnded && argument.startsWith(QLatin1Char('-')) && argument.size() > 1) {
      options.error = QStringLiteral("unknown option ") + argument;
      return options;
    } else if (options.file.isEmpty()) {
      // Like a drop, only the first file counts; a drop brings a full path.
      options.file = QFileInfo(argument).absoluteFilePath();
    }
  }
  return options;
}

CTeskApp::CTeskApp(int& argc, char** argv) : QApplication(argc, argv) { InstallQtTranslations(*this); }

int CTeskApp::InitInstance() {
  const StartOptions options = ParseStartOptions(arguments());
  if (!options.error.isEmpty()) {
    std::fprintf(stderr, "tesk: %s\nUsage: tesk [--zoom=FACTOR|width|page] [--job-panel] [FILE]\n",
                 options.error.toLocal8Bit().constData());
    return 2;
  }

  CTeskDlg dialog;
  ReadyReporter reporter(dialog);

  // SIGTERM and SIGINT close every window, message boxes included, so the
  // dialog's loop ends as if the user had closed it.
  std::unique_ptr<QSocketNotifier> terminationNotifier;
  const int terminationPipe = tesk::platform::WatchTerminationSignals();
  if (terminationPipe >= 0) {
    terminationNotifier = std::make_unique<QSocketNotifier>(terminationPipe, QSocketNotifier::Read);
    connect(terminationNotifier.get(), &QSocketNotifier::activated, this, [] {
      if (tesk::platform::TakeTerminationRequest()) QApplication::closeAllWindows();
    });
  }

  if (options.reportRuns) {
    connect(&dialog, &CTeskDlg::DropHandled, this, [](const QString& path) {
      std::printf("converted %s\n", QFile::encodeName(path).constData());
      std::fflush(stdout);
    });
  }

  // Runs once the dialog's own loop has started, as a drop would.
  QMetaObject::invokeMethod(
      &dialog,
      [&dialog, &reporter, &options] {
        if (options.zoom == QLatin1String("width"))
          dialog.View().SetZoomMode(CZoomCtrl::ZoomMode::FitWidth);
        else if (options.zoom == QLatin1String("page"))
          dialog.View().SetZoomMode(CZoomCtrl::ZoomMode::FitPage);
        else if (!options.zoom.isEmpty())
          dialog.View().SetZoom(options.zoom.toDouble());
        if (options.jobPanel) dialog.ShowJobPanel(true);
        if (!options.file.isEmpty()) dialog.OnDropFiles({options.file});
        if (options.reportReady) {
          if (QWindow* window = dialog.windowHandle()) window->installEventFilter(&reporter);
          reporter.ConversionDone();
        }
      },
      Qt::QueuedConnection);
  dialog.exec();
  return 0;
}
