#include "app/tesk_dlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QUrl>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "app/about_dlg.h"
#include "app/app_icon.h"
#include "app/conversion_worker.h"
#include "app/dialog_builder.h"
#include "app/dialog_template.h"
#include "app/dot_readout.h"
#include "app/job_panel.h"
#include "app/layout_notice.h"
#include "app/live_listening.h"
#include "app/path_elision.h"
#include "app/run_progress_panel.h"
#include "app/zoom_box.h"
#include "core/figure_captions.h"
#include "core/paper_output.h"
#include "core/run_messages.h"
#include "view/zoom_ctrl.h"

namespace {

// A drop delivers at most this many characters of a path; a longer one arrives cut.
constexpr qsizetype kLongestDroppedPath = 259;

QString CutDroppedPath(const QString& path) {
  if (path.size() <= kLongestDroppedPath) return path;
  qsizetype length = kLongestDroppedPath;
  // Half a character would leave a path that cannot even be spelled.
  if (path.at(length - 1).isHighSurrogate()) --length;
  return path.left(length);
}

QStringList LocalFiles(const QMimeData* mime) {
  QStringList files;
  if (!mime || !mime->hasUrls()) return files;
  for (const QUrl& url : mime->urls())
    if (url.isLocalFile()) files << url.toLocalFile();
  return files;
}

template <typename Number>
void ShowFigure(QLabel* label, const std::optional<Number>& value) {
  if (value) label->setText(QString::number(*value));
}

}  // namespace

CTeskDlg::CTeskDlg(QWidget* parent) : QDialog(parent) {
  const DialogTemplate& dialogTemplate = MainDialogTemplate();
  setWindowTitle(QString::fromUtf8(dialogTemplate.title));
  // Caption, close and minimise boxes, a sizing border and a taskbar button of
  // its own; no maximise box. It stays above ordinary windows.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
  QFont font;
  font.setFamilies({"微软雅黑", "Microsoft YaHei", "Noto Sans CJK SC", "WenQuanYi Micro Hei"});
  font.setPointSize(10);
  font.setWeight(QFont::Normal);
  setFont(font);
  setAcceptDrops(true);

  const QIcon icon = TeskIcon();
  setWindowIcon(icon);
  const DialogBaseUnits base = BaseUnitsOf(font);
  resize(DialogPixelSize(dialogTemplate, base));
  CreateControls(*this, dialogTemplate, base, icon);

  view_ = Control<CZoomCtrl>(control::kPicture);
  modeBox_ = Control<QComboBox>(control::kModeBox);
  keepPlainBinary_ = Control<QCheckBox>(control::kKeepPlainBinary);
  keepPureData_ = Control<QCheckBox>(control::kKeepPureData);
  keepBitmap_ = Control<QCheckBox>(control::kKeepBitmap);
  keepPlainBinaryZip_ = Control<QCheckBox>(control::kKeepPlainBinaryZip);
  keepPng_ = Control<QCheckBox>(control::kKeepPng);
  pathLabel_ = Control<QLabel>(control::kPath);
  exitButton_ = Control<QPushButton>(control::kExit);
  layoutNotice_ = new LayoutNotice(view_, this);
  connect(layoutNotice_, &LayoutNotice::readFromCommandsRequested, this, &CTeskDlg::OnReadFromCommands);

  connect(exitButton_, &QPushButton::clicked, this, &CTeskDlg::OnExit);
  connect(Control<QPushButton>(control::kParse), &QPushButton::clicked, this, &CTeskDlg::OnParse);
  connect(Control<QRadioButton>(control::kTopDown), &QRadioButton::toggled, this, [this](bool checked) {
    if (checked) OnTopDown();
  });
  connect(Control<QRadioButton>(control::kBottomUp), &QRadioButton::toggled, this, [this](bool checked) {
    if (checked) OnBottomUp();
  });

  // What goes beyond the fixed layout: the zoom box where the template leaves
  // room below the figures, the readout and the job panel, the window's keys.
  zoomBox_ = CreateZoomBox(*this, *view_, DialogUnitsToPixels(QRect(244, 252, 58, 12), base));
  readout_ = new DotReadout(view_);
  jobPanel_ = new JobPanel(this);
  connect(jobPanel_, &QDialog::finished, this, [this] { actions_.jobPanel->setChecked(false); });
  connect(jobPanel_, &JobPanel::RowsChosen, view_,
          [this](int first, int count) { view_->ShowRows(first, count); });
  connect(view_, &CZoomCtrl::DotHovered, this, [this](std::optional<QPoint> dot) {
    readout_->Show(listing_, dot, view_->mapFromGlobal(QCursor::pos()));
  });
  connect(view_, &CZoomCtrl::DotClicked, this, &CTeskDlg::SelectCommandAt);
  CreateActions();
  ElidePathInTheMiddle(*pathLabel_);
  growth_.Record(*this, view_, pathLabel_, DialogUnitsToPixelsX(241, base));
  setMinimumSize(size());

  worker_ = new ConversionWorker(this);
  progressPanel_ = new RunProgressPanel(view_);
  connect(worker_, &ConversionWorker::Progressed, progressPanel_, &RunProgressPanel::Progress);
  connect(progressPanel_, &RunProgressPanel::CancelRequested, this, &CTeskDlg::CancelRun);

  presentMessage_ = [this](const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::Warning, caption, text, QMessageBox::Ok, this);
    box.exec();
  };
  OnInitDialog();
}

