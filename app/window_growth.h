#pragma once
// Lets the window grow beyond its template: the picture view takes the extra
// room, the path label the extra width, and the controls right of the view
// keep their distance from the right edge. At the template's size every
// control stands where the template puts it.

#include <QRect>
#include <QSize>
#include <vector>

class QWidget;

class WindowGrowth {
 public:
  // Records where the dialog's children stand now, at the template's size.
  // Children right of `rightColumnLeft` (pixels) follow the right edge.
  void Record(const QWidget& dialog, QWidget* view, QWidget* pathLabel, int rightColumnLeft);
  // Places the recorded children for a window of `size`.
  void Apply(QSize size) const;

 private:
  enum class Growth { None, Across, Both, FollowRight };
  struct Placed {
    QWidget* widget;
    QRect geometry;
    Growth growth;
  };
  QSize templateSize_;
  std::vector<Placed> placed_;
};
