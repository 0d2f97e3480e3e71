#include "app/window_growth.h"

#include <QWidget>
#include <algorithm>

void WindowGrowth::Record(const QWidget& dialog, QWidget* view, QWidget* pathLabel, int rightColumnLeft) {
  templateSize_ = dialog.size();
  placed_.clear();
  for (QWidget* child : dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    // Windows of their own (the job panel) are not placed inside this one.
    if (child->isWindow()) continue;
    Growth growth = Growth::None;
    if (child == view)
      growth = Growth::Both;
    else if (child == pathLabel)
      growth = Growth::Across;
    else if (child->x() >= rightColumnLeft)
      growth = Growth::FollowRight;
    placed_.push_back({child, child->geometry(), growth});
  }
}

void WindowGrowth::Apply(QSize size) const {
  if (!templateSize_.isValid()) return;
  // Never smaller than the template: the controls would overlap the view.
  const int across = std::max(size.width() - templateSize_.width(), 0);
  const int down = std::max(size.height() - templateSize_.height(), 0);
  for (const Placed& placed : placed_) {
    QRect geometry = placed.geometry;
    switch (placed.growth) {
      case Growth::None: break;
      case Growth::Across: geometry.setWidth(geometry.width() + across); break;
      case Growth::Both: geometry.setSize(geometry.size() + QSize(across, down)); break;
      case Growth::FollowRight: geometry.translate(across, 0); break;
    }
    if (placed.widget->geometry() != geometry) placed.widget->setGeometry(geometry);
  }
}
