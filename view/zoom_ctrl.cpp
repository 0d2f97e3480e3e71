#include "view/zoom_ctrl.h"

#include <QApplication>
#include <QImage>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMouseEvent>
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
#include "view/zoom_steps.h"

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
  setMouseTracking(true);

  for (const ScrollBar bar : {ScrollBar::Horizontal, ScrollBar::Vertical}) {
    auto* scrollBar = new QScrollBar(bar == ScrollBar::Horizontal ? Qt::Horizontal : Qt::Vertical, this);
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
  highlightCount_ = 0;
  if (zoomMode_ != ZoomMode::Factor) zoom_ = FitFactor(zoomMode_);
  helper_.SetPageSize(clientAtLastPaint_.width(), clientAtLastPaint_.height());
  helper_.SetViewSize(view::ScaledLength(width, zoom_), view::ScaledLength(height, zoom_));
  if (helper_.Owner()) helper_.UpdateScrollInfo();
}

bool CZoomCtrl::HasPicture() const { return !imageBits_.empty() && imageHeader_; }

double CZoomCtrl::FitFactor(ZoomMode mode) const {
  const int width = ToDevice(this->width());
  const int height = ToDevice(this->height());
  const int bar = ToDevice(BarExtent());
  if (mode == ZoomMode::FitPage)
    return std::min(view::FitZoom(imageWidth_, width), view::FitZoom(imageHeight_, height));
  // A long receipt needs the vertical bar once it is as wide as the view.
  const double withBar = view::FitZoom(imageWidth_, width - bar);
  const double withoutBar = view::FitZoom(imageWidth_, width);
  return view::ScaledLength(imageHeight_, withoutBar) <= height ? withoutBar : withBar;
}

void CZoomCtrl::SetZoom(double zoom, QPoint anchor) {
  zoomMode_ = ZoomMode::Factor;
  ApplyZoom(std::clamp(zoom, view::kSmallestZoom, view::kLargestZoom), anchor);
}

void CZoomCtrl::SetZoomMode(ZoomMode mode) {
  zoomMode_ = mode;
  ApplyZoom(mode == ZoomMode::Factor ? 1.0 : FitFactor(mode), {});
}

void CZoomCtrl::ZoomIn(QPoint anchor) { SetZoom(view::NextZoomIn(zoom_), anchor); }

void CZoomCtrl::ZoomOut(QPoint anchor) { SetZoom(view::NextZoomOut(zoom_), anchor); }

void CZoomCtrl::ApplyZoom(double zoom, QPoint anchor) {
  // The picture point under the anchor, in dots, before the factor changes.
  const double ratio = devicePixelRatioF();
  const double dotX = (helper_.PositionX() + anchor.x() * ratio) / zoom_;
  const double dotY = (helper_.PositionY() + anchor.y() * ratio) / zoom_;
  const bool changed = zoom != zoom_;
  zoom_ = zoom;
  helper_.SetViewSize(view::ScaledLength(imageWidth_, zoom_), view::ScaledLength(imageHeight_, zoom_));
  if (helper_.Owner()) {
    helper_.UpdateScrollInfo(true);
    helper_.ScrollTo(static_cast<int>(std::lround(dotX * zoom_ - anchor.x() * ratio)),
                     static_cast<int>(std::lround(dotY * zoom_ - anchor.y() * ratio)));
  }
  update();
  if (changed) emit ZoomChanged(zoom_);
}

std::optional<QPoint> CZoomCtrl::DotAt(QPoint point) const {
  if (!HasPicture() || !ClientRect().contains(point)) return std::nullopt;
  const double ratio = devicePixelRatioF();
  const auto x = static_cast<std::int64_t>(std::floor((helper_.PositionX() + point.x() * ratio) / zoom_));
  const auto y = static_cast<std::int64_t>(std::floor((helper_.PositionY() + point.y() * ratio) / zoom_));
  if (x < 0 || y < 0 || x >= imageWidth_ || y >= imageHeight_) return std::nullopt;
  return QPoint(static_cast<int>(x), static_cast<int>(y));
}

