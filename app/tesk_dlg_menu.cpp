// The window's context menu and the commands behind it that go beyond the
// fixed layout: files, zoom, the job panel. Each item with a key is also an
// action of the window, so the key works without opening the menu.

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QScreen>
#include <QSignalBlocker>

#include "app/comparison_window.h"
#include "app/job_panel.h"
#include "app/live_listening.h"
#include "app/tesk_dlg.h"
#include "core/file_export.h"
#include "core/run_messages.h"
#include "printer/profile.h"
#include "view/zoom_ctrl.h"

namespace {

constexpr int kRecentFiles = 8;

QAction* AddKeyedAction(QWidget& window, const char* text, const QList<QKeySequence>& keys) {
  auto* action = new QAction(QString::fromUtf8(text), &window);
  action->setShortcuts(keys);
  action->setShortcutContext(Qt::WindowShortcut);
  window.addAction(action);
  return action;
}

}  // namespace

void CTeskDlg::CreateActions() {
  actions_.open = AddKeyedAction(*this, "打开(&O)...", {QKeySequence::Open});
  connect(actions_.open, &QAction::triggered, this, &CTeskDlg::OpenFile);
  actions_.reopen = AddKeyedAction(*this, "重新解析(&R)", {QKeySequence(Qt::Key_F5)});
  connect(actions_.reopen, &QAction::triggered, this, &CTeskDlg::Reopen);
  actions_.copyPicture = AddKeyedAction(*this, "复制图片(&C)", {QKeySequence::Copy});
  connect(actions_.copyPicture, &QAction::triggered, this, &CTeskDlg::CopyPicture);
  actions_.savePicture = AddKeyedAction(*this, "图片另存为PNG(&S)...", {QKeySequence::Save});
  connect(actions_.savePicture, &QAction::triggered, this, &CTeskDlg::SavePicture);

  actions_.zoomIn =
      AddKeyedAction(*this, "放大", {QKeySequence::ZoomIn, QKeySequence(Qt::CTRL | Qt::Key_Equal)});
  connect(actions_.zoomIn, &QAction::triggered, this,
          [this] { view_->ZoomIn(view_->ClientRect().center()); });
  actions_.zoomOut = AddKeyedAction(*this, "缩小", {QKeySequence::ZoomOut});
  connect(actions_.zoomOut, &QAction::triggered, this,
          [this] { view_->ZoomOut(view_->ClientRect().center()); });
  actions_.actualSize = AddKeyedAction(*this, "原始大小 1:1", {QKeySequence(Qt::CTRL | Qt::Key_0)});
  connect(actions_.actualSize, &QAction::triggered, this,
          [this] { view_->SetZoom(1, view_->ClientRect().center()); });
  actions_.fitWidth = AddKeyedAction(*this, "适合宽度", {});
  connect(actions_.fitWidth, &QAction::triggered, this,
          [this] { view_->SetZoomMode(CZoomCtrl::ZoomMode::FitWidth); });
  actions_.fitPage = AddKeyedAction(*this, "适合页面", {});
  connect(actions_.fitPage, &QAction::triggered, this,
          [this] { view_->SetZoomMode(CZoomCtrl::ZoomMode::FitPage); });
  actions_.bandMarks = AddKeyedAction(*this, "显示带边界", {});
  actions_.bandMarks->setCheckable(true);
  connect(actions_.bandMarks, &QAction::toggled, view_, &CZoomCtrl::SetBandMarksShown);
  actions_.jobPanel = AddKeyedAction(*this, kJobPanelItem, {QKeySequence(Qt::Key_F2)});
  actions_.jobPanel->setCheckable(true);
  connect(actions_.jobPanel, &QAction::toggled, this, &CTeskDlg::ShowJobPanel);
}

QMenu* CTeskDlg::CreateContextMenu() {
  auto* menu = new QMenu(this);
  menu->addAction(QString::fromUtf8("关于 Tesk(&A)..."), this, [this] { OnSysCommand(kAboutCommand); });
  menu->addSeparator();
  AddReadingItems(*menu);
  menu->addSeparator();
  AddFileItems(*menu);
  menu->addSeparator();
  AddViewItems(*menu);
  menu->addSeparator();
  CLiveListening::AddMenuItem(*menu, *this);
  return menu;
}

void CTeskDlg::AddReadingItems(QMenu& menu) {
  QAction* commands = menu.addAction(QString::fromUtf8(kGatherFromCommandsItem));
  commands->setCheckable(true);
  commands->setChecked(gatherFromCommands_);
  connect(commands, &QAction::toggled, this, [this](bool on) { gatherFromCommands_ = on; });
  QAction* whole = menu.addAction(QString::fromUtf8(kWholeCaptureItem));
  whole->setCheckable(true);
  whole->setChecked(readWholeCapture_);
  connect(whole, &QAction::toggled, this, [this](bool on) { readWholeCapture_ = on; });
  QAction* paper = menu.addAction(QString::fromUtf8(kPaperViewItem));
  paper->setCheckable(true);
  paper->setChecked(paperView_);
  connect(paper, &QAction::toggled, this, [this](bool on) { paperView_ = on; });
}

