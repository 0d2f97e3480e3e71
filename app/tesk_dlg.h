#pragma once
// The main window: a file dropped anywhere on it is converted, and the run's
// figures, picture and message are shown.

#include <QDialog>
#include <QStringList>
#include <functional>

#include "core/raster_source.h"
#include "core/run_types.h"
#include "image/dib_image.h"

class CZoomCtrl;
class LayoutNotice;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QMenu;

class CTeskDlg : public QDialog {
  Q_OBJECT

 public:
  // Shows a run's message and returns once the user has seen it.
  using MessagePresenter = std::function<void(const QString& caption, const QString& text)>;

  explicit CTeskDlg(QWidget* parent = nullptr);
  ~CTeskDlg() override;

  // By default a modal warning box; tests put their own in its place.
  void SetMessagePresenter(MessagePresenter presenter) { presentMessage_ = std::move(presenter); }

  // Takes the first file, shows its path in label 1006 and converts it.
  void OnDropFiles(const QStringList& paths);
  // Converts the file named in label 1006 with the options the controls show.
  void OnParse();
  void OnExit();
  void OnTopDown() { scanDirection_ = 0; }
  void OnBottomUp() { scanDirection_ = 1; }
  // The system-menu commands; kAboutCommand opens the about box.
  void OnSysCommand(int command);
  static constexpr int kAboutCommand = 16;

  // The window's context menu: the about item, then the reading options that
  // go beyond the fixed layout (off at every start, like every other control).
  QMenu* CreateContextMenu();
  static const char* const kGatherFromCommandsItem;
  static const char* const kWholeCaptureItem;

  // The notice strip's button: the same file again, read from its GS v 0
  // commands, with the context menu's item checked from now on.
  void OnReadFromCommands();

  CZoomCtrl& View() const { return *view_; }
  LayoutNotice& Notice() const { return *layoutNotice_; }
  bool GathersFromCommands() const { return gatherFromCommands_; }
  int ScanDirection() const { return scanDirection_; }

  // The caption of the message box: the program file's base name.
  static QString ApplicationName();

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void OnInitDialog();
  void ShowFigures(const tesk::core::RunFigures& figures);
  void HandOverPicture();
  void TakePictureAway();
  template <typename Widget>
  Widget* Control(int id) const;

  CZoomCtrl* view_ = nullptr;
  LayoutNotice* layoutNotice_ = nullptr;
  tesk::core::RasterSource source_;
  // The picture the view draws; it outlives every run, and each run rebuilds it.
  tesk::image::DibImage image_;
  int scanDirection_ = 0;
  bool gatherFromCommands_ = false;
  bool readWholeCapture_ = false;
  QComboBox* modeBox_ = nullptr;
  QCheckBox* keepPlainBinary_ = nullptr;
  QCheckBox* keepPureData_ = nullptr;
  QCheckBox* keepBitmap_ = nullptr;
  QCheckBox* keepPlainBinaryZip_ = nullptr;
  QCheckBox* keepPng_ = nullptr;
  QLabel* pathLabel_ = nullptr;
  QPushButton* exitButton_ = nullptr;
  MessagePresenter presentMessage_;
};