CTeskDlg::~CTeskDlg() {
  // The view outlives the picture by a moment while the widgets are torn down.
  view_->SetImageBits({});
  view_->SetImageHeader(nullptr);
}

template <typename Widget>
Widget* CTeskDlg::Control(int id) const {
  return findChild<Widget*>(QString::number(id), Qt::FindDirectChildrenOnly);
}

void CTeskDlg::OnInitDialog() {
  for (const char* item : tesk::core::kModeItems) modeBox_->addItem(QString::fromUtf8(item));
  modeBox_->setCurrentIndex(-1);
  Control<QPushButton>(control::kParse)->hide();
  Control<QRadioButton>(control::kTopDown)->setChecked(scanDirection_ == 0);
  Control<QRadioButton>(control::kBottomUp)->setChecked(scanDirection_ == 1);
  keepPlainBinary_->setChecked(true);
  keepPureData_->setChecked(false);
  keepBitmap_->setChecked(true);
  keepPlainBinaryZip_->setChecked(true);
  keepPng_->setChecked(true);
  exitButton_->setFocus();
}

void CTeskDlg::OnDropFiles(const QStringList& paths) {
  if (paths.isEmpty()) return;
  const QString path = paths.first();
  RememberFile(path);
  pathLabel_->setText(CutDroppedPath(path));
  pathLabel_->setToolTip(path);
  update();
  if (path.size() > kLongestDroppedPath) {
    // Cut, it would name another file (or none), and the outputs would land
    // beside that one. The whole path is longer than the label can carry to a
    // run, so it fails as a file that cannot be opened does.
    const tesk::core::RunMessage message = tesk::core::MakeRunMessage(tesk::core::RunMessageCode::LoadFailed);
    ShowMessage(QString::fromStdString(message.text));
    emit DropHandled(path);
    return;
  }
  OnParse();
  emit DropHandled(path);
}

// How the job is read and drawn, as the context menu's choices say; shared by
// a run and a comparison, so both read the job alike.
tesk::core::RunOptions CTeskDlg::ReadingOptions() const {
  tesk::core::RunOptions options;
  options.layout =
      gatherFromCommands_ ? tesk::core::BandLayoutChoice::Commands : tesk::core::BandLayoutChoice::Fixed;
  options.captureReading =
      readWholeCapture_ ? tesk::core::CaptureReading::Whole : tesk::core::CaptureReading::Default;
  if (paperView_) options.paperProfile = tesk::printer::DefaultProfile();
  return options;
}

