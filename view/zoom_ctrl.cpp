#include "view/zoom_ctrl.h"

#include <QApplication>
#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "view/picture_rows.h"

namespace view = tesk::view;
using view::ScrollBar;

namespace {

int IndexOf(ScrollBar bar) { return bar == ScrollBar::Horizontal ? 0 : 1; }

// The commands the system's scroll bars send for what Qt's bars report.
int ScrollCodeOf(int action) {
  switch (action) {
    case QAbstractSlider::SliderSingleStepSub: return view::kLineUp;
    case QAbstractSlider::SliderSingleStepAdd: return view::kLineDown;
    case QAbstractSlider::SliderPageStepSub: return view::kPageUp;
    case QAbstractSlider::SliderPageStepAdd: return view::kPageDown;
    case QAbstractSlider::SliderMove: return view::kThumbTrack;
    case QAbstractSlider::SliderToMinimum: return view::kTop;
    case QAbstractSlider::SliderToMaximum: return view::kBottom;
    default: return view::kEndScroll;
  }
}

QRgb ColourOf(const tesk::image::RgbQuad& quad) { return qRgb(quad.red, quad.green, quad.blue); }

}  // namespace

CZoomCtrl::CZoomCtrl(QWidget* parent) : QWidget(parent) {
  helper_.SetOwner(this);
  // Every paint covers its whole area, so nothing is erased first: no flicker.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  setFocusPolicy(Qt::ClickFocus);

  for (const ScrollBar bar : {ScrollBar::Horizontal, ScrollBar::Vertical}) {
    auto* scrollBar = new QScrollBar(
        bar == ScrollBar::Horizontal ? Qt::Horizontal : Qt::Vertical, this);
    scrollBar->setObjectName(bar == ScrollBar::Horizontal ? "horizontal" : "vertical");
    scrollBar->setFocusPolicy(Qt::NoFocus);
    scrollBar->setRange(0, 0);
    scrollBar->setSingleStep(view::kLineStep);
    scrollBar->hide();
    scrollBar->installEventFilter(this);
    connect(scrollBar, &QAbstractSlider::actionTriggered, this,
            [this, bar](int action) { OnBarAction(bar, action); });
    // The bar's own menu ("Scroll here") sets its value without an action; the
    // picture must follow it as it follows a thumb drag.
    connect(scrollBar, &QAbstractSlider::valueChanged, this,
            [this, bar](int value) { OnBarValueChanged(bar, value); });
    connect(scrollBar, &QAbstractSlider::sliderReleased, this, [this, bar] {
      OnScroll(bar, view::kThumbPosition);
      OnScroll(bar, view::kEndScroll);
    });
    bars_[IndexOf(bar)] = scrollBar;
  }
}

CZoomCtrl::~CZoomCtrl() {
  // The bars are destroyed after this body; nothing may scroll through us then.
  helper_.SetOwner(nullptr);
}

void CZoomCtrl::SetImageBits(std::span<const std::uint8_t> bits) { imageBits_ = bits; }

void CZoomCtrl::SetImageHeader(const tesk::image::BitmapInfo* header) { imageHeader_ = header; }

void CZoomCtrl::SetImageSize(int width, int height) {
  imageWidth_ = width;
  imageHeight_ = height;
  helper_.SetPageSize(clientAtLastPaint_.width(), clientAtLastPaint_.height());
  helper_.SetViewSize(width, height);
  if (helper_.Owner()) helper_.UpdateScrollInfo();
}

void CZoomCtrl::OnHScroll(int code) { OnScroll(ScrollBar::Horizontal, code); }

void CZoomCtrl::OnVScroll(int code) { OnScroll(ScrollBar::Vertical, code); }

void CZoomCtrl::OnScroll(ScrollBar bar, int code) {
  if (bar == ScrollBar::Horizontal)
    helper_.OnHScroll(code);
  else
    helper_.OnVScroll(code);
  update();
}

bool CZoomCtrl::OnMouseWheel(int delta) { return helper_.OnMouseWheel(delta); }

