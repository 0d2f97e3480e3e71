#pragma once
// The strip under the picture view that says, without a message box, when the
// fixed band layout does not fit the job just shown, and offers to read the
// job again from its GS v 0 commands. It also counts the places where the job
// depends on a printer's habits (tesk-cli --lint lists them).

#include <QFrame>
#include <QRect>
#include <optional>

#include "core/layout_check.h"

class QLabel;
class QPushButton;

class LayoutNotice : public QFrame {
  Q_OBJECT

 public:
  static const char* const kReadFromCommandsButton;

  // Stands over the bottom of `view`, which gives up that much height while
  // the strip shows.
  LayoutNotice(QWidget* view, QWidget* parent);

  // Shows the verdict of a run that used the fixed layout and the job's count
  // of lint findings; hides the strip when the layout fits (or there is no
  // verdict) and there is no finding.
  void ShowVerdict(const std::optional<tesk::core::LayoutVerdict>& verdict, std::size_t lintFindings = 0);

  QLabel* Text() const { return text_; }
  QLabel* LintCount() const { return lint_; }
  QPushButton* Button() const { return button_; }

  // The window has just laid the view out over its whole place again (it grew
  // or shrank): the strip takes its bottom once more.
  void FollowView();

  // One line for the strip, and the details for its tooltip.
  static QString NoticeText(const tesk::core::LayoutVerdict& verdict);
  static QString DetailText(const tesk::core::LayoutVerdict& verdict);

 signals:
  void readFromCommandsRequested();

 private:
  void Place(bool shown);
  void TakeBottomOfView();

  QWidget* view_;
  QRect viewGeometry_;  // the view's own place, with the strip hidden
  QLabel* text_;
  QLabel* lint_;
  QPushButton* button_;
};