void CZoomCtrl::ShowRows(int first, int count, bool scroll) {
  highlightFirst_ = first;
  highlightCount_ = std::max(count, 0);
  if (count > 0 && scroll) {
    const int top = view::ScaledLength(first, zoom_);
    const int bottom = view::ScaledLength(std::int64_t{first} + count, zoom_);
    const int page = ToDevice(ClientRect().height());
    // Rows already in full view stay where they are.
    const int y = helper_.PositionY();
    if (top < y || bottom > y + page)
      helper_.ScrollTo(helper_.PositionX(), top - std::max(page - (bottom - top), 0) / 3);
  }
  update();
}

void CZoomCtrl::SetBandRows(std::vector<int> firstRows) {
  bandRows_ = std::move(firstRows);
  if (bandMarksShown_) update();
}

void CZoomCtrl::SetBandMarksShown(bool shown) {
  bandMarksShown_ = shown;
  update();
}

QImage CZoomCtrl::PictureImage() const {
  if (!HasPicture()) return {};
  const tesk::image::BitmapInfoHeader& header = imageHeader_->header;
  const std::int64_t width = header.biWidth;
  const std::int64_t height = std::abs(std::int64_t{header.biHeight});
  if (header.biBitCount != 1 || !view::DibFitsBuffer(width, height, imageBits_.size()) ||
      height > std::numeric_limits<int>::max())
    return {};
  QImage stored(imageBits_.data(), static_cast<int>(width), static_cast<int>(height),
                static_cast<qsizetype>(view::DibRowStride(width)), QImage::Format_Mono);
  stored.setColorTable({ColourOf(imageHeader_->palette[0]), ColourOf(imageHeader_->palette[1])});
  // A deep copy, upright whichever row order the DIB has.
  return header.biHeight > 0 ? stored.mirrored(false, true) : stored.copy();
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

int CZoomCtrl::BarExtent() const { return style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this); }

void CZoomCtrl::PlaceBars() {
  const int extent = BarExtent();
  const bool horizontal = HorizontalBar()->isVisibleTo(this);
  const bool vertical = VerticalBar()->isVisibleTo(this);
  HorizontalBar()->setGeometry(0, height() - extent, width() - (vertical ? extent : 0), extent);
  VerticalBar()->setGeometry(width() - extent, 0, extent, height() - (horizontal ? extent : 0));
}

void CZoomCtrl::resizeEvent(QResizeEvent* event) {
  PlaceBars();
  // A view that grows or shrinks with its window keeps its position; before
  // the first picture there is nothing to fit.
  if (!helper_.Owner() || event->oldSize() == event->size() || !event->oldSize().isValid()) return;
  if (helper_.ViewWidth() == 0 && helper_.ViewHeight() == 0) return;
  if (zoomMode_ != ZoomMode::Factor) zoom_ = FitFactor(zoomMode_);
  helper_.SetViewSize(view::ScaledLength(imageWidth_, zoom_), view::ScaledLength(imageHeight_, zoom_));
  helper_.UpdateScrollInfo(true);
  update();
}

void CZoomCtrl::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  Draw(painter, event->rect());
}

void CZoomCtrl::Draw(QPainter& painter, const QRect& exposed) {
  const QRect client = ClientRect();
  painter.fillRect(exposed & client, Qt::white);
  if (HasPicture() && (zoom_ != 1 || bandMarksShown_)) {
    // Zoomed or marked, the picture's edge shows against a grey background.
    const double ratio = devicePixelRatioF();
    const QRectF picture(-helper_.PositionX() / ratio, -helper_.PositionY() / ratio,
                         view::ScaledLength(imageWidth_, zoom_) / ratio,
                         view::ScaledLength(imageHeight_, zoom_) / ratio);
    QRegion outside(exposed & client);
    outside -= picture.toAlignedRect();
    for (const QRect& rect : outside) painter.fillRect(rect, QColor(0xd8, 0xd8, 0xd8));
  }
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
  painter.save();
  painter.setClipRect(client & exposed);
  DrawMarks(painter, exposed & client);
  painter.restore();
}

