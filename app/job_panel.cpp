#include "app/job_panel.h"

#include <QHeaderView>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int kCommandRole = Qt::UserRole;

QString Offset(std::uint64_t offset) { return QString::number(offset); }

}  // namespace

JobPanel::JobPanel(QWidget* owner) : QDialog(owner, Qt::Tool) {
  setObjectName("jobPanel");
  setWindowTitle(QString::fromUtf8("命令列表"));
  list_ = new QTreeWidget(this);
  list_->setObjectName("commandList");
  list_->setRootIsDecorated(false);
  list_->setUniformRowHeights(true);
  list_->setHeaderLabels({QString::fromUtf8("偏移"), QString::fromUtf8("字节"), QString::fromUtf8("命令"),
                          QString::fromUtf8("含义")});
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  QFont fixed("monospace");
  fixed.setStyleHint(QFont::TypeWriter);
  list_->setFont(fixed);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addWidget(list_);
  resize(560, 480);
  connect(list_, &QTreeWidget::itemSelectionChanged, this, &JobPanel::OnSelectionChanged);
}

void JobPanel::SetListing(const tesk::core::JobListing& listing) {
  listing_ = &listing;
  list_->clear();
  commandItems_.clear();
  QList<QTreeWidgetItem*> items;
  std::size_t transfer = 0;
  std::size_t answer = 0;
  // What the printer sent back stands after the commands sent before it.
  const auto addAnswersBefore = [&](std::uint64_t offset, bool last) {
    for (; answer < listing.answers.size() && (last || listing.answers[answer].jobOffset <= offset);
         ++answer) {
      const tesk::core::JobAnswer& sent = listing.answers[answer];
      const QString from =
          sent.captureLine != 0
              ? QString::fromUtf8("BusHound 第 %1 行").arg(sent.captureLine)
              : QString::fromUtf8("USB 包 #%1, %2 s").arg(sent.packet).arg(sent.seconds, 0, 'f', 6);
      const QString meaning = QString::fromStdString(sent.meaning);
      auto* item = new QTreeWidgetItem({Offset(sent.jobOffset),
                                        QString::fromStdString(tesk::core::AnswerBytesText(sent)), "IN",
                                        meaning.isEmpty() ? from : meaning + "  (" + from + ")"});
      item->setForeground(2, QColor(160, 60, 0));
      item->setForeground(3, QColor(160, 60, 0));
      item->setData(0, kCommandRole, -1);
      items << item;
    }
  };
  // Transfers stand before the first command whose bytes they carried.
  const auto addTransfersUpTo = [&](std::uint64_t offset) {
    for (; transfer < listing.transfers.size() && listing.transfers[transfer].jobOffset <= offset;
         ++transfer) {
      const tesk::core::JobTransfer& carried = listing.transfers[transfer];
      auto* item = new QTreeWidgetItem(
          {Offset(carried.jobOffset), QString::fromUtf8("%1 字节").arg(carried.length), "OUT",
           QString::fromUtf8("USB 包 #%1, %2 s").arg(carried.packet).arg(carried.seconds, 0, 'f', 6)});
      item->setForeground(3, QColor(0, 90, 160));
      item->setData(0, kCommandRole, -1);
      items << item;
    }
  };
  for (std::size_t index = 0; index < listing.commands.size(); ++index) {
    const tesk::core::CommandLine& line = listing.commands[index];
    addAnswersBefore(line.offset, false);
    addTransfersUpTo(line.offset);
    auto* item =
        new QTreeWidgetItem({Offset(line.offset), QString::fromStdString(line.bytes),
                             QString::fromStdString(line.name), QString::fromStdString(line.detail)});
    item->setData(0, kCommandRole, static_cast<qlonglong>(index));
    items << item;
    commandItems_.push_back(item);
  }
  addTransfersUpTo(listing.jobLength);
  addAnswersBefore(listing.jobLength, true);
  list_->addTopLevelItems(items);
  for (int column = 0; column < 3; ++column) list_->resizeColumnToContents(column);
}

void JobPanel::SelectCommand(std::int64_t command) {
  if (command < 0 || static_cast<std::size_t>(command) >= commandItems_.size()) return;
  QTreeWidgetItem* item = commandItems_[static_cast<std::size_t>(command)];
  // The view is already where the click was: selecting here must not move it.
  selecting_ = true;
  list_->setCurrentItem(item);
  list_->scrollToItem(item, QAbstractItemView::PositionAtCenter);
  selecting_ = false;
}

std::optional<std::int64_t> JobPanel::SelectedCommand() const {
  const QTreeWidgetItem* item = list_->currentItem();
  if (!item || !item->isSelected()) return std::nullopt;
  const qlonglong command = item->data(0, kCommandRole).toLongLong();
  if (command < 0) return std::nullopt;
  return command;
}

void JobPanel::OnSelectionChanged() {
  if (selecting_ || !listing_) return;
  const auto command = SelectedCommand();
  if (!command) return;
  const tesk::core::CommandLine& line = listing_->commands[static_cast<std::size_t>(*command)];
  emit RowsChosen(static_cast<int>(line.firstRow), static_cast<int>(line.rowCount));
}
