#pragma once
// Shown over the picture while a run takes a noticeable time: how far it has
// come, and a button that stops it.

#include <QFrame>
#include <QTimer>

class QLabel;
class QProgressBar;
class QPushButton;

class RunProgressPanel : public QFrame {
  Q_OBJECT

 public:
  explicit RunProgressPanel(QWidget* parent);

  // A run starts; the panel shows only if it is still going a moment later,
  // so quick runs do not flash it.
  void Begin();
  void Progress(int stagesDone, int stageCount, quint64 bytesLoaded);
  void End();

  QPushButton* CancelButton() const { return cancel_; }

 signals:
  void CancelRequested();

 private:
  void ShowCentred();

  QLabel* text_ = nullptr;
  QProgressBar* bar_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QTimer delay_;
};
