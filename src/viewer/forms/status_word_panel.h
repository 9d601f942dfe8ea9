#pragma once
// Status panel 0: the status word on the button face, and the load progress bar drawn into
// the same rectangle, repainted only when it moves by a step of 5 percent.
#include <QWidget>

namespace pelira {

class TStatusWordPanel : public QWidget {
  Q_OBJECT
public:
  explicit TStatusWordPanel(QWidget* parent = nullptr);

  void SetText(const QString& text);
  QString Text() const { return text_; }
  // A percentage 0..100 shows the bar; -1 hides it. Returns true when the panel repaints.
  bool SetProgress(int percent);
  int ShownProgress() const { return progress_; }

  QSize sizeHint() const override;

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  QString text_;
  int progress_ = -1;  // shown percentage, a multiple of 5, or -1
};

}  // namespace pelira