void CZoomCtrl::OnBarAction(ScrollBar bar, int action) {
  OnScroll(bar, ScrollCodeOf(action));
  // The bar has already moved itself; only the helper decides where it stands
  // (it ignores "to the top" and "to the bottom", for one).
  BarOf(bar)->setSliderPosition(barInfo_[IndexOf(bar)].position);
}

void CZoomCtrl::OnBarValueChanged(ScrollBar bar, int value) {
  // Our own changes come with the bar's signals blocked, and actions have
  // already moved the helper: only a value that nobody asked the helper for
  // gets here with a difference.
  if (value == barInfo_[IndexOf(bar)].position) return;
  OnScroll(bar, view::kThumbPosition);
  const QSignalBlocker blocker(BarOf(bar));
  BarOf(bar)->setValue(barInfo_[IndexOf(bar)].position);
}

QScrollBar* CZoomCtrl::BarOf(ScrollBar bar) const { return bars_[IndexOf(bar)]; }

int CZoomCtrl::ToDevice(int logical) const {
  return static_cast<int>(std::lround(logical * devicePixelRatioF()));
}

QRect CZoomCtrl::ClientRect() const {
  int width = this->width();
  int height = this->height();
  if (VerticalBar()->isVisibleTo(this)) width -= BarExtent();
  if (HorizontalBar()->isVisibleTo(this)) height -= BarExtent();
  return QRect(0, 0, std::max(width, 0), std::max(height, 0));
}

int CZoomCtrl::BarExtent() const {
  return style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
}

void CZoomCtrl::PlaceBars() {
  const int extent = BarExtent();
  const bool horizontal = HorizontalBar()->isVisibleTo(this);
  const bool vertical = VerticalBar()->isVisibleTo(this);
  HorizontalBar()->setGeometry(0, height() - extent, width() - (vertical ? extent : 0), extent);
  VerticalBar()->setGeometry(width() - extent, 0, extent, height() - (horizontal ? extent : 0));
}

void CZoomCtrl::resizeEvent(QResizeEvent*) { PlaceBars(); }

void CZoomCtrl::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  Draw(painter, event->rect());
}

void CZoomCtrl::Draw(QPainter& painter, const QRect& exposed) {
  const QRect client = ClientRect();
  painter.fillRect(exposed & client, Qt::white);
  clientAtLastPaint_ = QRect(0, 0, ToDevice(client.width()), ToDevice(client.height()));
  // The square between two bars belongs to neither.
  if (HorizontalBar()->isVisibleTo(this) && VerticalBar()->isVisibleTo(this))
    painter.fillRect(QRect(client.width(), client.height(), width() - client.width(),
                           height() - client.height()) &
                         exposed,
                     palette().window());

  painter.save();
  painter.setClipRect(client & exposed);
  DrawPicture(painter, exposed & client);
  painter.restore();
}

void CZoomCtrl::DrawPicture(QPainter& painter, const QRect& exposed) {
  if (imageBits_.empty() || !imageHeader_ || exposed.isEmpty()) return;
  const tesk::image::BitmapInfoHeader& header = imageHeader_->header;
  const std::int64_t width = header.biWidth;
  const std::int64_t height = std::abs(std::int64_t{header.biHeight});
  // A header that promises more rows than the buffer holds draws nothing.
  if (header.biBitCount != 1 || !view::DibFitsBuffer(width, height, imageBits_.size())) return;
  if (height > std::numeric_limits<int>::max()) return;
  const bool bottomUp = header.biHeight > 0;
  const std::int64_t stride = view::DibRowStride(width);

  // From here on one unit is one device pixel, whatever the screen's scaling.
  const qreal ratio = devicePixelRatioF();
  const int exposedTop = static_cast<int>(std::floor(exposed.top() * ratio));
  const int exposedBottom = static_cast<int>(std::ceil((exposed.bottom() + 1) * ratio));
  const int x = helper_.PositionX();
  const int y = helper_.PositionY();
  const view::StoredRows rows =
      view::RowsToDraw(exposedTop, exposedBottom, y, static_cast<int>(height), bottomUp);
  if (rows.count == 0) return;

  // The exposed rows of the run's own buffer, wrapped rather than copied.
  QImage picture(imageBits_.data() + rows.first * stride, static_cast<int>(width), rows.count,
                 static_cast<qsizetype>(stride), QImage::Format_Mono);
  picture.setColorTable({ColourOf(imageHeader_->palette[0]), ColourOf(imageHeader_->palette[1])});

  QTransform transform = QTransform::fromScale(1 / ratio, 1 / ratio);
  if (bottomUp) {
    // The band's first stored row is the lowest picture row it holds.
    transform.translate(-x, static_cast<qreal>(height - rows.first - y));
    transform.scale(1, -1);
  } else {
    transform.translate(-x, rows.first - y);
  }
  painter.setWorldTransform(transform, true);
  painter.drawImage(QPointF(0, 0), picture);
}

