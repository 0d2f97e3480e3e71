#pragma once
// The main window: a file dropped anywhere on it is converted, and the run's
// figures, picture and message are shown.

#include <QDialog>
#include <QStringList>
#include <functional>

#include "app/window_growth.h"
#include "core/job_listing.h"
#include "core/raster_source.h"
#include "core/run_types.h"
#include "image/dib_image.h"

class ConversionWorker;
class DotReadout;
class JobPanel;
class CZoomCtrl;
class LayoutNotice;
class RunProgressPanel;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QAction;
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
  // Asks a run in progress to stop; the window keeps what it showed before.
  void CancelRun();
  void reject() override;
  void OnTopDown() { scanDirection_ = 0; }
  void OnBottomUp() { scanDirection_ = 1; }
  // The system-menu commands; kAboutCommand opens the about box.
  void OnSysCommand(int command);
  static constexpr int kAboutCommand = 16;

  // The window's context menu: the about item, then the reading options that
  // go beyond the fixed layout (off at every start, like every other control),
  // the file commands, and the view's. New items go into one of its sections
  // (AddReadingItems, AddFileItems, AddViewItems).
  QMenu* CreateContextMenu();
  static const char* const kGatherFromCommandsItem;
  static const char* const kWholeCaptureItem;
  static const char* const kPaperViewItem;
  static const char* const kCompareItem;
  static const char* const kJobPanelItem;

  // File commands: open (Ctrl+O), convert the last file again with the
  // options shown now (F5), copy the picture, save it as PNG.
  void OpenFile();
  // Asks for a second file and shows it laid over the one on screen.
  void CompareWithFile();
  // The same with the second file given, for tests.
  void CompareWith(const QString& other);
  tesk::core::RunOptions ReadingOptions() const;
  void Reopen();
  void CopyPicture();
  void SavePicture();
  bool SavePictureAs(const QString& path);
  // The job panel beside the window (F2).
  void ShowJobPanel(bool shown);
  JobPanel& Panel() const { return *jobPanel_; }
  // Selects the command that drew the given dot and marks its rows.
  void SelectCommandAt(QPoint dot);
  // The files converted in this session, the latest first.
  const QStringList& RecentFiles() const { return recentFiles_; }

  // The notice strip's button: the same file again, read from its GS v 0
  // commands, with the context menu's item checked from now on.
  void OnReadFromCommands();

  CZoomCtrl& View() const { return *view_; }
  LayoutNotice& Notice() const { return *layoutNotice_; }
  bool GathersFromCommands() const { return gatherFromCommands_; }
  ConversionWorker& Worker() const { return *worker_; }
  bool RunInProgress() const { return runInProgress_; }
  // The job of the picture on screen.
  const tesk::core::JobListing& Listing() const { return listing_; }
  int ScanDirection() const { return scanDirection_; }

  // The caption of the message box: the program file's base name.
  static QString ApplicationName();

 signals:
  // A dropped (or opened) file has been dealt with: converted, refused or
  // stopped, its outcome shown.
  void DropHandled(const QString& path);

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dragLeaveEvent(QDragLeaveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void OnInitDialog();
  void ShowFigures(const tesk::core::RunFigures& figures);
  // Shows a run's message; no drop is taken while it is open.
  void ShowMessage(const QString& text);
  bool AcceptsDrops() const;
  void ShowListing();
  void CreateActions();
  void AddReadingItems(QMenu& menu);
  void AddFileItems(QMenu& menu);
  void AddViewItems(QMenu& menu);
  void RememberFile(const QString& path);
  void HandOverPicture();
  void TakePictureAway();
  void ShowPaper(const tesk::core::PaperFigures& paper);
  template <typename Widget>
  Widget* Control(int id) const;

  CZoomCtrl* view_ = nullptr;
  LayoutNotice* layoutNotice_ = nullptr;
  tesk::core::RasterSource source_;
  // The picture the view draws; it outlives every run, and each run rebuilds it.
  tesk::image::DibImage image_;
  tesk::core::JobListing listing_;
  ConversionWorker* worker_ = nullptr;
  RunProgressPanel* progressPanel_ = nullptr;
  QComboBox* zoomBox_ = nullptr;
  DotReadout* readout_ = nullptr;
  JobPanel* jobPanel_ = nullptr;
  WindowGrowth growth_;
  QString lastPath_;
  QStringList recentFiles_;
  struct Actions {
    QAction* open = nullptr;
    QAction* reopen = nullptr;
    QAction* copyPicture = nullptr;
    QAction* savePicture = nullptr;
    QAction* zoomIn = nullptr;
    QAction* zoomOut = nullptr;
    QAction* actualSize = nullptr;
    QAction* fitWidth = nullptr;
    QAction* fitPage = nullptr;
    QAction* bandMarks = nullptr;
    QAction* jobPanel = nullptr;
  } actions_;
  int scanDirection_ = 0;
  bool gatherFromCommands_ = false;
  bool readWholeCapture_ = false;
  bool paperView_ = false;  // the view shows the paper instead of the bands
  QComboBox* modeBox_ = nullptr;
  QCheckBox* keepPlainBinary_ = nullptr;
  QCheckBox* keepPureData_ = nullptr;
  QCheckBox* keepBitmap_ = nullptr;
  QCheckBox* keepPlainBinaryZip_ = nullptr;
  QCheckBox* keepPng_ = nullptr;
  QLabel* pathLabel_ = nullptr;
  QPushButton* exitButton_ = nullptr;
  MessagePresenter presentMessage_;
  // The local files of the drag in progress, as its enter and move events told them.
  QStringList draggedFiles_;
  bool dropPending_ = false;
  bool runInProgress_ = false;
  bool messageOpen_ = false;
};
