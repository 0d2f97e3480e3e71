#include "app/run_progress_panel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

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

void RunProgressPanel::Progress(int stagesDone, int stageCount, quint64 bytesLoaded, quint64 bytesToLoad,
                                quint64 bytesDecoded) {
  if (stagesDone == 0 && bytesToLoad > 0) {
    // The bar counts in thousandths: a file's size does not fit an int.
    constexpr int kSteps = 1000;
    const bool decoding = bytesDecoded > 0;
    const quint64 done = std::min(decoding ? bytesDecoded : bytesLoaded, bytesToLoad);
    bar_->setRange(0, kSteps);
    bar_->setValue(static_cast<int>(done * kSteps / bytesToLoad));
    text_->setText(QString::fromUtf8(decoding ? "正在解析 %1 / %2 字节" : "正在载入 %1 / %2 字节")
                       .arg(QLocale::system().toString(done))
                       .arg(QLocale::system().toString(bytesToLoad)));
    return;
  }
  bar_->setRange(0, stageCount);
  bar_->setValue(stagesDone);
  text_->setText(QString::fromUtf8("已载入 %1 字节, 第 %2/%3 步")
                     .arg(QLocale::system().toString(bytesLoaded))
                     .arg(stagesDone)
                     .arg(stageCount));
}

QString RunProgressPanel::Text() const { return text_->text(); }

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
