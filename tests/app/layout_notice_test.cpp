// The notice strip under the picture view: shown when the fixed band layout
// does not fit the dropped job, gone for a job it fits, and its button reads
// the same file again from its GS v 0 commands. Runs offscreen.

#include "app/layout_notice.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <memory>

#include "app/comparison_window.h"
#include "app/tesk_dlg.h"
#include "tests/support/driver_job.h"
#include "tests/support/qt_test_main.h"
#include "tests/support/temp_folder.h"
#include "view/zoom_ctrl.h"

namespace fs = std::filesystem;
using tesk::testing::TempFolder;

namespace {

QString Text(const fs::path& path) { return QFile::decodeName(path.string().c_str()); }

struct Window {
  Window() {
    dialog.SetMessagePresenter([this](const QString&, const QString& text) { messages << text; });
    dialog.show();
    if (!QTest::qWaitForWindowExposed(&dialog)) qFatal("the window never showed");
    viewGeometry = dialog.View().geometry();
  }
  QString Figure(int id) const { return dialog.findChild<QLabel*>(QString::number(id))->text(); }

  CTeskDlg dialog;
  QStringList messages;
  QRect viewGeometry;
};

}  // namespace

class LayoutNoticeTest : public QObject {
  Q_OBJECT

 private slots:
  void driverJobShowsTheStripUnderTheView() {
    TempFolder folder;
    Window window;
    window.dialog.OnDropFiles({Text(tesk::testing::WriteDriverJob(folder / "driver.prn"))});
    LayoutNotice& notice = window.dialog.Notice();
    QVERIFY(notice.isVisible());
    QCOMPARE(notice.Text()->text(), QString::fromUtf8("图片可能有误: 第2段处无GS v 0命令"));
    QVERIFY(notice.Button()->isVisible());
    QCOMPARE(notice.Button()->text(), QString::fromUtf8("按GS v 0命令解析"));
    QVERIFY(notice.toolTip().contains("band 2: no GS v 0 command at offset 69"));
    // Under the view, in the view's own rectangle: the view gives up the strip's height.
    const QRect view = window.dialog.View().geometry();
    QCOMPARE(view.top(), window.viewGeometry.top());
    QCOMPARE(notice.geometry().top(), view.bottom() + 1);
    QCOMPARE(notice.geometry().bottom(), window.viewGeometry.bottom());
    QCOMPARE(notice.width(), window.viewGeometry.width());
    // No message box: the run itself went through, with the fixed layout's figures.
    QVERIFY(window.messages.isEmpty());
    QCOMPARE(window.Figure(1005), QString("24"));
  }

  void itsButtonReadsTheSameFileFromTheCommands() {
    TempFolder folder;
    Window window;
    window.dialog.OnDropFiles({Text(tesk::testing::WriteDriverJob(folder / "driver.prn"))});
    QVERIFY(!window.dialog.GathersFromCommands());
    QTest::mouseClick(window.dialog.Notice().Button(), Qt::LeftButton);
    QVERIFY(window.dialog.GathersFromCommands());
    // The layout's words and button go; the strip keeps counting the places
    // where the driver's job prints differently between printers.
    QVERIFY(window.dialog.Notice().Text()->text().isEmpty());
    QVERIFY(!window.dialog.Notice().Button()->isVisible());
    QVERIFY(window.dialog.Notice().LintCount()->isVisible());
    QCOMPARE(window.Figure(1008), QString("2"));   // two GS v 0 bands
    QCOMPARE(window.Figure(1010), QString("48"));  // of 24 rows each
    QVERIFY(window.messages.isEmpty());
    // The context menu shows the command reading checked from now on.
    const std::unique_ptr<QMenu> menu(window.dialog.CreateContextMenu());
    bool checked = false;
    for (QAction* action : menu->actions())
      if (action->text() == QString::fromUtf8(CTeskDlg::kGatherFromCommandsItem))
        checked = action->isChecked();
    QVERIFY(checked);
  }

  void theStripFollowsTheViewWhenTheWindowGrows() {
    TempFolder folder;
    Window window;
    window.dialog.OnDropFiles({Text(tesk::testing::WriteDriverJob(folder / "driver.prn"))});
    LayoutNotice& notice = window.dialog.Notice();
    QVERIFY(notice.isVisible());
    window.dialog.resize(window.dialog.size() + QSize(120, 90));
    QTRY_COMPARE(window.dialog.View().width(), window.viewGeometry.width() + 120);
    QCOMPARE(notice.width(), window.dialog.View().width());
    QCOMPARE(notice.geometry().top(), window.dialog.View().geometry().bottom() + 1);
    QCOMPARE(notice.geometry().bottom(), window.viewGeometry.bottom() + 90);
    // Gone again, it leaves the view the whole of its grown place.
    fs::copy_file(fs::path(TESK_SAMPLES_DIR) / "receipt.prn", folder / "receipt.prn");
    window.dialog.OnDropFiles({Text(folder / "receipt.prn")});
    QVERIFY(!notice.isVisible());
    QCOMPARE(window.dialog.View().geometry(), window.viewGeometry.adjusted(0, 0, 120, 90));
  }

