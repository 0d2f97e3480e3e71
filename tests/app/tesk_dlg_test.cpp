// The main window as a user meets it: its controls, files dropped on it, and
// what it shows afterwards. Runs offscreen; message boxes are intercepted.

#include "app/tesk_dlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <QUrl>
#include <QWindow>
#include <filesystem>

#include "app/about_dlg.h"
#include "app/conversion_worker.h"
#include "app/dot_readout.h"
#include "app/job_panel.h"
#include "app/qt_translations.h"
#include "app/run_progress_panel.h"
#include "core/conversion_run.h"
#include "platform/little_endian.h"
#include "tests/support/qt_test_main.h"
#include "tests/support/rendered_rows.h"
#include "tests/support/temp_folder.h"
#include "tools/capture_text.h"
#include "tools/sample_job.h"
#include "view/zoom_ctrl.h"

namespace fs = std::filesystem;
using tesk::testing::AllWhite;
using tesk::testing::PureRows;
using tesk::testing::RenderedRows;
using tesk::testing::TempFolder;

namespace {

// Two bands of 16 x 2 dots, mode 2; no row reads the same upside down.
const QStringList kPictureRows = {"1000000000000001", "0100000000000011", "1111000011110000",
                                  "0000000000000001"};

std::vector<std::uint8_t> PictureJob(const QStringList& rows, int bandHeight, std::uint8_t mode) {
  const int widthBytes = static_cast<int>(rows.first().size() / 8);
  tesk::tools::DotPicture picture(widthBytes, static_cast<int>(rows.size()));
  picture.rows.clear();
  for (const QString& row : rows) {
    const auto bytes = PureRows({row.toStdString()});
    picture.rows.insert(picture.rows.end(), bytes.begin(), bytes.end());
  }
  return tesk::tools::BuildFixedLayoutJob(picture, bandHeight, mode);
}

fs::path WriteJob(const TempFolder& folder, const std::string& name, const QStringList& rows,
                  int bandHeight = 2, std::uint8_t mode = 2) {
  const fs::path path = folder / name;
  tesk::testing::WriteFile(path, PictureJob(rows, bandHeight, mode));
  return path;
}

tesk::tools::CaptureTransfer Transfer(const char* phase, std::vector<std::uint8_t> bytes,
                                      std::string device = {}) {
  tesk::tools::CaptureTransfer transfer;
  transfer.phase = phase;
  transfer.bytes = std::move(bytes);
  transfer.device = std::move(device);
  return transfer;
}

// A capture text of the transfers, by default in the analyser's default layout; returns the text.
std::string WriteCapture(const fs::path& path, const std::vector<tesk::tools::CaptureTransfer>& transfers,
                         const tesk::tools::CaptureLayout& layout = {}) {
  const std::string text = tesk::tools::MakeCaptureText(layout, transfers);
  tesk::testing::WriteFile(path, text);
  return text;
}

// The number (from 1) of the line of a one-transfer capture that shows job
// byte `offset`: sixteen bytes to a line from the transfer's OUT line on. The
// line is checked to show that byte and the next.
int LineShowing(const std::string& text, const std::vector<std::uint8_t>& job, std::uint64_t offset) {
  const QStringList lines = QString::fromStdString(text).split('\n');
  int outLine = 0;
  while (outLine < lines.size() && lines[outLine].mid(8, 5).trimmed() != "OUT") ++outLine;
  const int line = outLine + 1 + static_cast<int>(offset / 16);
  const QString bytes =
      QString("%1 %2").arg(job[offset], 2, 16, QChar('0')).arg(job[offset + 1], 2, 16, QChar('0'));
  if (line > lines.size() || !lines[line - 1].contains(bytes)) return -1;
  return line;
}

QString Text(const fs::path& path) { return QFile::decodeName(path.string().c_str()); }

template <typename Widget = QWidget>
Widget* Control(const CTeskDlg& dialog, int id) {
  return dialog.findChild<Widget*>(QString::number(id));
}

QString LabelText(const CTeskDlg& dialog, int id) { return Control<QLabel>(dialog, id)->text(); }

// The figure labels, in the window's order.
const int kFigureLabels[] = {1011, 1021, 1004, 1005, 1008, 1009, 1010, 1014, 1012, 1013};

QStringList FigureTexts(const CTeskDlg& dialog) {
  QStringList texts;
  for (const int id : kFigureLabels) texts << LabelText(dialog, id);
  return texts;
}

struct Message {
  QString caption;
  QString text;
};

// A window as the tests use it: shown, with its message boxes recorded instead
// of shown.
struct Window {
  Window() {
    dialog.SetMessagePresenter([this](const QString& caption, const QString& text) {
      if (onMessage) onMessage();
      messages.push_back({caption, text});
    });
    dialog.show();
    if (!QTest::qWaitForWindowExposed(&dialog)) qFatal("the window never showed");
  }

  // Drags the files over `over` (a control of the window) and drops them
  // there, the way the window system hands a drop to the window.
  bool Drop(const QList<QUrl>& urls, QWidget* over = nullptr) {
    QMimeData mime;
    mime.setUrls(urls);
    QWidget* target = over ? over : &dialog.View();
    const QPoint at = target->mapTo(&dialog, target->rect().center());
    QWindow* window = dialog.windowHandle();
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &drop);
    // The run starts once the drag is over.
    QCoreApplication::sendPostedEvents();
    return drop.isAccepted();
  }

  bool Drop(const fs::path& file, QWidget* over = nullptr) {
    return Drop({QUrl::fromLocalFile(Text(file))}, over);
  }

  QImage Picture() { return dialog.View().grab().toImage(); }

  CTeskDlg dialog;
  std::vector<Message> messages;
  std::function<void()> onMessage;
};

// The figures the run reports for `input`, from a twin of it in another folder.
tesk::core::RunFigures FiguresOfTwin(const fs::path& input, bool bottomUp = false) {
  TempFolder twinFolder;
  const fs::path twin = twinFolder / input.filename().string();
  fs::copy_file(input, twin);
  tesk::core::RasterSource source;
  tesk::image::DibImage image;
  tesk::core::RunFigures figures;
  tesk::core::RunOptions options;
  options.bottomUp = bottomUp;
  tesk::core::RunConversion(twin, options, figures, source, image);
  return figures;
}

