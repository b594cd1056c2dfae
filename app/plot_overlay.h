#pragma once

#include <QWidget>
#include <vector>

#include "render/plot_labels.h"

namespace tarsel {

// The names over the client area (render/plot_labels.h) and the checking lift's marker: a
// widget of its own over the picture, so that the canvas's pixels never hold them. It takes no
// mouse and no keys: the picture under it gets them.
class PlotOverlay : public QWidget {
 public:
  explicit PlotOverlay(QWidget* parent);
  void Show(std::vector<PlotLabel> labels, double threshold_row);
  const std::vector<PlotLabel>& labels() const { return labels_; }
  // Where a label's text stands on the widget, in logical pixels.
  QRectF Box(const PlotLabel& label) const;

 protected:
  void paintEvent(QPaintEvent* e) override;

 private:
  std::vector<PlotLabel> labels_;
  double threshold_row_ = -1;
};

}  // namespace tarsel
