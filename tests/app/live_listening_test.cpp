// The window's network printer: the context-menu item starts and stops it, and
// a job printed to it is shown as a dropped file would be. Only the loopback
// address and a port the kernel chooses are used.

#include "app/live_listening.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <filesystem>
#include <memory>

#include "app/tesk_dlg.h"
#include "platform/tcp_socket.h"
#include "tests/support/qt_test_main.h"
#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

constexpr int kPatience = 60000;

QAction* ListenItem(QMenu& menu) {
  for (QAction* action : menu.actions())
    if (action->text() == QString::fromUtf8(CLiveListening::kMenuItem)) return action;
  return nullptr;
}

bool PrintJob(std::uint16_t port, const std::vector<std::uint8_t>& job) {
  int error = 0;
  tesk::platform::TcpSocket socket = tesk::platform::ConnectTcp("127.0.0.1", port, kPatience, error);
  return socket.IsOpen() && tesk::platform::SendAll(socket, job, kPatience);
}

}  // namespace

class LiveListeningTest : public QObject {
  Q_OBJECT

 private slots:
  void JobsPrintedToTheWindowAreShownLikeDroppedFiles() {
    tesk::testing::TempFolder folder;
    CTeskDlg dialog;
    QStringList messages;
    dialog.SetMessagePresenter([&](const QString&, const QString& text) { messages << text; });
    auto* listening = new CLiveListening(dialog, {"127.0.0.1", 0});
    int folderQuestions = 0;
    listening->SetFolderChooser([&](QWidget*) {
      ++folderQuestions;
      return QString::fromStdString(folder.path().string());
    });
    const QString title = dialog.windowTitle();

    std::unique_ptr<QMenu> menu(dialog.CreateContextMenu());
    QAction* item = ListenItem(*menu);
    QVERIFY(item != nullptr);
    QVERIFY(item->isCheckable());
    QVERIFY(!item->isChecked());
    item->trigger();
    QVERIFY(listening->IsListening());
    QVERIFY(dialog.windowTitle().startsWith(title));
    QVERIFY(dialog.windowTitle().contains(QString::fromUtf8("监听 127.0.0.1:")));

    const auto job = tesk::testing::ReadFile(fs::path(TESK_SAMPLES_DIR) / "receipt.prn");
    QVERIFY(PrintJob(listening->Port(), job));
    auto* pathLabel = dialog.findChild<QLabel*>("1006");
    QVERIFY(pathLabel != nullptr);
    QTRY_VERIFY_WITH_TIMEOUT(pathLabel->text().contains("job-"), kPatience);
    const fs::path saved = pathLabel->text().toStdString();
    QCOMPARE(saved.parent_path(), folder.path());
    QVERIFY(tesk::testing::ReadFile(saved) == job);
    QVERIFY(fs::exists(fs::path(saved).replace_extension(".bmp")));  // converted as a dropped file is
    QVERIFY(messages.isEmpty());

    menu.reset(dialog.CreateContextMenu());
    item = ListenItem(*menu);
    QVERIFY(item->isChecked());
    item->trigger();
    QVERIFY(!listening->IsListening());
    QCOMPARE(dialog.windowTitle(), title);

    // The folder is asked for once.
    QVERIFY(listening->Start());
    QCOMPARE(folderQuestions, 1);
    listening->Stop();
  }
};

TESK_QT_TEST_MAIN(LiveListeningTest)
#include "live_listening_test.moc"
