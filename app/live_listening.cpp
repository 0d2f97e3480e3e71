#include "app/live_listening.h"

#include <QAction>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>

#include "app/tesk_dlg.h"
#include "live/job_queue.h"
#include "live/print_server.h"
#include "platform/file_system.h"
#include "printer/profile.h"

const char* const CLiveListening::kMenuItem = "监听9100端口";

CLiveListening::CLiveListening(CTeskDlg& dialog, tesk::live::HostPort address)
    : QObject(&dialog), dialog_(dialog), address_(std::move(address)) {
  chooseFolder_ = [](QWidget* parent) {
    return QFileDialog::getExistingDirectory(parent, QString::fromUtf8("选择保存打印作业的文件夹"));
  };
}

// The dialog is being torn down: the server stops (saving what is coming in)
// but nothing more is shown.
CLiveListening::~CLiveListening() {
  if (server_) server_->Stop();
}

CLiveListening& CLiveListening::Of(CTeskDlg& dialog) {
  if (auto* existing = dialog.findChild<CLiveListening*>(QString(), Qt::FindDirectChildrenOnly))
    return *existing;
  return *new CLiveListening(dialog);
}

void CLiveListening::AddMenuItem(QMenu& menu, CTeskDlg& dialog) {
  CLiveListening& listening = Of(dialog);
  QAction* item = menu.addAction(QString::fromUtf8(kMenuItem));
  item->setCheckable(true);
  item->setChecked(listening.IsListening());
  connect(item, &QAction::toggled, &listening, [&listening](bool on) {
    if (on)
      listening.Start();
    else
      listening.Stop();
  });
}

std::uint16_t CLiveListening::Port() const { return server_ ? server_->Port() : 0; }

bool CLiveListening::Start() {
  if (server_) return true;
  if (folder_.isEmpty()) folder_ = chooseFolder_(&dialog_);
  if (folder_.isEmpty()) return false;

  tesk::live::ServerSettings settings;
  settings.listen = address_;
  settings.folder = folder_.toStdString();
  // The window draws for the default printer, so it answers as that printer too.
  settings.answers = tesk::live::AnswersFromProfile(tesk::printer::DefaultProfile());
  jobs_ = std::make_unique<tesk::live::JobQueue>();
  // Called on the server's thread: only a queued call crosses to the window's.
  jobs_->SetOnChange([this] {
    QMetaObject::invokeMethod(
        this, [this] { ShowJobs(); }, Qt::QueuedConnection);
  });
  server_ = std::make_unique<tesk::live::PrintServer>(settings, *jobs_);
  if (const int error = server_->Start(); error != 0) {
    server_.reset();
    jobs_.reset();
    QMessageBox::warning(&dialog_, CTeskDlg::ApplicationName(),
                         QString::fromUtf8("无法监听 %1: %2")
                             .arg(QString::fromStdString(tesk::live::FormatHostPort(address_)),
                                  QString::fromStdString(tesk::platform::ErrorText(error))));
    return false;
  }
  plainTitle_ = dialog_.windowTitle();
  dialog_.setWindowTitle(
      plainTitle_ + QString::fromUtf8(" - 监听 ") +
      QString::fromStdString(tesk::live::FormatHostPort({address_.host, server_->Port()})));
  return true;
}

void CLiveListening::Stop() {
  if (!server_) return;
  // Jobs still coming in are saved; they are shown once the server is gone.
  server_->Stop();
  server_.reset();
  dialog_.setWindowTitle(plainTitle_);
  ShowJobs();
  jobs_.reset();
}

void CLiveListening::ShowJobs() {
  // A run's message box turns the event loop, which may call here again; the
  // outer call goes on taking the jobs.
  if (showing_ || !jobs_) return;
  showing_ = true;
  while (jobs_) {
    const auto job = jobs_->PopWithin(0);
    if (!job) break;
    if (!job->path.empty()) dialog_.OnDropFiles({QString::fromStdString(job->path.string())});
  }
  showing_ = false;
}
