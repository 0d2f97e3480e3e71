#pragma once
// The window as a network printer: while the context-menu item "监听9100端口"
// is checked, jobs printed to 127.0.0.1:9100 are saved in a folder the user
// chose once and shown as if they had been dropped on the window. The server
// runs on its own thread; only the path of each saved job crosses over, and the
// dialog converts it on its own thread, so its RasterSource and picture are
// never touched from anywhere else.

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

#include "live/host_port.h"

class CTeskDlg;
class QMenu;
class QWidget;

namespace tesk::live {
class JobQueue;
class PrintServer;
}  // namespace tesk::live

class CLiveListening : public QObject {
  Q_OBJECT

 public:
  static const char* const kMenuItem;
  // Asks for the folder jobs are saved in; empty when the user cancelled.
  using FolderChooser = std::function<QString(QWidget* parent)>;

  // A child of the dialog; the window listens on 127.0.0.1:9100.
  explicit CLiveListening(CTeskDlg& dialog, tesk::live::HostPort address = {tesk::live::kDefaultListenAddress,
                                                                            tesk::live::kDefaultListenPort});
  ~CLiveListening() override;

  // The dialog's listener, made on first use.
  static CLiveListening& Of(CTeskDlg& dialog);
  // Adds the checkable item to the dialog's context menu.
  static void AddMenuItem(QMenu& menu, CTeskDlg& dialog);

  void SetFolderChooser(FolderChooser chooser) { chooseFolder_ = std::move(chooser); }
  // Starts listening, asking for the folder the first time; false when it did not start.
  bool Start();
  void Stop();
  bool IsListening() const { return server_ != nullptr; }
  std::uint16_t Port() const;

 private:
  void ShowJobs();

  CTeskDlg& dialog_;
  tesk::live::HostPort address_;
  QString folder_;
  QString plainTitle_;
  FolderChooser chooseFolder_;
  std::unique_ptr<tesk::live::JobQueue> jobs_;
  std::unique_ptr<tesk::live::PrintServer> server_;
  bool showing_ = false;
};