void CTeskDlg::AddFileItems(QMenu& menu) {
  const bool idle = AcceptsDrops();
  const bool picture = image_.pixels != nullptr;
  actions_.open->setEnabled(idle);
  actions_.reopen->setEnabled(idle && !lastPath_.isEmpty());
  actions_.copyPicture->setEnabled(picture);
  actions_.savePicture->setEnabled(picture);
  menu.addAction(actions_.open);
  menu.addAction(actions_.reopen);
  QMenu* recent = menu.addMenu(QString::fromUtf8("最近文件"));
  recent->setEnabled(idle && !recentFiles_.isEmpty());
  for (const QString& path : recentFiles_)
    recent->addAction(QFileInfo(path).fileName(), this, [this, path] { OnDropFiles({path}); })
        ->setToolTip(path);
  menu.addAction(actions_.copyPicture);
  menu.addAction(actions_.savePicture);
  QAction* compare = menu.addAction(QString::fromUtf8(kCompareItem), this, [this] { CompareWithFile(); });
  compare->setEnabled(idle && !lastPath_.isEmpty());
}

void CTeskDlg::CompareWithFile() {
  if (!AcceptsDrops() || lastPath_.isEmpty()) return;
  const QString other =
      QFileDialog::getOpenFileName(this, QString::fromUtf8("与…比较"), QFileInfo(lastPath_).absolutePath());
  if (!other.isEmpty()) CompareWith(other);
}

void CTeskDlg::CompareWith(const QString& other) {
  const tesk::core::RunOptions options = ReadingOptions();
  auto* window = new ComparisonWindow(lastPath_, other, options, this);
  window->setObjectName("comparisonWindow");
  window->setAttribute(Qt::WA_DeleteOnClose);
  window->show();
}

void CTeskDlg::AddViewItems(QMenu& menu) {
  QMenu* zoom = menu.addMenu(QString::fromUtf8("缩放"));
  zoom->addAction(actions_.zoomIn);
  zoom->addAction(actions_.zoomOut);
  zoom->addAction(actions_.actualSize);
  zoom->addAction(actions_.fitWidth);
  zoom->addAction(actions_.fitPage);
  menu.addAction(actions_.bandMarks);
  menu.addAction(actions_.jobPanel);
}

void CTeskDlg::RememberFile(const QString& path) {
  lastPath_ = path;
  recentFiles_.removeAll(path);
  recentFiles_.prepend(path);
  while (recentFiles_.size() > kRecentFiles) recentFiles_.removeLast();
}

void CTeskDlg::OpenFile() {
  if (!AcceptsDrops()) return;
  const QString start = lastPath_.isEmpty() ? QString() : QFileInfo(lastPath_).absolutePath();
  const QString path = QFileDialog::getOpenFileName(this, QString::fromUtf8("打开数据文件"), start);
  if (!path.isEmpty()) OnDropFiles({path});
}

void CTeskDlg::Reopen() {
  // The same file with the options the controls show now.
  if (AcceptsDrops() && !lastPath_.isEmpty()) OnDropFiles({lastPath_});
}

void CTeskDlg::CopyPicture() {
  const QImage picture = view_->PictureImage();
  if (!picture.isNull()) QApplication::clipboard()->setImage(picture);
}

void CTeskDlg::SavePicture() {
  if (!image_.pixels) return;
  QString suggested = lastPath_;
  if (!suggested.isEmpty())
    suggested =
        QFileInfo(suggested).absolutePath() + "/" + QFileInfo(suggested).completeBaseName() + "-view.png";
  const QString path =
      QFileDialog::getSaveFileName(this, QString::fromUtf8("图片另存为PNG"), suggested, "PNG (*.png)");
  if (!path.isEmpty()) SavePictureAs(path);
}

bool CTeskDlg::SavePictureAs(const QString& path) {
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  if (!view_->PictureImage().save(&buffer, "PNG")) return false;
  const int error =
      tesk::core::WriteExportFile(std::filesystem::path(QFile::encodeName(path).toStdString()),
                                  std::span(reinterpret_cast<const std::uint8_t*>(png.constData()),
                                            static_cast<std::size_t>(png.size())));
  if (error == 0) return true;
  ShowMessage(QString::fromStdString(
      tesk::core::MakeWriteFailedMessage(std::filesystem::path(QFile::encodeName(path).toStdString()), error)
          .text));
  return false;
}

void CTeskDlg::ShowJobPanel(bool shown) {
  {
    const QSignalBlocker blocker(actions_.jobPanel);
    actions_.jobPanel->setChecked(shown);
  }
  if (!shown) {
    jobPanel_->hide();
    return;
  }
  if (!jobPanel_->isVisible()) {
    // Beside the window, where it does not cover the picture, as far as the
    // screen allows.
    jobPanel_->resize(jobPanel_->width(), height());
    QPoint place = frameGeometry().topRight() + QPoint(4, 0);
    if (const QScreen* screen = this->screen()) {
      const QRect available = screen->availableGeometry();
      place.setX(std::min(place.x(), available.right() + 1 - jobPanel_->frameGeometry().width()));
    }
    jobPanel_->move(place);
  }
  jobPanel_->show();
}

const char* const CTeskDlg::kGatherFromCommandsItem = "按GS v 0命令解析";
const char* const CTeskDlg::kWholeCaptureItem = "完整解析BusHound数据";
const char* const CTeskDlg::kJobPanelItem = "命令列表(F2)";
const char* const CTeskDlg::kPaperViewItem = "纸张视图";
const char* const CTeskDlg::kCompareItem = "与…比较";