template <typename Number>
QString Shown(const std::optional<Number>& figure) {
  return figure ? QString::number(*figure) : QString();
}

}  // namespace

class TeskDlgTest : public QObject {
  Q_OBJECT

 private slots:
  void controlsStandWhereTheTemplatePutsThem_data() {
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRect>("units");
    auto row = [](int id, const char* className, const char* text, QRect units) {
      QTest::addRow("%d %s", id, text) << id << QString(className) << QString::fromUtf8(text) << units;
    };
    row(-1, "QLabel", "光栅位图数据文件:", {6, 2, 58, 8});
    row(2, "QPushButton", "退出", {306, 250, 36, 16});
    row(1001, "QPushButton", "解析", {200, 250, 36, 16});
    row(-1, "QLabel", "光栅位图模式:", {242, 14, 64, 8});
    row(1003, "QComboBox", "", {310, 14, 50, 39});
    row(1006, "QLabel", "请拖拽数据文件至此,支持BusHound抓取的数据,原始光栅位图数据及它们的zip压缩包。",
        {66, 2, 296, 8});
    row(-1, "QLabel", "水平方向位图字节数:", {242, 26, 64, 8});
    row(-1, "QLabel", "垂直方向位图点数:", {242, 38, 64, 8});
    row(1004, "QLabel", "", {310, 26, 32, 8});
    row(1005, "QLabel", "", {310, 38, 32, 8});
    row(1007, "CZoomCtrl", "", {2, 12, 236, 256});
    row(-1, "QLabel", "垂直方向位图个数:", {242, 50, 64, 8});
    row(1008, "QLabel", "", {310, 50, 32, 8});
    row(-1, "QLabel", "BMP图片原始宽度:", {242, 62, 64, 8});
    row(1009, "QLabel", "", {310, 62, 32, 8});
    row(-1, "QLabel", "BMP图片扩展宽度:", {242, 74, 64, 8});
    row(1014, "QLabel", "", {310, 74, 32, 8});
    row(-1, "QLabel", "BMP图片原始高度:", {242, 86, 64, 8});
    row(1010, "QLabel", "", {310, 86, 32, 8});
    row(-1, "QLabel", "光栅位图数据大小:", {242, 98, 64, 8});
    row(1011, "QLabel", "", {310, 98, 32, 8});
    row(-1, "QLabel", "BMP图片大小:", {242, 122, 64, 8});
    row(1012, "QLabel", "", {310, 122, 32, 8});
    row(-1, "QLabel", "PNG图片大小:", {242, 134, 64, 8});
    row(1013, "QLabel", "", {310, 134, 32, 8});
    row(1015, "QRadioButton", "Top-Down(同向)", {250, 156, 72, 8});
    row(1016, "QRadioButton", "Bottom-Up(反向)", {250, 166, 72, 8});
    row(-1, "QGroupBox", "Bitmap DIB扫描方向", {242, 146, 100, 32});
    row(1017, "QCheckBox", "Plain Binary", {250, 190, 60, 8});
    row(1018, "QCheckBox", "Pure Data", {250, 210, 60, 8});
    row(1019, "QCheckBox", "Bitmap", {250, 220, 60, 8});
    row(-1, "QGroupBox", "生成文件", {242, 180, 100, 66});
    row(1020, "QCheckBox", "Plain Binay(ZIP)", {250, 200, 60, 8});
    row(1022, "QCheckBox", "PNG", {250, 230, 60, 8});
    row(-1, "QLabel", "光栅位图ZIP包大小:", {241, 110, 64, 8});
    row(1021, "QLabel", "", {309, 110, 32, 8});
  }

