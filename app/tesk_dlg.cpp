#include "app/tesk_dlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
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
#include "app/dialog_builder.h"
#include "app/dialog_template.h"
#include "app/layout_notice.h"
#include "core/conversion_run.h"
#include "core/figure_captions.h"
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
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
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
  connect(Control<QRadioButton>(control::kTopDown), &QRadioButton::toggled, this,
          [this](bool checked) { if (checked) OnTopDown(); });
  connect(Control<QRadioButton>(control::kBottomUp), &QRadioButton::toggled, this,
          [this](bool checked) { if (checked) OnBottomUp(); });

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
  pathLabel_->setText(CutDroppedPath(paths.first()));
  update();
  OnParse();
}

void CTeskDlg::OnParse() {
  const std::filesystem::path path(QFile::encodeName(pathLabel_->text()).toStdString());
  tesk::core::RunOptions options;
  options.keepPlainBinary = keepPlainBinary_->isChecked();
  options.keepPlainBinaryZip = keepPlainBinaryZip_->isChecked();
  options.keepPureData = keepPureData_->isChecked();
  options.keepBitmap = keepBitmap_->isChecked();
  options.keepPng = keepPng_->isChecked();
  options.bottomUp = scanDirection_ == 1;
  options.layout = gatherFromCommands_ ? tesk::core::BandLayoutChoice::Commands
                                       : tesk::core::BandLayoutChoice::Fixed;
  options.captureReading = readWholeCapture_ ? tesk::core::CaptureReading::Whole
                                             : tesk::core::CaptureReading::Default;

  tesk::core::RunFigures figures;
  const auto message = tesk::core::RunConversion(path, options, figures, source_, image_);

  ShowFigures(figures);
  if (figures.imageReady)
    HandOverPicture();
  else if (!image_.pixels)
    // Building the picture released the old buffer before it failed.
    TakePictureAway();
  // The strip speaks of the fixed layout; a run in the command reading has no need of it.
  layoutNotice_->ShowVerdict(options.layout == tesk::core::BandLayoutChoice::Fixed ? figures.layoutVerdict
                                                                                  : std::nullopt);
  if (message) presentMessage_(ApplicationName(), QString::fromStdString(message->text));
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

void CTeskDlg::TakePictureAway() {
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

QMenu* CTeskDlg::CreateContextMenu() {
  auto* menu = new QMenu(this);
  menu->addAction(QString::fromUtf8("关于 Tesk(&A)..."), this,
                  [this] { OnSysCommand(kAboutCommand); });
  menu->addSeparator();
  QAction* commands = menu->addAction(QString::fromUtf8(kGatherFromCommandsItem));
  commands->setCheckable(true);
  commands->setChecked(gatherFromCommands_);
  connect(commands, &QAction::toggled, this, [this](bool on) { gatherFromCommands_ = on; });
  QAction* whole = menu->addAction(QString::fromUtf8(kWholeCaptureItem));
  whole->setCheckable(true);
  whole->setChecked(readWholeCapture_);
  connect(whole, &QAction::toggled, this, [this](bool on) { readWholeCapture_ = on; });
  return menu;
}

const char* const CTeskDlg::kGatherFromCommandsItem = "按GS v 0命令解析";
const char* const CTeskDlg::kWholeCaptureItem = "完整解析BusHound数据";

QString CTeskDlg::ApplicationName() {
  return QFileInfo(QCoreApplication::applicationFilePath()).baseName();
}

void CTeskDlg::dragEnterEvent(QDragEnterEvent* event) {
  if (!LocalFiles(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void CTeskDlg::dragMoveEvent(QDragMoveEvent* event) {
  if (!LocalFiles(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void CTeskDlg::dropEvent(QDropEvent* event) {
  const QStringList files = LocalFiles(event->mimeData());
  if (files.isEmpty()) return;
  event->acceptProposedAction();
  // The run starts once the drag is over, so the program the file came from is
  // not kept waiting for the conversion.
  QMetaObject::invokeMethod(this, [this, files] { OnDropFiles(files); }, Qt::QueuedConnection);
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
        reject();
        return;
      default:
        break;
    }
  }
  QDialog::keyPressEvent(event);
}
