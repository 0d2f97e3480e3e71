#include "app/run_progress_panel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int kShowAfterMilliseconds = 250;
}

RunProgressPanel::RunProgressPanel(QWidget* parent) : QFrame(parent) {
  setObjectName("runProgress");
  setFrameShape(QFrame::StyledPanel);
  setAutoFillBackground(true);
  text_ = new QLabel(QString::fromUtf8("正在解析..."), this);
  bar_ = new QProgressBar(this);
  cancel_ = new QPushButton(QString::fromUtf8("取消"), this);
  cancel_->setObjectName("cancelRun");
  cancel_->setAutoDefault(false);
  auto* row = new QHBoxLayout;
  row->addWidget(bar_, 1);
  row->addWidget(cancel_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(text_);
  layout->addLayout(row);
  connect(cancel_, &QPushButton::clicked, this, &RunProgressPanel::CancelRequested);
  delay_.setSingleShot(true);
  delay_.setInterval(kShowAfterMilliseconds);
  connect(&delay_, &QTimer::timeout, this, &RunProgressPanel::ShowCentred);
  hide();
}

void RunProgressPanel::Begin() {
  bar_->setRange(0, 1);
  bar_->setValue(0);
  text_->setText(QString::fromUtf8("正在解析..."));
  delay_.start();
}

void RunProgressPanel::Progress(int stagesDone, int stageCount, quint64 bytesLoaded) {
  bar_->setRange(0, stageCount);
  bar_->setValue(stagesDone);
  text_->setText(QString::fromUtf8("已载入 %1 字节, 第 %2/%3 步")
                     .arg(QLocale::system().toString(bytesLoaded))
                     .arg(stagesDone)
                     .arg(stageCount));
}

void RunProgressPanel::End() {
  delay_.stop();
  hide();
}

void RunProgressPanel::ShowCentred() {
  QWidget* over = parentWidget();
  const QSize size(std::min(over->width() - 16, 320), sizeHint().height());
  setGeometry(QRect(QPoint((over->width() - size.width()) / 2, (over->height() - size.height()) / 2), size));
  show();
  raise();
}