  void aJobTheLayoutFitsShowsNoStrip() {
    TempFolder folder;
    Window window;
    window.dialog.OnDropFiles({Text(tesk::testing::WriteDriverJob(folder / "driver.prn"))});
    QVERIFY(window.dialog.Notice().isVisible());
    fs::copy_file(fs::path(TESK_SAMPLES_DIR) / "receipt.prn", folder / "receipt.prn");
    window.dialog.OnDropFiles({Text(folder / "receipt.prn")});
    QVERIFY(!window.dialog.Notice().isVisible());
    QCOMPARE(window.dialog.View().geometry(), window.viewGeometry);
    QVERIFY(window.messages.isEmpty());
  }

  void aFittingJobWithLintFindingsShowsOnlyTheirCount() {
    TempFolder folder;
    Window window;
    const fs::path job = folder / "feed.prn";
    // One band where the fixed layout expects it, then an LF that printers treat differently.
    tesk::testing::WriteFile(job, tesk::testing::HexBytes("1b40 1b6101 1b32 1d763000 0100 0200 f0 81 0a"));
    window.dialog.OnDropFiles({Text(job)});
    LayoutNotice& notice = window.dialog.Notice();
    QVERIFY(notice.isVisible());
    QVERIFY(notice.Text()->text().isEmpty());
    QVERIFY(!notice.Button()->isVisible());
    QCOMPARE(notice.LintCount()->text(), QString::fromUtf8("依赖打印机特性: 1处"));
    QVERIFY(window.messages.isEmpty());
    // A clean job takes the strip away.
    fs::copy_file(fs::path(TESK_SAMPLES_DIR) / "receipt.prn", folder / "receipt.prn");
    window.dialog.OnDropFiles({Text(folder / "receipt.prn")});
    QVERIFY(!notice.isVisible());
  }

  // "与…比较" lays a second job over the one on screen: read back from the
  // window's own image, dot by dot.
  void comparingShowsTheOverlayInAWindowOfItsOwn() {
    TempFolder folder;
    Window window;
    const char* const head = "1b40 1b6101 1b32 1d763000 0100 0200";
    tesk::testing::WriteFile(folder / "a.prn", tesk::testing::HexBytes(std::string(head) + "f0 81"));
    tesk::testing::WriteFile(folder / "b.prn", tesk::testing::HexBytes(std::string(head) + "cc 81"));
    window.dialog.OnDropFiles({Text(folder / "a.prn")});
    const std::unique_ptr<QMenu> menu(window.dialog.CreateContextMenu());
    bool offered = false;
    for (QAction* action : menu->actions())
      if (action->text() == QString::fromUtf8(CTeskDlg::kCompareItem)) offered = action->isEnabled();
    QVERIFY(offered);
    window.dialog.CompareWith(Text(folder / "b.prn"));
    auto* compared = window.dialog.findChild<ComparisonWindow*>("comparisonWindow");
    QVERIFY(compared);
    QVERIFY(compared->Summary()->text().contains(QString::fromUtf8("4处不同")));
    const QImage& overlay = compared->Overlay();
    QCOMPARE(overlay.size(), QSize(8, 2));
    QString rows;
    for (int y = 0; y < 2; ++y, rows += '|')
      for (int x = 0; x < 8; ++x) rows += QString::number(overlay.pixelIndex(x, y));
    QCOMPARE(rows, QString("11223300|10000001|"));
    QVERIFY(fs::exists(folder / "a.diff.png"));
  }

  void aJobWithoutRasterCommandsOffersNoRereading() {
    TempFolder folder;
    Window window;
    const fs::path text = folder / "text.prn";
    tesk::testing::WriteFile(text, tesk::testing::HexBytes("1b40 48656c6c6f 0a 1b6403 1d5600"));
    window.dialog.OnDropFiles({Text(text)});
    QVERIFY(window.dialog.Notice().isVisible());
    QCOMPARE(window.dialog.Notice().Text()->text(), QString::fromUtf8("文件中没有GS v 0光栅位图命令"));
    QVERIFY(!window.dialog.Notice().Button()->isVisible());

    // A file that does not load takes the strip away with the figures it had.
    window.dialog.OnDropFiles({Text(folder / "missing.prn")});
    QVERIFY(!window.dialog.Notice().isVisible());
    QCOMPARE(window.messages, QStringList{QString::fromUtf8("数据文件加载失败!")});
  }
};

TESK_QT_TEST_MAIN(LayoutNoticeTest)
#include "layout_notice_test.moc"
