#include "app/layout_notice.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace {

using tesk::core::LayoutMismatch;
using tesk::core::LayoutVerdict;

}  // namespace

const char* const LayoutNotice::kReadFromCommandsButton = "按GS v 0命令解析";

LayoutNotice::LayoutNotice(QWidget* view, QWidget* parent)
    : QFrame(parent),
      view_(view),
      text_(new QLabel(this)),
      lint_(new QLabel(this)),
      button_(new QPushButton(this)) {
  setObjectName("layoutNotice");
  setFrameShape(QFrame::Box);
  setAutoFillBackground(true);
  QPalette colours = palette();
  colours.setColor(QPalette::Window, QColor(0xFF, 0xF4, 0xCE));  // a pale amber: a notice, not an error
  setPalette(colours);
  button_->setText(QString::fromUtf8(kReadFromCommandsButton));
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(4, 1, 1, 1);
  layout->addWidget(text_, 1);
  layout->addWidget(lint_);
  layout->addWidget(button_);
  connect(button_, &QPushButton::clicked, this, &LayoutNotice::readFromCommandsRequested);
  hide();
}

void LayoutNotice::ShowVerdict(const std::optional<LayoutVerdict>& verdict, std::size_t lintFindings) {
  const bool misfit = verdict && !verdict->fits;
  lint_->setVisible(lintFindings > 0);
  lint_->setText(QString::fromUtf8("依赖打印机特性: %1处").arg(lintFindings));
  lint_->setToolTip(QString::fromUtf8("作业中有%1处写法在不同打印机上打印结果不同; 用 tesk-cli --lint 列出。")
                        .arg(lintFindings));
  if (!misfit) {
    text_->clear();
    text_->setToolTip({});
    setToolTip({});
    button_->setVisible(false);
    Place(lintFindings > 0);
    return;
  }
  text_->setText(NoticeText(*verdict));
  const QString detail = DetailText(*verdict);
  text_->setToolTip(detail);
  setToolTip(detail);
  // Without a GS v 0 command there is nothing the command reading could draw.
  button_->setVisible(verdict->commandBands > 0);
  Place(true);
}

void LayoutNotice::Place(bool shown) {
  if (shown == isVisible()) return;
  if (shown) {
    TakeBottomOfView();
    show();
    raise();
  } else {
    hide();
    view_->setGeometry(viewGeometry_);
  }
}

void LayoutNotice::FollowView() {
  if (isVisible()) TakeBottomOfView();
}

void LayoutNotice::TakeBottomOfView() {
  viewGeometry_ = view_->geometry();
  const int height = sizeHint().height();
  setGeometry(viewGeometry_.x(), viewGeometry_.bottom() + 1 - height, viewGeometry_.width(), height);
  view_->setGeometry(viewGeometry_.adjusted(0, 0, 0, -height));
}

QString LayoutNotice::NoticeText(const LayoutVerdict& verdict) {
  const qint64 band = verdict.firstMismatch.band;
  switch (verdict.mismatch) {
    case LayoutMismatch::NoHeader: return QString::fromUtf8("图片可能有误: 第%1段处无GS v 0命令").arg(band);
    case LayoutMismatch::OtherSize: return QString::fromUtf8("图片可能有误: 第%1段大小不同").arg(band);
    case LayoutMismatch::CutOff: return QString::fromUtf8("图片可能有误: 第%1段被截断").arg(band);
    case LayoutMismatch::OtherBandCount:
      return QString::fromUtf8("图片可能有误: 取%1段, 含%2个GS v 0")
          .arg(verdict.expectedBands)
          .arg(verdict.commandBands);
    case LayoutMismatch::NoBandTaken: return QString::fromUtf8("图片可能有误: 固定布局未取到任何段");
    case LayoutMismatch::NoRasterCommand: return QString::fromUtf8("文件中没有GS v 0光栅位图命令");
    case LayoutMismatch::None: break;
  }
  return {};
}

QString LayoutNotice::DetailText(const LayoutVerdict& verdict) {
  QString detail = QString::fromUtf8("固定光栅布局与文件中的GS v 0命令不符, 文件含%1个GS v 0命令。")
                       .arg(verdict.commandBands);
  if (verdict.commandBands > 0)
    detail += QString::fromUtf8("点击“%1”按命令重新解析。").arg(QString::fromUtf8(kReadFromCommandsButton));
  return detail + "\n" + QString::fromStdString(verdict.reason);
}