void CTeskDlg::OnParse() {
  const std::filesystem::path path(QFile::encodeName(pathLabel_->text()).toStdString());
  tesk::core::RunOptions options = ReadingOptions();
  options.keepPlainBinary = keepPlainBinary_->isChecked();
  options.keepPlainBinaryZip = keepPlainBinaryZip_->isChecked();
  options.keepPureData = keepPureData_->isChecked();
  options.keepBitmap = keepBitmap_->isChecked();
  options.keepPng = keepPng_->isChecked();
  options.bottomUp = scanDirection_ == 1;

  // The run builds its picture apart from the one on screen, so the view keeps
  // painting while it goes, and a cancelled run leaves it as it was.
  tesk::image::DibImage picture;
  runInProgress_ = true;
  progressPanel_->Begin();
  worker_->Start(path, options, source_, picture);
  // The window goes on answering (painting, scrolling, the cancel button) while
  // the run is on its own thread; this handler returns once it is over, as the
  // whole outcome is shown in one piece.
  QEventLoop loop;
  connect(worker_, &ConversionWorker::Finished, &loop, &QEventLoop::quit);
  loop.exec();
  progressPanel_->End();
  runInProgress_ = false;
  ConversionWorker::Outcome outcome = worker_->TakeOutcome();
  // A window closed during the run shows nothing more.
  if (outcome.cancelled || !isVisible()) return;

  ShowFigures(outcome.figures);
  if (paperView_ && outcome.figures.paper) {
    // The paper is not laid out in bands: no band marks, no rows to trace.
    listing_ = std::move(outcome.listing);
    listing_.bands.clear();
    ShowPaper(*outcome.figures.paper);
    ShowListing();
  } else if (outcome.figures.imageReady) {
    image_ = std::move(picture);
    listing_ = std::move(outcome.listing);
    HandOverPicture();
    ShowListing();
  } else if (outcome.message && outcome.message->code == tesk::core::RunMessageCode::OutOfMemory) {
    // The old buffer is given up for the new one before it is allocated.
    TakePictureAway();
  }
  // The strip speaks of the fixed layout; a run in the command reading has no need of it.
  layoutNotice_->ShowVerdict(options.layout == tesk::core::BandLayoutChoice::Fixed
                                 ? outcome.figures.layoutVerdict
                                 : std::nullopt,
                             outcome.lintFindings);
  if (outcome.message) ShowMessage(QString::fromStdString(outcome.message->text));
}

void CTeskDlg::ShowListing() {
  std::vector<int> bandRows;
  bandRows.reserve(listing_.bands.size());
  for (const tesk::core::PictureBand& band : listing_.bands)
    bandRows.push_back(static_cast<int>(band.firstRow));
  view_->SetBandRows(std::move(bandRows));
  jobPanel_->SetListing(listing_);
}

void CTeskDlg::SelectCommandAt(QPoint dot) {
  const auto origin = tesk::core::LocateRow(listing_, dot.y());
  if (!origin || origin->command < 0) return;
  const tesk::core::CommandLine& line = listing_.commands[static_cast<std::size_t>(origin->command)];
  view_->ShowRows(static_cast<int>(line.firstRow), static_cast<int>(line.rowCount), false);
  jobPanel_->SelectCommand(origin->command);
}

void CTeskDlg::resizeEvent(QResizeEvent* event) {
  growth_.Apply(size());
  layoutNotice_->FollowView();
  QDialog::resizeEvent(event);
}

void CTeskDlg::CancelRun() {
  if (worker_->Running()) worker_->Cancel();
}

void CTeskDlg::reject() {
  // Closing during a run stops it first; the run's handler returns once it has.
  CancelRun();
  QDialog::reject();
}

void CTeskDlg::ShowMessage(const QString& text) {
  messageOpen_ = true;
  presentMessage_(ApplicationName(), text);
  messageOpen_ = false;
}

void CTeskDlg::OnReadFromCommands() {
  gatherFromCommands_ = true;
  OnParse();
}

void CTeskDlg::ShowFigures(const tesk::core::RunFigures& figures) {
  ShowFigure(Control<QLabel>(control::kDataLength), figures.dataLength);
  ShowFigure(Control<QLabel>(control::kZipFileSize), figures.zipFileSize);
  if (figures.mode) {
    // A mode byte without an entry leaves the box with nothing selected.
    const bool known = *figures.mode >= 0 && *figures.mode < modeBox_->count();
    modeBox_->setCurrentIndex(known ? static_cast<int>(*figures.mode) : -1);
  }
  ShowFigure(Control<QLabel>(control::kWidthBytes), figures.widthBytes);
  ShowFigure(Control<QLabel>(control::kBandHeight), figures.bandHeight);
  ShowFigure(Control<QLabel>(control::kBandCount), figures.bandCount);
  ShowFigure(Control<QLabel>(control::kBitmapWidth), figures.bitmapWidth);
  ShowFigure(Control<QLabel>(control::kBitmapHeight), figures.bitmapHeight);
  ShowFigure(Control<QLabel>(control::kPaddedWidth), figures.paddedWidth);
  ShowFigure(Control<QLabel>(control::kBmpFileSize), figures.bmpFileSize);
  ShowFigure(Control<QLabel>(control::kPngFileSize), figures.pngFileSize);
}

