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
  // While the file loads (stagesDone 0 and bytesToLoad its size) the bar
  // shows the bytes read, then how far a capture's decoding has come.
  void Progress(int stagesDone, int stageCount, quint64 bytesLoaded, quint64 bytesToLoad = 0,
                quint64 bytesDecoded = 0);
  QString Text() const;
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
