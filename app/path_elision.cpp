#include "app/path_elision.h"

#include <QEvent>
#include <QLabel>
#include <QPainter>

namespace {

class MiddleElision : public QObject {
 public:
  using QObject::QObject;

  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* label = qobject_cast<QLabel*>(watched);
    if (!label || event->type() != QEvent::Paint) return false;
    const QRect room = label->contentsRect();
    const QFontMetrics metrics = label->fontMetrics();
    // A text that fits is the label's own business.
    if (metrics.horizontalAdvance(label->text()) <= room.width()) return false;
    QPainter painter(label);
    painter.setPen(label->palette().color(label->foregroundRole()));
    painter.drawText(room, static_cast<int>(label->alignment()),
                     metrics.elidedText(label->text(), Qt::ElideMiddle, room.width()));
    return true;
  }
};

}  // namespace

void ElidePathInTheMiddle(QLabel& label) { label.installEventFilter(new MiddleElision(&label)); }