void CZoomCtrl::DrawMarks(QPainter& painter, const QRect& exposed) {
  if (!HasPicture() || exposed.isEmpty()) return;
  const double ratio = devicePixelRatioF();
  // View (logical) coordinate of picture row or column `dots`.
  const auto viewY = [&](std::int64_t dots) { return (dots * zoom_ - helper_.PositionY()) / ratio; };
  const auto viewX = [&](std::int64_t dots) { return (dots * zoom_ - helper_.PositionX()) / ratio; };
  if (highlightCount_ > 0) {
    const QRectF rows(viewX(0), viewY(highlightFirst_), imageWidth_ * zoom_ / ratio,
                      highlightCount_ * zoom_ / ratio);
    painter.fillRect(rows & QRectF(exposed), QColor(255, 200, 0, 70));
    painter.setPen(QColor(230, 140, 0));
    painter.drawRect(rows.adjusted(0, 0, -1, -1));
  }
  if (zoom_ >= view::kDotGridZoom) {
    // A faint line between dots, only over the exposed dots.
    painter.setPen(QColor(128, 128, 160, 60));
    const auto firstColumn =
        static_cast<std::int64_t>(std::floor((exposed.left() * ratio + helper_.PositionX()) / zoom_));
    const auto lastColumn =
        std::min<std::int64_t>(imageWidth_,
                               static_cast<std::int64_t>(
                                   std::ceil(((exposed.right() + 1) * ratio + helper_.PositionX()) / zoom_)));
    const auto firstRow =
        static_cast<std::int64_t>(std::floor((exposed.top() * ratio + helper_.PositionY()) / zoom_));
    const auto lastRow =
        std::min<std::int64_t>(imageHeight_,
                               static_cast<std::int64_t>(std::ceil(
                                   ((exposed.bottom() + 1) * ratio + helper_.PositionY()) / zoom_)));
    const double top = viewY(std::max<std::int64_t>(firstRow, 0));
    const double bottom = viewY(lastRow);
    const double left = viewX(std::max<std::int64_t>(firstColumn, 0));
    const double right = viewX(lastColumn);
    for (std::int64_t column = std::max<std::int64_t>(firstColumn, 0); column <= lastColumn; ++column)
      painter.drawLine(QPointF(viewX(column), top), QPointF(viewX(column), bottom));
    for (std::int64_t row = std::max<std::int64_t>(firstRow, 0); row <= lastRow; ++row)
      painter.drawLine(QPointF(left, viewY(row)), QPointF(right, viewY(row)));
  }
  if (bandMarksShown_) {
    // A short coloured tick at the left edge where each band begins.
    painter.setPen(QPen(QColor(220, 40, 40), 1));
    const auto first =
        std::lower_bound(bandRows_.begin(), bandRows_.end(),
                         static_cast<int>(std::floor((exposed.top() * ratio + helper_.PositionY()) / zoom_)) -
                             1);
    for (auto row = first; row != bandRows_.end(); ++row) {
      const double y = viewY(*row);
      if (y > exposed.bottom() + 1) break;
      painter.drawLine(QPointF(0, y), QPointF(8, y));
    }
  }
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
  const int x = helper_.PositionX();
  const int y = helper_.PositionY();
  // The picture rows behind the exposed view rows.
  const auto firstRow = static_cast<std::int64_t>(std::floor((exposed.top() * ratio + y) / zoom_));
  const auto endRow = static_cast<std::int64_t>(std::ceil(((exposed.bottom() + 1) * ratio + y) / zoom_));
  const auto clampRow = [&](std::int64_t row) {
    return static_cast<int>(std::clamp<std::int64_t>(row, 0, height));
  };
  const view::StoredRows rows =
      view::RowsToDraw(clampRow(firstRow), clampRow(endRow), 0, static_cast<int>(height), bottomUp);
  if (rows.count == 0) return;

  // The exposed rows of the run's own buffer, wrapped rather than copied.
  QImage picture(imageBits_.data() + rows.first * stride, static_cast<int>(width), rows.count,
                 static_cast<qsizetype>(stride), QImage::Format_Mono);
  picture.setColorTable({ColourOf(imageHeader_->palette[0]), ColourOf(imageHeader_->palette[1])});

  QTransform transform = QTransform::fromScale(1 / ratio, 1 / ratio);
  transform.translate(-x, -y);
  transform.scale(zoom_, zoom_);
  if (bottomUp) {
    // The band's first stored row is the lowest picture row it holds.
    transform.translate(0, static_cast<qreal>(height - rows.first));
    transform.scale(1, -1);
  } else {
    transform.translate(0, rows.first);
  }
  painter.setWorldTransform(transform, true);
  // Below 1:1 the overview is smoothed; above, each dot stays a sharp square.
  painter.setRenderHint(QPainter::SmoothPixmapTransform, zoom_ < 1);
  painter.drawImage(QPointF(0, 0), picture);
}