  void controlsStandWhereTheTemplatePutsThem() {
    QFETCH(int, id);
    QFETCH(QString, className);
    QFETCH(QString, text);
    QFETCH(QRect, units);
    CTeskDlg dialog;

    QWidget* control = nullptr;
    if (id >= 0) {
      control = Control(dialog, id);
    } else {
      for (QWidget* child : dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        const auto* label = qobject_cast<QLabel*>(child);
        const auto* group = qobject_cast<QGroupBox*>(child);
        if ((label && label->text() == text) || (group && group->title() == text)) control = child;
      }
    }
    QVERIFY2(control, "no such control");
    QCOMPARE(control->parentWidget(), &dialog);
    QCOMPARE(QString(control->metaObject()->className()), className);
    if (const auto* label = qobject_cast<QLabel*>(control)) QCOMPARE(label->text(), text);
    if (const auto* button = qobject_cast<QAbstractButton*>(control)) QCOMPARE(button->text(), text);
    if (const auto* label = qobject_cast<QLabel*>(control)) {
      // Captions beside the figures are right-aligned, every other text left.
      const bool caption = id < 0 && units.x() >= 241 && units.width() == 64;
      QCOMPARE(bool(label->alignment() & Qt::AlignRight), caption);
    }

    // Dialog units from the dialog font: a quarter of the average width of the
    // Latin letters across, an eighth of the height down, rounded.
    const QFontMetrics metrics(dialog.font());
    const int across =
        (metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") / 26 + 1) / 2;
    const int down = metrics.height();
    auto pixels = [](int value, int base, int divisor) {
      return (2 * value * base + divisor) / (2 * divisor);
    };
    const QRect geometry = control->geometry();
    QCOMPARE(geometry.x(), pixels(units.x(), across, 4));
    QCOMPARE(geometry.y(), pixels(units.y(), down, 8));
    QCOMPARE(geometry.width(), pixels(units.width(), across, 4));
    // A closed drop-down list is one line high, whatever its open list is.
    if (className != "QComboBox") QCOMPARE(geometry.height(), pixels(units.height(), down, 8));
  }

  void windowStartsAsTheTemplateSays() {
    Window window;
    CTeskDlg& dialog = window.dialog;
    QCOMPARE(dialog.windowTitle(), QString::fromUtf8("Halvorn光栅位图数据解析软件"));
    const QFontMetrics metrics(dialog.font());
    const int across =
        (metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") / 26 + 1) / 2;
    QCOMPARE(dialog.width(), (2 * 362 * across + 4) / 8);
    QCOMPARE(dialog.height(), (2 * 272 * metrics.height() + 8) / 16);
    QCOMPARE(dialog.font().pointSize(), 10);
    QCOMPARE(dialog.font().families().first(), QString::fromUtf8("微软雅黑"));
    const Qt::WindowFlags flags = dialog.windowFlags();
    QVERIFY(flags & Qt::WindowStaysOnTopHint);
    QVERIFY(flags & Qt::WindowMinimizeButtonHint);
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QVERIFY(!dialog.windowIcon().isNull());

    QVERIFY(Control<QRadioButton>(dialog, 1015)->isChecked());
    QVERIFY(!Control<QRadioButton>(dialog, 1016)->isChecked());
    QCOMPARE(dialog.ScanDirection(), 0);
    QVERIFY(Control<QCheckBox>(dialog, 1017)->isChecked());
    QVERIFY(!Control<QCheckBox>(dialog, 1018)->isChecked());
    QVERIFY(Control<QCheckBox>(dialog, 1019)->isChecked());
    QVERIFY(Control<QCheckBox>(dialog, 1020)->isChecked());
    QVERIFY(Control<QCheckBox>(dialog, 1022)->isChecked());
    QVERIFY(Control(dialog, 1001)->isHidden());
    QVERIFY(!Control(dialog, 2)->isHidden());

    auto* modeBox = Control<QComboBox>(dialog, 1003);
    QStringList entries;
    for (int index = 0; index < modeBox->count(); ++index) entries << modeBox->itemText(index);
    QCOMPARE(entries, QStringList({"正常(0)", "倍宽(1)", "倍高(2)", "倍宽倍高(3)"}));
    QCOMPARE(modeBox->currentIndex(), -1);
    for (const int id : kFigureLabels) QCOMPARE(LabelText(dialog, id), QString());

    // The focus starts on "退出"; Tab visits the tab stops in template order.
    QCOMPARE(dialog.focusWidget(), Control(dialog, 2));
    QList<int> tabOrder;
    QWidget* widget = Control(dialog, 2);
    do {
      if (widget->isVisibleTo(&dialog) && (widget->focusPolicy() & Qt::TabFocus))
        tabOrder << widget->objectName().toInt();
      widget = widget->nextInFocusChain();
    } while (widget != Control(dialog, 2));
    QCOMPARE(tabOrder, QList<int>({2, 1003, 1017, 1018, 1019, 1020, 1022}));

    // The radio buttons stand above the group box drawn around them.
    auto* topDown = Control(dialog, 1015);
    QCOMPARE(dialog.childAt(topDown->geometry().center()), topDown);
  }

  void dropShowsEveryFigureAndThePicture_data() {
    QTest::addColumn<bool>("bottomUp");
    QTest::newRow("top-down") << false;
    QTest::newRow("bottom-up") << true;
  }

  void dropShowsEveryFigureAndThePicture() {
    QFETCH(bool, bottomUp);
    TempFolder folder;
    const fs::path input = WriteJob(folder, "job.prn", kPictureRows);
    Window window;
    CTeskDlg& dialog = window.dialog;
    if (bottomUp) {
      auto* radio = Control<QRadioButton>(dialog, 1016);
      QTest::mouseClick(radio, Qt::LeftButton, {}, QPoint(4, radio->height() / 2));
      QCOMPARE(dialog.ScanDirection(), 1);
    }

    QVERIFY(window.Drop(input));

    QCOMPARE(LabelText(dialog, 1006), Text(input));
    QVERIFY(window.messages.empty());
    QCOMPARE(LabelText(dialog, 1004), QString("2"));
    QCOMPARE(LabelText(dialog, 1005), QString("2"));
    QCOMPARE(LabelText(dialog, 1008), QString("2"));
    QCOMPARE(LabelText(dialog, 1009), QString("16"));
    QCOMPARE(LabelText(dialog, 1010), QString("4"));
    QCOMPARE(LabelText(dialog, 1014), QString("32"));
    QCOMPARE(LabelText(dialog, 1011), QString::number(fs::file_size(input)));
    QCOMPARE(LabelText(dialog, 1012), QString::number(62 + 4 * 4));
    QCOMPARE(Control<QComboBox>(dialog, 1003)->currentText(), QString::fromUtf8("倍高(2)"));
    // Whatever the run reported, and nothing it did not.
    const tesk::core::RunFigures twin = FiguresOfTwin(input, bottomUp);
    QCOMPARE(LabelText(dialog, 1021), Shown(twin.zipFileSize));
    QCOMPARE(LabelText(dialog, 1013), Shown(twin.pngFileSize));

    // The same upright picture at the top-left, whichever row order the DIB has.
    const QImage picture = window.Picture();
    QCOMPARE(RenderedRows(picture, QRect(0, 0, 16, 4)), kPictureRows);
    QVERIFY(AllWhite(picture, QRect(16, 0, picture.width() - 16, picture.height())));
    QVERIFY(AllWhite(picture, QRect(0, 4, picture.width(), picture.height() - 4)));

    // The radio choice reached the run: the BMP's height says which row order.
    const auto bmp = tesk::testing::ReadFile(folder / "job.bmp");
    QVERIFY(bmp.size() > 26);
    const auto height = static_cast<std::int32_t>(tesk::platform::ReadLe32(&bmp[22]));
    QCOMPARE(height, bottomUp ? 4 : -4);
  }

  void dropOnAnyControlCounts() {
    TempFolder folder;
    const fs::path input = WriteJob(folder, "job.prn", kPictureRows);
    Window window;
    QVERIFY(window.Drop(input, Control(window.dialog, 1012)));
    QCOMPARE(LabelText(window.dialog, 1009), QString("16"));
    // Nothing that is not a local file is taken.
    QVERIFY(!window.Drop(QList<QUrl>{QUrl("https://example.com/job.prn")}));
  }

  void failedLoadKeepsEveryFigureAndThePicture() {
    TempFolder folder;
    const fs::path input = WriteJob(folder, "job.prn", kPictureRows);
    Window window;
    QVERIFY(window.Drop(input));
    const QStringList figures = FigureTexts(window.dialog);
    const QImage picture = window.Picture();

    const fs::path missing = folder / "missing.prn";
    QVERIFY(window.Drop(missing));

    QCOMPARE(LabelText(window.dialog, 1006), Text(missing));
    QCOMPARE(FigureTexts(window.dialog), figures);
    QCOMPARE(Control<QComboBox>(window.dialog, 1003)->currentIndex(), 2);
    QCOMPARE(window.Picture(), picture);
    QCOMPARE(window.messages.size(), std::size_t{1});
    QCOMPARE(window.messages[0].text, QString::fromUtf8("数据文件加载失败!"));
    QCOMPARE(window.messages[0].caption, QFileInfo(QCoreApplication::applicationFilePath()).baseName());
  }

  void outOfMemoryTakesThePictureAway() {
    TempFolder folder;
    Window window;
    QVERIFY(window.Drop(WriteJob(folder, "first.prn", kPictureRows)));
    QVERIFY(!AllWhite(window.Picture(), QRect(0, 0, 16, 4)));

    // The message comes last: the figures and the view are already updated.
    QStringList figuresWhenTold;
    bool whiteWhenTold = false;
    window.onMessage = [&] {
      figuresWhenTold = FigureTexts(window.dialog);
      whiteWhenTold = AllWhite(window.Picture(), window.dialog.View().rect());
    };
    tesk::image::FailNextPixelAllocation();
    QVERIFY(window.Drop(WriteJob(folder, "second.prn", {"111111111111111111111111"}, 1, 0)));

    QCOMPARE(window.messages.size(), std::size_t{1});
    QCOMPARE(window.messages[0].text, QString::fromUtf8("申请内存失败!"));
    QVERIFY(whiteWhenTold);
    QCOMPARE(figuresWhenTold.at(2), QString("3"));  // widthBytes of the second job
    QCOMPARE(Control<QComboBox>(window.dialog, 1003)->currentIndex(), 0);
    QVERIFY(AllWhite(window.Picture(), window.dialog.View().rect()));
  }

  // The run goes on its own thread: a drop while it goes is refused, and a
  // cancelled run leaves the window as the previous run left it and deletes
  // only the outputs it wrote itself.
  void cancelledRunLeavesTheOldFiguresAndPicture() {
    TempFolder folder;
    Window window;
    QVERIFY(window.Drop(WriteJob(folder, "first.prn", kPictureRows)));
    const QStringList figures = FigureTexts(window.dialog);
    const QImage picture = window.Picture();
    const int listedCommands = static_cast<int>(window.dialog.Listing().commands.size());

    const fs::path second = WriteJob(folder, "second.prn", {"111111111111111111111111"}, 1, 0);
    tesk::testing::WriteFile(folder / "second.dat", std::string_view("not the run's"));
    ConversionWorker& worker = window.dialog.Worker();
    // On the run's own thread, so the stop comes exactly after the second stage.
    const auto stopper = connect(
        &worker, &ConversionWorker::Progressed, &worker,
        [&worker](int stagesDone) {
          if (stagesDone == 2) worker.Cancel();
        },
        Qt::DirectConnection);
    bool refused = false;
    const auto dropper = connect(&worker, &ConversionWorker::Progressed, this, [&] {
      if (!refused) refused = !window.Drop(WriteJob(folder, "third.prn", kPictureRows));
    });
    QVERIFY(window.Drop(second));
    disconnect(stopper);
    disconnect(dropper);

    QVERIFY(refused);
    QCOMPARE(LabelText(window.dialog, 1006), Text(second));
    QCOMPARE(FigureTexts(window.dialog), figures);
    QCOMPARE(window.Picture(), picture);
    QCOMPARE(static_cast<int>(window.dialog.Listing().commands.size()), listedCommands);
    QVERIFY(window.messages.empty());
    QVERIFY(!fs::exists(folder / "secondbin.zip"));
    QVERIFY(!fs::exists(folder / "second.bmp"));
    QVERIFY(!fs::exists(folder / "third.bmp"));
    QCOMPARE(tesk::testing::ReadFile(folder / "second.dat").size(), std::size_t{13});
    QVERIFY(fs::exists(folder / "first.bmp"));
  }

  // The load itself can be stopped: the strip counted the bytes coming in, and
  // nothing of the run is left.
  void runCancelledWhileLoadingWritesNothing() {
    TempFolder folder;
    Window window;
    QVERIFY(window.Drop(WriteJob(folder, "first.prn", kPictureRows)));
    const QStringList figures = FigureTexts(window.dialog);
    std::vector<std::uint8_t> job = PictureJob(kPictureRows, 2, 2);
    job.resize(std::size_t{1} << 20, 0x0A);
    const fs::path second = folder / "second.prn";
    tesk::testing::WriteFile(second, job);
    ConversionWorker& worker = window.dialog.Worker();
    const auto stopper = connect(
        &worker, &ConversionWorker::Progressed, &worker,
        [&worker](int stagesDone) {
          if (stagesDone == 0) worker.Cancel();
        },
        Qt::DirectConnection);
    QVERIFY(window.Drop(second));
    disconnect(stopper);
    QVERIFY(window.messages.empty());
    QCOMPARE(FigureTexts(window.dialog), figures);
    QVERIFY(!fs::exists(folder / "secondbin.zip"));
    QVERIFY(!fs::exists(folder / "second.bmp"));
    auto* strip = window.dialog.findChild<RunProgressPanel*>("runProgress");
    QVERIFY(strip);
    QVERIFY2(strip->Text().startsWith(QString::fromUtf8("正在载入 ")), qPrintable(strip->Text()));
  }

  void uncheckedBitmapLeavesNoBmpButShowsItsSize() {
    TempFolder folder;
    const fs::path input = WriteJob(folder, "job.prn", kPictureRows);
    Window window;
    auto* bitmap = Control<QCheckBox>(window.dialog, 1019);
    QTest::mouseClick(bitmap, Qt::LeftButton, {}, QPoint(4, bitmap->height() / 2));
    QVERIFY(!bitmap->isChecked());
    QVERIFY(window.Drop(input));
    QVERIFY(!fs::exists(folder / "job.bmp"));
    QCOMPARE(LabelText(window.dialog, 1012), QString::number(62 + 4 * 4));
    QVERIFY(!fs::exists(folder / "job.dat"));  // Pure Data starts unchecked
  }

  void onlyTheFirstOfSeveralFilesIsUsed() {
    TempFolder folder;
    const fs::path first = WriteJob(folder, "first.prn", kPictureRows);
    const fs::path second = WriteJob(folder, "second.prn", kPictureRows);
    Window window;
    QVERIFY(window.Drop({QUrl::fromLocalFile(Text(first)), QUrl::fromLocalFile(Text(second))}));
    QCOMPARE(LabelText(window.dialog, 1006), Text(first));
    QVERIFY(fs::exists(folder / "first.bmp"));
    QVERIFY(!fs::exists(folder / "second.bmp"));
  }

  void modeWithoutAnEntryClearsTheSelection() {
    TempFolder folder;
    Window window;
    QVERIFY(window.Drop(WriteJob(folder, "two.prn", kPictureRows, 2, 2)));
    QCOMPARE(Control<QComboBox>(window.dialog, 1003)->currentIndex(), 2);
    QVERIFY(window.Drop(WriteJob(folder, "five.prn", {"11111111"}, 1, 5)));
    QCOMPARE(Control<QComboBox>(window.dialog, 1003)->currentIndex(), -1);
    QCOMPARE(LabelText(window.dialog, 1009), QString("8"));
  }

  void longPathsAreCutAsADropCutsThem_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("shown");
    const QString name = "/tmp/" + QString(400, QLatin1Char('n'));
    QTest::newRow("259 characters") << name.left(259) << name.left(259);
    QTest::newRow("300 characters") << name.left(300) << name.left(259);
    // A character outside the basic plane takes two code units; half of one is dropped.
    const QString clef = QString::fromUtf8("\U0001D11E");
    QTest::newRow("pair across the limit") << name.left(258) + clef + "tail" << name.left(258);
  }

  void longPathsAreCutAsADropCutsThem() {
    QFETCH(QString, path);
    QFETCH(QString, shown);
    Window window;
    window.dialog.OnDropFiles({path});
    QCOMPARE(LabelText(window.dialog, 1006), shown);
    QCOMPARE(window.messages.size(), std::size_t{1});
    QCOMPARE(window.messages[0].text, QString::fromUtf8("数据文件加载失败!"));
  }

  // A path that does not fit must not convert the file its first 259
  // characters happen to name.
  void tooLongAPathConvertsNothing() {
    TempFolder folder;
    // No file name may pass 255 bytes: the length comes from a folder.
    const fs::path deep = folder / std::string(120, 'd');
    fs::create_directory(deep);
    const std::string base = (deep / "").string();
    const std::string prefixName(259 - base.size(), 'p');
    const fs::path prefix = deep / prefixName;
    const fs::path full = deep / (prefixName + std::string(278 - 259 - 4, 'q') + ".prn");
    QCOMPARE(full.string().size(), std::size_t{278});
    tesk::testing::WriteFile(prefix, PictureJob(kPictureRows, 2, 2));
    tesk::testing::WriteFile(full, PictureJob(kPictureRows, 2, 2));

    Window window;
    QVERIFY(window.Drop(full));
    QCOMPARE(LabelText(window.dialog, 1006), Text(prefix));
    QCOMPARE(Control<QLabel>(window.dialog, 1006)->toolTip(), Text(full));
    QCOMPARE(window.messages.size(), std::size_t{1});
    QCOMPARE(window.messages[0].text, QString::fromUtf8("数据文件加载失败!"));
    QCOMPARE(LabelText(window.dialog, 1009), QString());
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(deep)) ++files;
    QCOMPARE(files, std::size_t{2});
  }

