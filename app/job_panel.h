#pragma once
// The job beside its picture: the command listing of the job on screen (and,
// for captures, the transfers that carried it and what the printer answered),
// in a window of its own.
// Selecting a command shows the rows it drew; the window asks the panel to
// select the command of a clicked dot.

#include <QDialog>
#include <optional>

#include "core/job_listing.h"

class QTreeWidget;
class QTreeWidgetItem;

class JobPanel : public QDialog {
  Q_OBJECT

 public:
  explicit JobPanel(QWidget* owner);

  void SetListing(const tesk::core::JobListing& listing);
  // Selects the command of index `command` (in the listing) and shows it.
  void SelectCommand(std::int64_t command);
  // The listing index of the selected command, if a command is selected.
  std::optional<std::int64_t> SelectedCommand() const;
  QTreeWidget* List() const { return list_; }

 signals:
  // The user selected a command that drew picture rows [first, first + count).
  void RowsChosen(int first, int count);

 private:
  void OnSelectionChanged();

  QTreeWidget* list_ = nullptr;
  std::vector<QTreeWidgetItem*> commandItems_;
  const tesk::core::JobListing* listing_ = nullptr;
  bool selecting_ = false;
};