void CZoomCtrl::wheelEvent(QWheelEvent* event) {
  if (event->modifiers() & Qt::ControlModifier) {
    const int notches = event->angleDelta().y();
    const QPoint anchor = mapFromGlobal(event->globalPosition().toPoint());
    if (notches > 0) ZoomIn(anchor);
    if (notches < 0) ZoomOut(anchor);
    event->accept();
    return;
  }
  // Touchpads tell how far the fingers moved; they scroll by exactly that.
  if (!event->pixelDelta().isNull()) {
    if (ScrollByPixels(event->pixelDelta() * devicePixelRatioF()))
      event->accept();
    else
      event->ignore();
    return;
  }
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

bool CZoomCtrl::ScrollByPixels(QPoint pixels) {
  if (!helper_.ScrollTo(helper_.PositionX() - pixels.x(), helper_.PositionY() - pixels.y())) return false;
  return true;
}

void CZoomCtrl::mouseMoveEvent(QMouseEvent* event) {
  emit DotHovered(DotAt(event->position().toPoint()));
  QWidget::mouseMoveEvent(event);
}

void CZoomCtrl::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton)
    if (const auto dot = DotAt(event->position().toPoint())) emit DotClicked(*dot);
  QWidget::mousePressEvent(event);
}

void CZoomCtrl::leaveEvent(QEvent* event) {
  emit DotHovered(std::nullopt);
  QWidget::leaveEvent(event);
}

void CZoomCtrl::keyPressEvent(QKeyEvent* event) {
  const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
  const int key = event->key();
  if (modifiers == Qt::ControlModifier && key == Qt::Key_G) {
    GoToRow();
    return;
  }
  if (modifiers == Qt::ControlModifier && (key == Qt::Key_Home || key == Qt::Key_End)) {
    helper_.ScrollTo(0, key == Qt::Key_Home ? 0 : helper_.ViewHeight());
    update();
    return;
  }
  if (modifiers != Qt::NoModifier) {
    QWidget::keyPressEvent(event);
    return;
  }
  // The keys do what the bars' arrows and troughs do; Enter and Escape stay
  // the window's.
  switch (key) {
    case Qt::Key_Up: OnVScroll(view::kLineUp); return;
    case Qt::Key_Down: OnVScroll(view::kLineDown); return;
    case Qt::Key_Left: OnHScroll(view::kLineUp); return;
    case Qt::Key_Right: OnHScroll(view::kLineDown); return;
    case Qt::Key_PageUp: OnVScroll(view::kPageUp); return;
    case Qt::Key_PageDown: OnVScroll(view::kPageDown); return;
    case Qt::Key_Home:
      helper_.ScrollTo(helper_.PositionX(), 0);
      update();
      return;
    case Qt::Key_End:
      helper_.ScrollTo(helper_.PositionX(), helper_.ViewHeight());
      update();
      return;
    default: QWidget::keyPressEvent(event);
  }
}

void CZoomCtrl::GoToRow() {
  if (!HasPicture()) return;
  bool ok = false;
  const int row = QInputDialog::getInt(this, QString::fromUtf8("转到行"), QString::fromUtf8("点行 (0 起):"),
                                       helper_.PositionY() / std::max(1, static_cast<int>(zoom_)), 0,
                                       std::max(imageHeight_ - 1, 0), 1, &ok);
  if (ok) ShowRows(row, 1);
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
  const bool shown =
      info.maximum > info.minimum && std::int64_t{info.page} <= std::int64_t{info.maximum} - info.minimum;
  const int lastPosition = std::max(info.minimum, info.maximum - std::max(info.page - 1, 0));
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
  const int lastPosition = std::max(stored.minimum, stored.maximum - std::max(stored.page - 1, 0));
  stored.position = std::clamp(position, stored.minimum, lastPosition);
  const QSignalBlocker blocker(BarOf(bar));
  BarOf(bar)->setValue(stored.position);
}

int CZoomCtrl::TrackPosition(ScrollBar bar) const { return BarOf(bar)->sliderPosition(); }

view::Extent CZoomCtrl::UsableSize() const { return {ToDevice(width()), ToDevice(height())}; }

view::Extent CZoomCtrl::ScrollBarThickness() const { return {ToDevice(BarExtent()), ToDevice(BarExtent())}; }

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
