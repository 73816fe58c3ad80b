#pragma once
// The preview pane's context menus: "PREVIEW" (jump stitches, Instant 3D, colour list), whose
// first two items name what they switch to, and "PREVIEW2" with only "Show Image" while the
// colour list is shown. Each item triggers the View menu's command of the same meaning, so
// the check marks and the stored settings follow.
#include <QPoint>
#include <memory>

class QAction;
class QMenu;
class QWidget;

namespace lh {

struct PreviewCommands {
  QAction* jumps = nullptr;       // "Preview Jump stitches" (checkable)
  QAction* shading = nullptr;     // "3D Preview" (checkable)
  QAction* colourList = nullptr;  // "Color Display"
};

std::unique_ptr<QMenu> buildPreviewMenu(const PreviewCommands& commands, bool colourListShown,
                                        QWidget* parent = nullptr);
// Builds the menu and runs it at `globalPos`.
void execPreviewMenu(const PreviewCommands& commands, bool colourListShown, const QPoint& globalPos,
                     QWidget* parent);

}  // namespace lh