void CZoomCtrl::wheelEvent(QWheelEvent* event) {
  // A purely sideways wheel sends no vertical message at all.
  const int delta = event->angleDelta().y();
  if (delta == 0) {
    event->ignore();
    return;
  }
  // The system carries the delta in 16 bits.
  const int carried = std::clamp(delta, -32768, 32767);
  if (OnMouseWheel(carried))
    event->accept();
  else
    event->ignore();
}

bool CZoomCtrl::eventFilter(QObject* watched, QEvent* event) {
  // The wheel over a bar scrolls the view by the view's rules, not the bar's.
  if (event->type() == QEvent::Wheel && (watched == bars_[0] || watched == bars_[1])) {
    wheelEvent(static_cast<QWheelEvent*>(event));
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

// ScrollOwner

int CZoomCtrl::ScrollPosition(ScrollBar bar) const { return barInfo_[IndexOf(bar)].position; }

view::ScrollInfo CZoomCtrl::GetScrollInfo(ScrollBar bar) const { return barInfo_[IndexOf(bar)]; }

void CZoomCtrl::SetScrollInfo(ScrollBar bar, const view::ScrollInfo& info) {
  view::ScrollInfo& stored = barInfo_[IndexOf(bar)];
  stored = info;
  // The system's bar shows only while its range is wider than one page; its
  // last position is maximum - page + 1.
  const bool shown = info.maximum > info.minimum &&
                     std::int64_t{info.page} <= std::int64_t{info.maximum} - info.minimum;
  const int lastPosition =
      std::max(info.minimum, info.maximum - std::max(info.page - 1, 0));
  stored.position = std::clamp(info.position, info.minimum, lastPosition);

  QScrollBar* scrollBar = BarOf(bar);
  {
    const QSignalBlocker blocker(scrollBar);
    scrollBar->setRange(info.minimum, lastPosition);
    scrollBar->setPageStep(std::max(info.page, 1));
    scrollBar->setValue(stored.position);
  }
  if (scrollBar->isVisibleTo(this) != shown) {
    scrollBar->setVisible(shown);
    PlaceBars();
    update();
  }
}

void CZoomCtrl::SetScrollPosition(ScrollBar bar, int position) {
  view::ScrollInfo& stored = barInfo_[IndexOf(bar)];
  const int lastPosition =
      std::max(stored.minimum, stored.maximum - std::max(stored.page - 1, 0));
  stored.position = std::clamp(position, stored.minimum, lastPosition);
  const QSignalBlocker blocker(BarOf(bar));
  BarOf(bar)->setValue(stored.position);
}

int CZoomCtrl::TrackPosition(ScrollBar bar) const { return BarOf(bar)->sliderPosition(); }

view::Extent CZoomCtrl::UsableSize() const { return {ToDevice(width()), ToDevice(height())}; }

view::Extent CZoomCtrl::ScrollBarThickness() const {
  return {ToDevice(BarExtent()), ToDevice(BarExtent())};
}

void CZoomCtrl::ScrollContents(int dx, int dy) {
  const QRect client = ClientRect();
  const qreal ratio = devicePixelRatioF();
  // Moving the pixels already shown is only exact in whole logical pixels.
  if (ratio == 1.0)
    scroll(dx, dy, client);
  else
    update(client);
}

int CZoomCtrl::WheelScrollLines() const { return QApplication::wheelScrollLines(); }
