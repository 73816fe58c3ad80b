#pragma once
// The data of a drag out of the thumbnail grid. Other programs get the selected files as a
// URI list, made only when a drop target asks for it (archive members are extracted then);
// while the drag is over one of the browser's own windows the data is only the text
// "local data", and the window takes the grid's selection itself.
#include <QMimeData>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace lh {

inline constexpr char kLocalDragText[] = "local data";
// The format that tells a drop target to copy rather than move (a little-endian 1).
inline constexpr char kPreferredDropEffect[] = "application/x-qt-windows-mime;value=\"Preferred DropEffect\"";

class GridDragData : public QMimeData {
  Q_OBJECT

 public:
  using HandOut = std::function<std::vector<std::string>()>;
  explicit GridDragData(HandOut handOut);

  // The drag is over one of the browser's own windows (true) or elsewhere.
  void setLocal(bool local) { local_ = local; }
  bool isLocal() const { return local_; }

  QStringList formats() const override;
  bool hasFormat(const QString& mimeType) const override;

 protected:
  QVariant retrieveData(const QString& mimeType, QMetaType type) const override;

 private:
  const QList<QUrl>& urlList() const;

  HandOut handOut_;
  bool local_ = false;
  mutable std::optional<QList<QUrl>> urls_;  // made once, on the first request
};

}  // namespace lh
