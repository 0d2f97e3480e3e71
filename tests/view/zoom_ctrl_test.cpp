// The picture view as the user sees it: grabs of the widget, read back as rows
// of dots.

#include "view/zoom_ctrl.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QScrollBar>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <cstdlib>

#include "tests/support/qt_test_main.h"
#include "tests/support/rendered_rows.h"
#include "view/zoom_steps.h"

namespace {

using tesk::image::DibImage;
using tesk::testing::AllWhite;
using tesk::testing::PureRows;
using tesk::testing::RenderedRows;

DibImage MakeDib(const std::vector<std::uint8_t>& pure, int widthBytes, int height, bool bottomUp) {
  DibImage image;
  const std::int64_t stride = (widthBytes + 3) / 4 * 4;
  const tesk::image::PictureGeometry geometry{widthBytes, 8 * widthBytes, height, stride, stride * height};
  if (!tesk::image::BuildDibImage(image, pure, geometry, bottomUp)) qFatal("no memory for a test DIB");
  return image;
}

void HandOver(CZoomCtrl& view, const DibImage& image) {
  view.SetImageBits({image.pixels.get(), image.pixelBytes});
  view.SetImageHeader(&image.info);
  view.SetImageSize(image.info.header.biWidth, std::abs(image.info.header.biHeight));
  view.update();
}

// Rows whose first `bits` dots spell the row's number in binary, so a grab
// tells which picture row stands where.
std::vector<std::uint8_t> NumberedRows(int widthBytes, int height) {
  std::vector<std::uint8_t> pure(static_cast<std::size_t>(widthBytes) * height, 0);
  for (int row = 0; row < height; ++row) {
    const auto bytes = pure.begin() + static_cast<std::ptrdiff_t>(row) * widthBytes;
    bytes[0] = static_cast<std::uint8_t>(row >> 16);
    bytes[1] = static_cast<std::uint8_t>(row >> 8);
    bytes[2] = static_cast<std::uint8_t>(row);
  }
  return pure;
}

QString NumberedRow(int row) { return QString::number(row, 2).rightJustified(24, QLatin1Char('0')); }

// The number a grabbed row spells, read from the first 24 pixels at client row y.
QString RowAt(CZoomCtrl& view, int y) {
  return RenderedRows(view.grab().toImage(), QRect(0, y, 24, 1)).first();
}

void SendWheel(QWidget& target, int delta) {
  const QPointF inside(5, 5);
  QWheelEvent event(inside, target.mapToGlobal(inside), QPoint(), QPoint(0, delta), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(&target, &event);
}

// Remembers what each paint was asked to cover.
class RecordingView : public CZoomCtrl {
 public:
  void Draw(QPainter& painter, const QRect& exposed) override {
    painted << exposed;
    CZoomCtrl::Draw(painter, exposed);
  }
  QList<QRect> painted;
};

// A 24-dot wide picture of 1000 numbered rows in a 100 x 300 view, handed
// over (after the view is on screen, when `shown`).
struct TallPicture {
  explicit TallPicture(bool shown = false) {
    view.resize(100, 300);
    if (shown) {
      view.show();
      if (!QTest::qWaitForWindowExposed(&view)) qFatal("the view never showed");
    }
    HandOver(view, image);
  }
  DibImage image = MakeDib(NumberedRows(3, 1000), 3, 1000, false);
  CZoomCtrl view;
};

int Extent(const QWidget& widget) {
  return widget.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &widget);
}

}  // namespace

class ZoomCtrlTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { QApplication::setWheelScrollLines(3); }

  void drawsThePictureTopLeftOnWhite_data() {
    QTest::addColumn<bool>("bottomUp");
    QTest::newRow("top-down") << false;
    QTest::newRow("bottom-up") << true;
  }

  void drawsThePictureTopLeftOnWhite() {
    QFETCH(bool, bottomUp);
    const DibImage image = MakeDib(PureRows({"10000000 00000001",  //
                                             "01000000 00000011",  //
                                             "11110000 11110000"}),
                                   2, 3, bottomUp);
    CZoomCtrl view;
    view.resize(100, 50);
    HandOver(view, image);
    const QImage grab = view.grab().toImage();
    QCOMPARE(RenderedRows(grab, QRect(0, 0, 18, 4)),
             QStringList(
                 {"100000000000000100", "010000000000001100", "111100001111000000", "000000000000000000"}));
    QVERIFY(AllWhite(grab, QRect(16, 0, 84, 50)));
    QVERIFY(AllWhite(grab, QRect(0, 3, 100, 47)));
    QVERIFY(view.HorizontalBar()->isHidden());
    QVERIFY(view.VerticalBar()->isHidden());
  }

  void withoutAPictureItIsWhite() {
    CZoomCtrl view;
    view.resize(60, 40);
    QVERIFY(AllWhite(view.grab().toImage(), QRect(0, 0, 60, 40)));

    const DibImage image = MakeDib(PureRows({"11111111"}), 1, 1, false);
    HandOver(view, image);
    QVERIFY(!AllWhite(view.grab().toImage(), QRect(0, 0, 60, 40)));
    view.SetImageBits({});
    view.SetImageHeader(nullptr);
    QVERIFY(AllWhite(view.grab().toImage(), QRect(0, 0, 60, 40)));
  }

  void headerPromisingMoreRowsThanTheBufferDrawsNothing() {
    const DibImage image = MakeDib(PureRows({"11111111", "11111111"}), 1, 2, false);
    tesk::image::BitmapInfo liar = image.info;
    liar.header.biHeight = -1000;
    CZoomCtrl view;
    view.resize(60, 40);
    view.SetImageBits({image.pixels.get(), image.pixelBytes});
    view.SetImageHeader(&liar);
    view.SetImageSize(8, 1000);
    QVERIFY(AllWhite(view.grab().toImage(), view.ClientRect()));
  }

  void barsMapTheSystemsRangeOntoQt() {
    CZoomCtrl view;
    view.resize(300, 300);
    const int extent = Extent(view);
    const DibImage tall = MakeDib(NumberedRows(3, 1000), 3, 1000, false);
    HandOver(view, tall);
    // Range 0..999 with page 300: the last position is 999 - 300 + 1.
    QVERIFY(view.HorizontalBar()->isHidden());
    QVERIFY(!view.VerticalBar()->isHidden());
    QCOMPARE(view.VerticalBar()->maximum(), 700);
    QCOMPARE(view.VerticalBar()->pageStep(), 300);
    QCOMPARE(view.ClientRect(), QRect(0, 0, 300 - extent, 300));

    const DibImage large = MakeDib(NumberedRows(125, 1000), 125, 1000, false);
    HandOver(view, large);
    // Each bar takes its room from the other axis's page.
    QVERIFY(!view.HorizontalBar()->isHidden());
    QCOMPARE(view.HorizontalBar()->maximum(), 1000 - (300 - extent));
    QCOMPARE(view.VerticalBar()->pageStep(), 300 - extent);
    QCOMPARE(view.ClientRect(), QRect(0, 0, 300 - extent, 300 - extent));

    const DibImage small = MakeDib(PureRows({"11111111"}), 1, 1, false);
    HandOver(view, small);
    QVERIFY(view.HorizontalBar()->isHidden());
    QVERIFY(view.VerticalBar()->isHidden());
    QCOMPARE(view.Helper().PositionY(), 0);
    QCOMPARE(view.ClientRect(), QRect(0, 0, 300, 300));
  }

  void barActionsMoveThePicture() {
    const DibImage image = MakeDib(NumberedRows(3, 1000), 3, 1000, false);
    CZoomCtrl view;
    view.resize(100, 300);
    HandOver(view, image);
    QScrollBar& bar = *view.VerticalBar();

    bar.triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(view.Helper().PositionY(), 60);
    QCOMPARE(bar.value(), 60);
    QCOMPARE(RowAt(view, 0), NumberedRow(60));

    bar.triggerAction(QAbstractSlider::SliderPageStepAdd);
    QCOMPARE(view.Helper().PositionY(), 360);
    QCOMPARE(RowAt(view, 0), NumberedRow(360));

    // Home and End of the bar's own menu are among the commands the view ignores.
    bar.triggerAction(QAbstractSlider::SliderToMaximum);
    QCOMPARE(view.Helper().PositionY(), 360);
    QCOMPARE(bar.value(), 360);
    bar.triggerAction(QAbstractSlider::SliderToMinimum);
    QCOMPARE(bar.value(), 360);

    // Dragging the thumb to the end shows the last row at the bottom.
    bar.setSliderDown(true);
    bar.setSliderPosition(bar.maximum());
    bar.setSliderDown(false);
    QCOMPARE(view.Helper().PositionY(), 700);
    QCOMPARE(RowAt(view, 0), NumberedRow(700));
    QCOMPARE(RowAt(view, 299), NumberedRow(999));
  }

  // "Scroll here" of the bar's own menu sets the bar's value without a slider
  // action; the picture must follow, and the next arrow click continue from there.
  void scrollHereOfTheBarsMenuMovesThePicture() {
    TallPicture tall(true);
    CZoomCtrl& view = tall.view;
    QScrollBar& bar = *view.VerticalBar();
    bool triggered = false;
    QTimer::singleShot(0, this, [&] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      if (!menu) return;
      // The first item of the bar's menu is "Scroll here", whatever the language.
      QAction* scrollHere = menu->actions().first();
      QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(scrollHere).center());
      triggered = true;
    });
    const QPoint middle(bar.width() / 2, bar.height() / 2);
    QContextMenuEvent event(QContextMenuEvent::Mouse, middle, bar.mapToGlobal(middle));
    QApplication::sendEvent(&bar, &event);
    QVERIFY(triggered);
    const int position = view.Helper().PositionY();
    QVERIFY(position > 200);
    QCOMPARE(bar.value(), position);
    QCOMPARE(RowAt(view, 0), NumberedRow(position));

    bar.triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(view.Helper().PositionY(), position + 60);
    QCOMPARE(RowAt(view, 0), NumberedRow(position + 60));
  }

  void ctrlWheelZoomsKeepingTheDotUnderTheCursor() {
    TallPicture tall;
    CZoomCtrl& view = tall.view;
    SendWheel(view, -120 * 5);
    const QPoint cursor(5, 5);  // where SendWheel puts it
    const auto before = view.DotAt(cursor);
    QVERIFY(before);
    QCOMPARE(*before, QPoint(5, 305));

    QWheelEvent zoomIn(QPointF(cursor), view.mapToGlobal(QPointF(cursor)), QPoint(), QPoint(0, 120),
                       Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&view, &zoomIn);
    QCOMPARE(view.Zoom(), 2.0);
    // The picture still fits across, so only the row can stay put.
    QCOMPARE(view.DotAt(cursor)->y(), before->y());
    QCOMPARE(view.Helper().ViewHeight(), 2000);
    // Each dot is a 2 x 2 square: two view rows spell the same picture row.
    const int first = view.Helper().PositionY() % 2;
    const QStringList rows = RenderedRows(view.grab().toImage(), QRect(0, first, 48, 2));
    QString doubled;
    for (const QChar dot : NumberedRow((view.Helper().PositionY() + first) / 2)) doubled += QString(2, dot);
    QCOMPARE(rows, QStringList({doubled, doubled}));

    // And back, the same way, to 1:1 and exactly the old position.
    QWheelEvent zoomOut(QPointF(cursor), view.mapToGlobal(QPointF(cursor)), QPoint(), QPoint(0, -120),
                        Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&view, &zoomOut);
    QCOMPARE(view.Zoom(), 1.0);
    QCOMPARE(view.Helper().PositionY(), 300);
  }

  void fitToWidthShowsEveryColumn() {
    TallPicture tall;
    CZoomCtrl& view = tall.view;
    view.SetZoomMode(CZoomCtrl::ZoomMode::FitWidth);
    const int client = view.ClientRect().width();
    QCOMPARE(client, 100 - Extent(view));
    QVERIFY(view.HorizontalBar()->isHidden());
    QVERIFY(view.Zoom() > 3);
    QVERIFY(tesk::view::ScaledLength(24, view.Zoom()) <= client);
    QCOMPARE(view.DotAt(QPoint(client - 1, 0))->x(), 23);
    // A new picture is fitted too.
    const DibImage wider = MakeDib(NumberedRows(6, 50), 6, 50, false);
    HandOver(view, wider);
    QCOMPARE(view.DotAt(QPoint(view.ClientRect().width() - 1, 0))->x(), 47);

    view.SetZoomMode(CZoomCtrl::ZoomMode::FitPage);
    QVERIFY(view.HorizontalBar()->isHidden());
    QVERIFY(view.VerticalBar()->isHidden());
  }

  void touchpadScrollsByItsPixels() {
    TallPicture tall;
    CZoomCtrl& view = tall.view;
    const QPointF inside(5, 5);
    QWheelEvent swipe(inside, view.mapToGlobal(inside), QPoint(0, -37), QPoint(0, -40), Qt::NoButton,
                      Qt::NoModifier, Qt::ScrollUpdate, false);
    QApplication::sendEvent(&view, &swipe);
    QCOMPARE(view.Helper().PositionY(), 37);
    QCOMPARE(view.VerticalBar()->value(), 37);
    QCOMPARE(RowAt(view, 0), NumberedRow(37));
  }

  void keysMoveThePictureWhenTheViewHasTheFocus() {
    TallPicture tall;
    CZoomCtrl& view = tall.view;
    QTest::keyClick(&view, Qt::Key_Down);
    QCOMPARE(view.Helper().PositionY(), 60);
    QTest::keyClick(&view, Qt::Key_PageDown);
    QCOMPARE(view.Helper().PositionY(), 360);
    QTest::keyClick(&view, Qt::Key_End);
    QCOMPARE(view.Helper().PositionY(), 700);
    QCOMPARE(RowAt(view, 299), NumberedRow(999));
    QTest::keyClick(&view, Qt::Key_Home);
    QCOMPARE(view.Helper().PositionY(), 0);
    QCOMPARE(view.VerticalBar()->value(), 0);
  }

  void resizingKeepsThePositionAndRecomputesTheBars() {
    TallPicture tall(true);
    CZoomCtrl& view = tall.view;
    view.ShowRows(400, 1);
    const int position = view.Helper().PositionY();
    view.resize(100, 500);
    QCOMPARE(view.Helper().PositionY(), position);
    QCOMPARE(view.Helper().PageHeight(), 500);
    view.resize(100, 1200);
    QVERIFY(view.VerticalBar()->isHidden());
    QCOMPARE(view.Helper().PositionY(), 0);
  }

  // Off by default; on, a coloured tick at the left edge where each band
  // starts, and the picture's edge against grey.
  void bandMarksShowWhereBandsStart() {
    const DibImage image = MakeDib(std::vector<std::uint8_t>(3 * 40, 0), 3, 40, false);
    CZoomCtrl view;
    view.resize(100, 100);
    HandOver(view, image);
    view.SetBandRows({0, 24});
    QVERIFY(AllWhite(view.grab().toImage(), view.ClientRect()));
    view.SetBandMarksShown(true);
    const QImage marked = view.grab().toImage();
    const QRgb tick = marked.pixel(2, 24);
    QVERIFY(qRed(tick) > 150 && qGreen(tick) < 100);
    QCOMPARE(marked.pixel(2, 23), qRgb(255, 255, 255));
    QCOMPARE(marked.pixel(12, 24), qRgb(255, 255, 255));
    QVERIFY(marked.pixel(30, 10) != qRgb(255, 255, 255));  // right of the 24 dots
    QVERIFY(marked.pixel(10, 50) != qRgb(255, 255, 255));  // below the 40 rows
  }

  void wheelScrollsByLinesOverThePictureAndItsBar() {
    const DibImage image = MakeDib(NumberedRows(3, 1000), 3, 1000, false);
    CZoomCtrl view;
    view.resize(100, 300);
    HandOver(view, image);
    SendWheel(view, -120);
    QCOMPARE(view.Helper().PositionY(), 60);
    SendWheel(view, -240);
    QCOMPARE(view.Helper().PositionY(), 180);
    // Over the bar the view's rule counts, not the bar's own.
    SendWheel(*view.VerticalBar(), 120);
    QCOMPARE(view.Helper().PositionY(), 120);
    QCOMPARE(view.VerticalBar()->value(), 120);
    QCOMPARE(RowAt(view, 0), NumberedRow(120));
  }

  void wheelRepaintsOnlyTheUncoveredStripButBarCommandsAll() {
    const DibImage image = MakeDib(NumberedRows(3, 1000), 3, 1000, false);
    RecordingView view;
    view.resize(100, 300);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    HandOver(view, image);
    QCoreApplication::sendPostedEvents();
    const QRect client = view.ClientRect();

    view.painted.clear();
    SendWheel(view, -120);
    QCoreApplication::sendPostedEvents();
    QRegion paintedInClient;
    for (const QRect& rect : view.painted) paintedInClient += rect & client;
    // The bar repaints itself over its own area; of the picture, only the strip.
    QCOMPARE(paintedInClient, QRegion(0, client.height() - 60, client.width(), 60));
    QCOMPARE(RowAt(view, client.height() - 1), NumberedRow(60 + client.height() - 1));

    // Even a command that moves nothing ends in a full repaint.
    view.painted.clear();
    view.VerticalBar()->triggerAction(QAbstractSlider::SliderToMaximum);
    QCoreApplication::sendPostedEvents();
    QVERIFY(view.painted.contains(view.rect()));
    QCOMPARE(view.Helper().PositionY(), 60);
  }

  void wheelIgnoredWhenThePictureIsOnlyWider() {
    const DibImage image = MakeDib(NumberedRows(125, 10), 125, 10, false);
    CZoomCtrl view;
    view.resize(300, 300);
    HandOver(view, image);
    const QPointF inside(5, 5);
    QWheelEvent event(inside, view.mapToGlobal(inside), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&view, &event);
    QVERIFY(!event.isAccepted());
    QCOMPARE(view.Helper().PositionX(), 0);
    QCOMPARE(view.Helper().PositionY(), 0);
  }

  void endOfAVeryTallReceipt_data() {
    QTest::addColumn<bool>("bottomUp");
    QTest::newRow("top-down") << false;
    QTest::newRow("bottom-up") << true;
  }

  void endOfAVeryTallReceipt() {
    QFETCH(bool, bottomUp);
    constexpr int kRows = 200000;
    const DibImage image = MakeDib(NumberedRows(72, kRows), 72, kRows, bottomUp);
    CZoomCtrl view;
    view.resize(300, 300);
    HandOver(view, image);
    const int clientHeight = view.ClientRect().height();
    QCOMPARE(clientHeight, 300 - Extent(view));  // both bars show

    QScrollBar& bar = *view.VerticalBar();
    bar.setSliderDown(true);
    bar.setSliderPosition(bar.maximum());
    bar.setSliderDown(false);
    QCOMPARE(view.Helper().PositionY(), kRows - clientHeight);
    QCOMPARE(RowAt(view, 0), NumberedRow(kRows - clientHeight));
    QCOMPARE(RowAt(view, clientHeight - 1), NumberedRow(kRows - 1));

    bar.triggerAction(QAbstractSlider::SliderPageStepSub);
    QCOMPARE(RowAt(view, 0), NumberedRow(kRows - 2 * clientHeight));
  }
};

TESK_QT_TEST_MAIN(ZoomCtrlTest)
#include "zoom_ctrl_test.moc"
