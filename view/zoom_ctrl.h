#pragma once
// The picture area of the main window: the last run's DIB drawn one device
// pixel per dot at the top-left on white, with scroll bars when it is larger
// than the area. It can be zoomed (whole factors up to 16, or to fit), and it
// tells which dot is under the cursor.

#include <QWidget>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "image/dib_image.h"
#include "view/scroll_helper.h"

class QPainter;
class QScrollBar;

class CZoomCtrl : public QWidget, private tesk::view::ScrollOwner {
  Q_OBJECT

 public:
  explicit CZoomCtrl(QWidget* parent = nullptr);
  ~CZoomCtrl() override;

  // The view does not own the picture: the bits and the header belong to the
  // DibImage that each run rebuilds, so the dialog hands them over after every
  // run and takes them away (empty span, null header) when they are gone.
  void SetImageBits(std::span<const std::uint8_t> bits);
  void SetImageHeader(const tesk::image::BitmapInfo* header);
  // Sets the picture size and recomputes both scroll bars.
  void SetImageSize(int width, int height);

  // What a scroll bar, or the wheel, asks of the view. Scroll-bar commands end
  // in a full repaint, whatever they moved.
  void OnHScroll(int code);
  void OnVScroll(int code);
  bool OnMouseWheel(int delta);

  // Paints the exposed part of the view; the whole of it is covered.
  virtual void Draw(QPainter& painter, const QRect& exposed);

  enum class ZoomMode { Factor, FitWidth, FitPage };
  // View pixels per dot; 1 draws the picture exactly as it is stored. The dot
  // under `anchor` (a point of the view) stays where it is.
  void SetZoom(double zoom, QPoint anchor = {});
  void SetZoomMode(ZoomMode mode);
  void ZoomIn(QPoint anchor);
  void ZoomOut(QPoint anchor);
  double Zoom() const { return zoom_; }
  ZoomMode Mode() const { return zoomMode_; }

  // The dot (column, row of the picture) shown at `point`, if the picture is there.
  std::optional<QPoint> DotAt(QPoint point) const;
  // Marks picture rows [first, first + count) and, unless told otherwise,
  // brings them into view; a count of 0 takes the mark away.
  void ShowRows(int first, int count, bool scroll = true);
  // The marked rows: first and count.
  QPair<int, int> MarkedRows() const { return {highlightFirst_, highlightCount_}; }
  // Where each band starts, for the marks in the margin; shown on request.
  void SetBandRows(std::vector<int> firstRows);
  void SetBandMarksShown(bool shown);
  bool BandMarksShown() const { return bandMarksShown_; }
  // The picture as shown: every dot, at 1:1.
  QImage PictureImage() const;

 signals:
  // The dot under the cursor; nullopt once it has left the picture.
  void DotHovered(std::optional<QPoint> dot);
  void DotClicked(QPoint dot);
  void ZoomChanged(double zoom);

 public:
  const tesk::view::ScrollHelper& Helper() const { return helper_; }
  QScrollBar* HorizontalBar() const { return bars_[0]; }
  QScrollBar* VerticalBar() const { return bars_[1]; }
  int ImageWidth() const { return imageWidth_; }
  int ImageHeight() const { return imageHeight_; }
  // The area the picture is drawn in: the widget less its visible bars.
  QRect ClientRect() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // tesk::view::ScrollOwner
  int ScrollPosition(tesk::view::ScrollBar bar) const override;
  tesk::view::ScrollInfo GetScrollInfo(tesk::view::ScrollBar bar) const override;
  void SetScrollInfo(tesk::view::ScrollBar bar, const tesk::view::ScrollInfo& info) override;
  void SetScrollPosition(tesk::view::ScrollBar bar, int position) override;
  int TrackPosition(tesk::view::ScrollBar bar) const override;
  tesk::view::Extent UsableSize() const override;
  tesk::view::Extent ScrollBarThickness() const override;
  void ScrollContents(int dx, int dy) override;
  int WheelScrollLines() const override;

  void OnBarAction(tesk::view::ScrollBar bar, int action);
  void OnBarValueChanged(tesk::view::ScrollBar bar, int value);
  void OnScroll(tesk::view::ScrollBar bar, int code);
  void PlaceBars();
  int BarExtent() const;
  void DrawPicture(QPainter& painter, const QRect& exposed);
  void DrawMarks(QPainter& painter, const QRect& exposed);
  bool HasPicture() const;
  double FitFactor(ZoomMode mode) const;
  void ApplyZoom(double zoom, QPoint anchor);
  bool ScrollByPixels(QPoint pixels);
  void GoToRow();
  int ToDevice(int logical) const;
  QScrollBar* BarOf(tesk::view::ScrollBar bar) const;

  QRect clientAtLastPaint_;  // in device pixels
  tesk::view::ScrollHelper helper_;
  double zoom_ = 1;
  ZoomMode zoomMode_ = ZoomMode::Factor;
  std::vector<int> bandRows_;
  bool bandMarksShown_ = false;
  int highlightFirst_ = 0;
  int highlightCount_ = 0;
  int imageWidth_ = 640;
  int imageHeight_ = 1024;
  std::span<const std::uint8_t> imageBits_;
  const tesk::image::BitmapInfo* imageHeader_ = nullptr;

  QScrollBar* bars_[2] = {nullptr, nullptr};
  tesk::view::ScrollInfo barInfo_[2];
};
