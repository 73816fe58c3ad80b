#include "browser/app/grid_drag.h"

#include <QUrl>

namespace lh {

GridDragData::GridDragData(HandOut handOut) : handOut_(std::move(handOut)) {}

QStringList GridDragData::formats() const {
  if (local_) return {QStringLiteral("text/plain")};
  return {QStringLiteral("text/uri-list"), QString::fromLatin1(kPreferredDropEffect)};
}

bool GridDragData::hasFormat(const QString& mimeType) const { return formats().contains(mimeType); }

const QList<QUrl>& GridDragData::urlList() const {
  if (!urls_) {
    urls_.emplace();
    for (const std::string& path : handOut_()) urls_->push_back(QUrl::fromLocalFile(QString::fromStdString(path)));
  }
  return *urls_;
}

QVariant GridDragData::retrieveData(const QString& mimeType, QMetaType type) const {
  if (local_) return mimeType == QLatin1String("text/plain") ? QVariant(QString::fromLatin1(kLocalDragText)) : QVariant();
  if (mimeType == QLatin1String("text/uri-list")) {
    if (type.id() == QMetaType::QByteArray) {
      QByteArray list;
      for (const QUrl& url : urlList()) list += url.toEncoded() + "\r\n";
      return list;
    }
    QList<QVariant> urls;
    for (const QUrl& url : urlList()) urls.push_back(url);
    return urls;
  }
  if (mimeType == QLatin1String(kPreferredDropEffect)) return QByteArray("\x01\x00\x00\x00", 4);
  return {};
}

}  // namespace lh