  // Some drag sources give the file list while the drag enters and moves, and
  // none with the drop itself.
  void dropWhoseListCameOnlyWithTheDragRuns() {
    TempFolder folder;
    const fs::path input = WriteJob(folder, "job.prn", kPictureRows);
    Window window;
    QMimeData withFiles;
    withFiles.setUrls({QUrl::fromLocalFile(Text(input))});
    QMimeData empty;
    QWindow* handle = window.dialog.windowHandle();
    const QPoint at = window.dialog.View().geometry().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &withFiles, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(handle, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, &empty, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(handle, &drop);
    QVERIFY(drop.isAccepted());
    QCoreApplication::sendPostedEvents();
    QCOMPARE(LabelText(window.dialog, 1009), QString("16"));

    // Without any list at all the drop is refused, and nothing runs.
    QDragEnterEvent bare(at, Qt::CopyAction, &empty, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(handle, &bare);
    QVERIFY(!bare.isAccepted());
  }

  void enterAndEscapeClose_data() {
    QTest::addColumn<int>("focusId");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("result");
    QTest::newRow("Enter on 退出") << 2 << int(Qt::Key_Return) << int(QDialog::Rejected);
    QTest::newRow("Enter on a check box") << 1018 << int(Qt::Key_Return) << int(QDialog::Accepted);
    QTest::newRow("keypad Enter on the mode box") << 1003 << int(Qt::Key_Enter) << int(QDialog::Accepted);
    QTest::newRow("Escape on a check box") << 1018 << int(Qt::Key_Escape) << int(QDialog::Rejected);
  }

  void enterAndEscapeClose() {
    QFETCH(int, focusId);
    QFETCH(int, key);
    QFETCH(int, result);
    Window window;
    window.dialog.setResult(-1);
    QWidget* focus = Control(window.dialog, focusId);
    focus->setFocus();
    QCOMPARE(window.dialog.focusWidget(), focus);
    const Qt::KeyboardModifiers modifiers = key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier;
    QTest::keyClick(focus, static_cast<Qt::Key>(key), modifiers);
    QVERIFY(!window.dialog.isVisible());
    QCOMPARE(window.dialog.result(), result);
  }

  void contextMenuOpensTheAboutBox() {
    CTeskDlg dialog;
    const std::unique_ptr<QMenu> menu(dialog.CreateContextMenu());
    QCOMPARE(menu->actions().first()->text(), QString::fromUtf8("关于 Tesk(&A)..."));

    QString title;
    QStringList texts;
    // Runs inside the about box's own loop, then closes the box with its button.
    QTimer::singleShot(0, this, [&] {
      QWidget* box = QApplication::activeModalWidget();
      if (!box) return;
      title = box->windowTitle();
      for (const QLabel* label : box->findChildren<QLabel*>())
        if (!label->text().isEmpty()) texts << label->text();
      auto* ok = box->findChild<QPushButton*>("1");
      if (ok) {
        texts << ok->text();
        ok->click();
      }
    });
    menu->actions().first()->trigger();
    QCOMPARE(title, QString::fromUtf8("关于 Tesk"));
    QCOMPARE(texts, QStringList({QString::fromUtf8("Tesk，1.0 版"), QString::fromUtf8("确定")}));
  }

  void contextMenuChoosesTheCommandLayout() {
    TempFolder folder;
    // Two bands back to back right after ESC @: the fixed layout cannot read them.
    const fs::path job = folder / "job.prn";
    tesk::testing::WriteFile(job, tesk::testing::HexBytes("1b40 1d76300001000100 81 1d76300001000100 42"));
    Window window;
    const auto item = [&] {
      std::unique_ptr<QMenu> menu(window.dialog.CreateContextMenu());
      for (QAction* action : menu->actions())
        if (action->text() == QString::fromUtf8("按GS v 0命令解析"))
          return std::make_pair(std::move(menu), action);
      return std::make_pair(std::move(menu), static_cast<QAction*>(nullptr));
    };
    {
      auto [menu, action] = item();
      QVERIFY(action);
      QVERIFY(action->isCheckable());
      QVERIFY(!action->isChecked());
    }
    QVERIFY(window.Drop(job));
    QCOMPARE(LabelText(window.dialog, 1004), QString("256"));  // the header read inside the band
    {
      auto [menu, action] = item();
      action->trigger();
    }
    QVERIFY(window.Drop(job));
    QCOMPARE(LabelText(window.dialog, 1004), QString("1"));
    QCOMPARE(LabelText(window.dialog, 1008), QString("2"));
    QCOMPARE(LabelText(window.dialog, 1010), QString("2"));
    {
      auto [menu, action] = item();
      QVERIFY(action->isChecked());
    }
  }

  void contextMenuChoosesTheWholeCaptureReader() {
    TempFolder folder;
    // LF line ends, as a capture that passed through other tools has them: only
    // the whole reader takes it.
    tesk::tools::CaptureLayout layout;
    layout.lineEnd = "\n";
    const std::vector<std::uint8_t> job = PictureJob(kPictureRows, 2, 0);
    const fs::path capture = folder / "capture.txt";
    const std::string text = WriteCapture(capture, {Transfer("OUT", job)}, layout);
    Window window;
    QVERIFY(window.Drop(capture));
    QCOMPARE(window.messages.size(), std::size_t{1});
    QCOMPARE(window.messages[0].text, QString::fromUtf8("数据文件无效!"));

    std::unique_ptr<QMenu> menu(window.dialog.CreateContextMenu());
    QAction* whole = nullptr;
    for (QAction* action : menu->actions())
      if (action->text() == QString::fromUtf8("完整解析BusHound数据")) whole = action;
    QVERIFY(whole);
    QVERIFY(whole->isCheckable());
    QVERIFY(!whole->isChecked());
    whole->trigger();
    QVERIFY(window.Drop(capture));
    QCOMPARE(window.messages.size(), std::size_t{1});
    QCOMPARE(LabelText(window.dialog, 1011), QString::number(job.size()));
    QCOMPARE(tesk::testing::ReadFile(folder / "capture.bin"), job);
    // This reading too names the line that shows a row.
    const auto origin = tesk::core::LocateRow(window.dialog.Listing(), 3);
    QVERIFY(origin);
    const QString readout = DescribeDot(window.dialog.Listing(), QPoint(5, 3));
    QVERIFY2(readout.contains(
                 QString::fromUtf8("BusHound 第 %1 行").arg(LineShowing(text, job, origin->offset))),
             qPrintable(readout));
  }

  void contextMenuShowsThePaperWithItsCuts() {
    TempFolder folder;
    // A band, a 2-dot feed and a cut, then a band one row high.
    const fs::path job = folder / "paper.prn";
    tesk::testing::WriteFile(job, tesk::testing::HexBytes("1b40 1d7630 00 0200 0200 ffff 8001 1b4a 02 1d5600"
                                                          "1d7630 00 0100 0100 a5"));
    Window window;
    {
      std::unique_ptr<QMenu> menu(window.dialog.CreateContextMenu());
      QAction* paper = nullptr;
      for (QAction* action : menu->actions())
        if (action->text() == QString::fromUtf8("纸张视图")) paper = action;
      QVERIFY(paper);
      QVERIFY(paper->isCheckable());
      QVERIFY(!paper->isChecked());
      paper->trigger();
    }
    QVERIFY(window.Drop(job));
    QCOMPARE(window.dialog.View().ImageWidth(), 576);
    QCOMPARE(window.dialog.View().ImageHeight(), 4 + 1 + 1);
    // The cut shows as a row of every other dot, grey at one dot a pixel.
    const QStringList expected = {"1111111111111111", "1000000000000001", "0000000000000000",
                                  "0000000000000000", "1010101010101010", "1010010100000000"};
    QCOMPARE(RenderedRows(window.Picture(), QRect(0, 0, 16, 6)), expected);
    QVERIFY(fs::exists(folder / "paper.paper-2.png"));
  }

  void aboutBoxStandsAsItsTemplateSays() {
    CAboutDlg about;
    QCOMPARE(about.windowTitle(), QString::fromUtf8("关于 Tesk"));
    QCOMPARE(about.font().pointSize(), 9);
    const QFontMetrics metrics(about.font());
    const int across =
        (metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") / 26 + 1) / 2;
    const int down = metrics.height();
    auto x = [&](int units) { return (2 * units * across + 4) / 8; };
    auto y = [&](int units) { return (2 * units * down + 8) / 16; };
    QCOMPARE(about.size(), QSize(x(170), y(62)));
    QCOMPARE(about.minimumSize(), about.maximumSize());
    auto* ok = about.findChild<QPushButton*>("1");
    QVERIFY(ok);
    QCOMPARE(ok->text(), QString::fromUtf8("确定"));
    QCOMPARE(ok->geometry(), QRect(x(113), y(41), x(50), y(14)));
    QVERIFY(ok->isDefault());
    QLabel* text = nullptr;
    QLabel* icon = nullptr;
    for (QLabel* label : about.findChildren<QLabel*>()) (label->text().isEmpty() ? icon : text) = label;
    QVERIFY(text && icon);
    QCOMPARE(text->text(), QString::fromUtf8("Tesk，1.0 版"));
    QCOMPARE(text->geometry(), QRect(x(42), y(14), x(114), y(8)));
    QCOMPARE(icon->pos(), QPoint(x(14), y(14)));
    QVERIFY(!icon->pixmap().isNull());
    ok->click();
    QCOMPARE(about.result(), int(QDialog::Accepted));
  }

  // The readout names the band, the row and the offset of the row's bytes;
  // those bytes, read from the job itself, must be the dots shown.
  void readoutTracesADotToItsBytes_data() {
    QTest::addColumn<QPoint>("dot");
    QTest::addColumn<QString>("bandAndRow");
    QTest::newRow("first row") << QPoint(1, 0) << QString::fromUtf8("第 0 带 第 0 行");
    QTest::newRow("second band") << QPoint(9, 2) << QString::fromUtf8("第 1 带 第 0 行");
    QTest::newRow("last row") << QPoint(15, 3) << QString::fromUtf8("第 1 带 第 1 行");
  }

  void readoutTracesADotToItsBytes() {
    QFETCH(QPoint, dot);
    QFETCH(QString, bandAndRow);
    TempFolder folder;
    const fs::path input = WriteJob(folder, "job.prn", kPictureRows);
    Window window;
    QVERIFY(window.Drop(input));
    const tesk::core::JobListing& listing = window.dialog.Listing();
    QVERIFY(listing.valid);
    const QString text = DescribeDot(listing, dot);
    QVERIFY2(text.startsWith(QString("x %1  y %2").arg(dot.x()).arg(dot.y())), qPrintable(text));
    QVERIFY2(text.contains(bandAndRow), qPrintable(text));
    const auto origin = tesk::core::LocateRow(listing, dot.y());
    QVERIFY(origin);
    QVERIFY(text.contains(QString::fromUtf8("偏移 %1").arg(origin->offset)));
    const auto job = tesk::testing::ReadFile(input);
    const std::vector<std::uint8_t> row(job.begin() + static_cast<std::ptrdiff_t>(origin->offset),
                                        job.begin() + static_cast<std::ptrdiff_t>(origin->offset) + 2);
    QCOMPARE(row, PureRows({kPictureRows[dot.y()].toStdString()}));

    // Over the view the readout shows the same text; off the picture it goes.
    CZoomCtrl& view = window.dialog.View();
    QTest::mouseMove(&view, QPoint(100, 100));
    QTest::mouseMove(&view, dot);
    auto* readout = view.findChild<QLabel*>("dotReadout");
    QVERIFY(readout && readout->isVisible());
    QCOMPARE(readout->text(), text);
    QTest::mouseMove(&view, QPoint(100, 100));
    QVERIFY(!readout->isVisible());
  }

  // For a capture text the readout also names the line of the text that
  // shows the row's first byte.
  void readoutOfACaptureNamesItsLine() {
    TempFolder folder;
    const std::vector<std::uint8_t> job = PictureJob(kPictureRows, 2, 0);
    const fs::path capture = folder / "capture.txt";
    const std::string text = WriteCapture(capture, {Transfer("OUT", job)});
    Window window;
    QVERIFY(window.Drop(capture));
    QVERIFY(window.messages.empty());
    const auto origin = tesk::core::LocateRow(window.dialog.Listing(), 3);
    QVERIFY(origin);
    QCOMPARE(std::vector<std::uint8_t>(job.begin() + static_cast<std::ptrdiff_t>(origin->offset),
                                       job.begin() + static_cast<std::ptrdiff_t>(origin->offset) + 2),
             PureRows({kPictureRows[3].toStdString()}));
    const QString readout = DescribeDot(window.dialog.Listing(), QPoint(0, 3));
    QVERIFY2(readout.contains(
                 QString::fromUtf8("BusHound 第 %1 行").arg(LineShowing(text, job, origin->offset))),
             qPrintable(readout));
  }

  // What the printer answered stands in the panel after the query it answers,
  // its status bytes in hex and read.
  void jobPanelListsTheAnswersOfACapture() {
    TempFolder folder;
    std::vector<std::uint8_t> job = PictureJob(kPictureRows, 2, 0);
    job.insert(job.end(), {0x10, 0x04, 0x01});  // DLE EOT 1
    const fs::path capture = folder / "capture.txt";
    const std::string text = WriteCapture(capture, {Transfer("OUT", job), Transfer("IN", {0x12}, "27.1")});
    Window window;
    QVERIFY(window.Drop(capture));
    QVERIFY(window.messages.empty());
    window.dialog.ShowJobPanel(true);
    QTreeWidget* list = window.dialog.Panel().List();
    const tesk::core::JobListing& listing = window.dialog.Listing();
    QCOMPARE(list->topLevelItemCount(), static_cast<int>(listing.commands.size()) + 1);
    QTreeWidgetItem* last = list->topLevelItem(list->topLevelItemCount() - 1);
    QCOMPARE(last->text(2), QString("IN"));
    QCOMPARE(last->text(1), QString("12"));
    QCOMPARE(last->text(0), QString::number(job.size()));
    const int answerLine = static_cast<int>(QString::fromStdString(text).split('\n').indexOf(
                               QRegularExpression("^ *27\\.1 +IN [\\s\\S]*"))) +
                           1;
    QVERIFY(answerLine > 0);
    QCOMPARE(last->text(3), QString::fromUtf8("DLE EOT 1: online  (BusHound 第 %1 行)").arg(answerLine));
    // The command before it is the query.
    QCOMPARE(list->topLevelItem(list->topLevelItemCount() - 2)->text(2), QString("DLE EOT"));
    window.dialog.ShowJobPanel(false);
  }

  // Choosing a command in the panel marks the rows it drew; clicking the
  // picture chooses the command that drew the dot.
  void jobPanelAndPictureSelectEachOther() {
    TempFolder folder;
    Window window;
    QVERIFY(window.Drop(WriteJob(folder, "job.prn", kPictureRows)));
    window.dialog.ShowJobPanel(true);
    JobPanel& panel = window.dialog.Panel();
    QVERIFY(panel.isVisible());
    const tesk::core::JobListing& listing = window.dialog.Listing();
    std::vector<std::int64_t> bands;
    for (std::size_t index = 0; index < listing.commands.size(); ++index)
      if (listing.commands[index].name == "GS v 0") bands.push_back(static_cast<std::int64_t>(index));
    QCOMPARE(bands.size(), std::size_t{2});
    QCOMPARE(panel.List()->topLevelItemCount(), static_cast<int>(listing.commands.size()));

    // Panel to picture.
    QTreeWidgetItem* second = panel.List()->topLevelItem(static_cast<int>(bands[1]));
    QCOMPARE(second->text(2), QString("GS v 0"));
    panel.List()->setCurrentItem(second);
    QCOMPARE(window.dialog.View().MarkedRows(), qMakePair(2, 2));

    // Picture to panel.
    QTest::mouseClick(&window.dialog.View(), Qt::LeftButton, {}, QPoint(3, 1));
    QCOMPARE(panel.SelectedCommand(), std::optional<std::int64_t>(bands[0]));
    QCOMPARE(window.dialog.View().MarkedRows(), qMakePair(0, 2));

    // F2 closes it again.
    QTest::keyClick(&window.dialog, Qt::Key_F2);
    QVERIFY(!panel.isVisible());
  }

  // The picture as shown is saved as a PNG that another reader decodes to the
  // same dots, and never over the loaded file.
  void savedPictureIsTheShownPicture() {
    TempFolder folder;
    const fs::path input = WriteJob(folder, "job.prn", kPictureRows);
    Window window;
    auto* bottomUp = Control<QRadioButton>(window.dialog, 1016);
    bottomUp->setChecked(true);
    QVERIFY(window.Drop(input));
    const fs::path saved = folder / "view.png";
    QVERIFY(window.dialog.SavePictureAs(Text(saved)));
    QImage png(Text(saved));
    QCOMPARE(png.size(), QSize(16, 4));
    QCOMPARE(RenderedRows(png, QRect(0, 0, 16, 4)), kPictureRows);

    const auto before = tesk::testing::ReadFile(input);
    QVERIFY(!window.dialog.SavePictureAs(Text(input)));
    QCOMPARE(window.messages.size(), std::size_t{1});
    QVERIFY(window.messages[0].text.startsWith(QString::fromUtf8("写入文件失败!")));
    QCOMPARE(tesk::testing::ReadFile(input), before);
  }

  // Reopen converts the last file again with the options shown now; the
  // session's files are listed latest first.
  void reopenUsesTheOptionsShownNow() {
    TempFolder folder;
    const fs::path first = WriteJob(folder, "first.prn", kPictureRows);
    const fs::path second = WriteJob(folder, "second.prn", kPictureRows);
    Window window;
    QVERIFY(window.Drop(first));
    QVERIFY(window.Drop(second));
    QCOMPARE(window.dialog.RecentFiles(), QStringList({Text(second), Text(first)}));
    QVERIFY(!fs::exists(folder / "second.dat"));
    Control<QCheckBox>(window.dialog, 1018)->setChecked(true);
    window.dialog.Reopen();
    QVERIFY(fs::exists(folder / "second.dat"));
    QCOMPARE(window.dialog.RecentFiles().size(), 2);
  }

  // Larger, the window gives the room to the picture; the controls right of
  // it keep their distance from the right edge.
  void growingTheWindowGrowsThePicture() {
    Window window;
    CTeskDlg& dialog = window.dialog;
    const QSize start = dialog.size();
    const QRect view = dialog.View().geometry();
    const QRect exit = Control(dialog, 2)->geometry();
    const QRect label = Control(dialog, 1006)->geometry();
    dialog.resize(start + QSize(200, 100));
    QCOMPARE(dialog.View().geometry(), QRect(view.topLeft(), view.size() + QSize(200, 100)));
    QCOMPARE(Control(dialog, 2)->geometry(), exit.translated(200, 0));
    QCOMPARE(Control(dialog, 1006)->geometry().width(), label.width() + 200);
    dialog.resize(start);
    QCOMPARE(dialog.View().geometry(), view);
    QCOMPARE(Control(dialog, 2)->geometry(), exit);
    QCOMPARE(dialog.minimumSize(), start);
  }

  // Last, as it changes Qt's texts for the whole process.
  void qtsOwnTextsAreChinese() {
    QVERIFY(InstallQtTranslations(*QCoreApplication::instance()));
    const QString scrollHere = QCoreApplication::translate("QScrollBar", "Scroll here");
    QVERIFY2(scrollHere != "Scroll here", qPrintable(scrollHere));
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "OK"), QString::fromUtf8("确定"));
  }
};

TESK_QT_TEST_MAIN(TeskDlgTest)
#include "tesk_dlg_test.moc"
