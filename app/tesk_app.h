#pragma once
// The process: shows the main window modally and ends when it closes.

#include <QApplication>
#include <QString>
#include <optional>

struct StartOptions {
  QString file;  // converted at start as if it had been dropped
  bool reportReady = false;
  bool reportRuns = false;  // hidden: prints "converted <path>" after every drop
  QString zoom;             // --zoom=FACTOR|width|page; empty: 1:1
  bool jobPanel = false;    // --job-panel: open the job panel at start
  QString error;            // set when the arguments make no sense
};

// `tesk [--zoom=FACTOR|width|page] [--job-panel] [FILE]`. The hidden
// --report-ready prints "ready <window id>" once the window shows its first
// picture, for scripts that photograph it.
StartOptions ParseStartOptions(const QStringList& arguments);

class CTeskApp : public QApplication {
  Q_OBJECT

 public:
  CTeskApp(int& argc, char** argv);
  // Runs the main dialog and returns the process's exit status.
  int InitInstance();
};