void CTeskDlg::HandOverPicture() {
  const tesk::image::BitmapInfoHeader& header = image_.info.header;
  view_->SetImageBits({image_.pixels.get(), image_.pixelBytes});
  view_->SetImageHeader(&image_.info);
  view_->SetImageSize(header.biWidth, static_cast<int>(std::abs(std::int64_t{header.biHeight})));
  view_->update();
}

void CTeskDlg::ShowPaper(const tesk::core::PaperFigures& paper) {
  // The paper takes the place of the band picture in the same 1:1 view.
  std::vector<std::uint8_t> pure;
  tesk::image::PictureGeometry geometry;
  if (tesk::core::StackPaperPieces(paper, pure, geometry) &&
      tesk::image::BuildDibImage(image_, pure, geometry, false))
    HandOverPicture();
  else
    TakePictureAway();
}

void CTeskDlg::TakePictureAway() {
  image_ = tesk::image::DibImage{};
  listing_ = tesk::core::JobListing{};
  ShowListing();
  view_->SetImageBits({});
  view_->SetImageHeader(nullptr);
  // Show white at once rather than whatever was last drawn of a buffer that is gone.
  view_->update();
}

void CTeskDlg::OnExit() { reject(); }

void CTeskDlg::OnSysCommand(int command) {
  // The low four bits of a system command belong to the system.
  if ((command & ~0xF) != kAboutCommand) return;
  CAboutDlg about(this);
  about.exec();
}

QString CTeskDlg::ApplicationName() { return QFileInfo(QCoreApplication::applicationFilePath()).baseName(); }

void CTeskDlg::dragEnterEvent(QDragEnterEvent* event) {
  // Some sources hand over the file list only while the drag is entering or
  // moving and have nothing left at the drop: take it now.
  draggedFiles_ = LocalFiles(event->mimeData());
  if (!draggedFiles_.isEmpty() && AcceptsDrops()) event->acceptProposedAction();
}

void CTeskDlg::dragMoveEvent(QDragMoveEvent* event) {
  const QStringList files = LocalFiles(event->mimeData());
  if (!files.isEmpty()) draggedFiles_ = files;
  if (!draggedFiles_.isEmpty() && AcceptsDrops())
    event->acceptProposedAction();
  else
    event->ignore();
}

void CTeskDlg::dragLeaveEvent(QDragLeaveEvent*) { draggedFiles_.clear(); }

void CTeskDlg::dropEvent(QDropEvent* event) {
  QStringList files = LocalFiles(event->mimeData());
  if (files.isEmpty()) files = draggedFiles_;
  draggedFiles_.clear();
  // A drop that is accepted must run; one that cannot run is refused.
  if (files.isEmpty() || !AcceptsDrops()) {
    event->ignore();
    return;
  }
  event->acceptProposedAction();
  dropPending_ = true;
  // The run starts once the drag is over, so the program the file came from is
  // not kept waiting for the conversion.
  QMetaObject::invokeMethod(
      this,
      [this, files] {
        dropPending_ = false;
        OnDropFiles(files);
      },
      Qt::QueuedConnection);
}

bool CTeskDlg::AcceptsDrops() const {
  // Like the system's window, it takes no second drop while a run or its
  // message box is in progress.
  return !dropPending_ && !runInProgress_ && !messageOpen_;
}

void CTeskDlg::contextMenuEvent(QContextMenuEvent* event) {
  const std::unique_ptr<QMenu> menu(CreateContextMenu());
  menu->exec(event->globalPos());
}

void CTeskDlg::keyPressEvent(QKeyEvent* event) {
  const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
  if (modifiers == Qt::NoModifier) {
    switch (event->key()) {
      case Qt::Key_Return:
      case Qt::Key_Enter:
        // On "退出" Enter presses it; anywhere else it is the OK command of a
        // dialog without an OK button, which ends the dialog all the same.
        if (focusWidget() == exitButton_)
          OnExit();
        else
          accept();
        return;
      case Qt::Key_Escape:
        if (runInProgress_) {
          // Escape stops the run rather than closing the window under it.
          CancelRun();
          return;
        }
        reject();
        return;
      default: break;
    }
  }
  QDialog::keyPressEvent(event);
}
