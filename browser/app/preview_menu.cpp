#include "browser/app/preview_menu.h"

#include <QAction>
#include <QMenu>

#include "browser/view_core/design_cell.h"

namespace lh {

std::unique_ptr<QMenu> buildPreviewMenu(const PreviewCommands& commands, bool colourListShown, QWidget* parent) {
  auto menu = std::make_unique<QMenu>(parent);
  menu->setObjectName(colourListShown ? "PREVIEW2" : "PREVIEW");
  const bool jumps = commands.jumps != nullptr && commands.jumps->isChecked();
  const bool shaded = commands.shading != nullptr && commands.shading->isChecked();
  const std::vector<std::string> texts = previewMenuTexts(jumps, shaded, colourListShown);
  const std::vector<QAction*> targets =
      colourListShown ? std::vector<QAction*>{commands.colourList}
                      : std::vector<QAction*>{commands.jumps, commands.shading, commands.colourList};
  for (std::size_t i = 0; i < texts.size() && i < targets.size(); ++i) {
    QAction* target = targets[i];
    QAction* item = menu->addAction(QString::fromStdString(texts[i]));
    item->setEnabled(target != nullptr && target->isEnabled());
    if (target != nullptr) QObject::connect(item, &QAction::triggered, target, [target] { target->trigger(); });
  }
  return menu;
}

void execPreviewMenu(const PreviewCommands& commands, bool colourListShown, const QPoint& globalPos,
                     QWidget* parent) {
  const std::unique_ptr<QMenu> menu = buildPreviewMenu(commands, colourListShown, parent);
  menu->exec(globalPos);
}

}  // namespace lh
