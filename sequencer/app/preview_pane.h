#pragma once
// The sequencer's preview: the design the stops make, drawn by the sequencer's renderer into an
// indexed image, with the selected block's frame and, while a simulation shows part of the
// design, the needle mark. A click reports the colour block sewn there. Also the colour bar
// above the stitch scroll bar.
#include <QImage>
#include <QWidget>
#include <cstdint>
#include <memory>
#include <optional>

#include "design/emb_design.h"
#include "sequencer/color_stop.h"
#include "sequencer/display_palette.h"
#include "sequencer/preview_geometry.h"
#include "sequencer/sequencer_renderer.h"
#include "sequencer/sewing_simulation.h"

namespace lh {

class PreviewPane : public QWidget {
  Q_OBJECT

 public:
  PreviewPane(DisplayPalette& palette, QWidget* parent = nullptr);
  ~PreviewPane() override;

  // Shows `design` (a copy is drawn); with `fresh` the scale is computed anew (a new design).
  void setDesign(const EmbDesign& design, bool fresh);
  // The records before `position` (the whole design for 0 or less), with the needle after them.
  void showUpTo(std::int64_t position);
  std::int64_t shownPosition() const { return position_; }
  void setLook(bool shaded, bool showJumps);
  void setBackground(std::uint32_t rgb);
  // The selected block's bounds, framed while the whole design is shown.
  void setFrame(std::optional<StopBounds> frame);

  const EmbDesign& shownDesign() const { return shown_; }
  const PreviewGeometry& geometry() const { return geometry_; }
  // The picture as painted (without frame and needle mark).
  QImage image() const;
  // The colour block at pane pixel (x, y), as a click reports it.
  int blockAt(int x, int y) const;

 signals:
  void blockClicked(int block);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  void redraw();
  void fit();

  DisplayPalette& palette_;
  EmbDesign shown_;
  PreviewGeometry geometry_;
  std::unique_ptr<PreviewPainter> painter_;
  std::int64_t position_ = 0;
  NeedleWalk needle_;  // the needle after the records drawn
  std::optional<StopBounds> frame_;
  bool shaded_ = true;
  bool showJumps_ = false;
  std::uint32_t background_ = 0xEBFFFF;
};

// The strip of coloured segments, one per block of the design shown, in sewing order.
class ColorBarStrip : public QWidget {
 public:
  explicit ColorBarStrip(QWidget* parent = nullptr) : QWidget(parent) {}
  void setDesign(const EmbDesign& design);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::vector<ThreadColor> threads_;
  std::int64_t stitchCount_ = 0;
};

}  // namespace lh
