#include "platform/qt_settings_store.h"

#include <QSettings>
#include <QString>

namespace lh {

namespace {

QString keyOf(std::string_view section, std::string_view key) {
  QString k = QString::fromUtf8(section.data(), static_cast<qsizetype>(section.size()));
  k += QLatin1Char('/');
  k += QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size()));
  return k;
}

}  // namespace

QtSettingsStore::QtSettingsStore(std::string_view application)
    : settings_(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Quenby"),
                                            QString::fromUtf8(application.data(),
                                                              static_cast<qsizetype>(application.size())))) {}

QtSettingsStore::~QtSettingsStore() = default;

int QtSettingsStore::getInt(std::string_view section, std::string_view key, int defaultValue) const {
  const QVariant v = settings_->value(keyOf(section, key));
  if (!v.isValid()) return defaultValue;
  bool ok = false;
  const int i = v.toInt(&ok);
  return ok ? i : defaultValue;
}

std::string QtSettingsStore::getString(std::string_view section, std::string_view key,
                                       std::string_view defaultValue) const {
  const QVariant v = settings_->value(keyOf(section, key));
  return v.isValid() ? v.toString().toStdString() : std::string(defaultValue);
}

void QtSettingsStore::setInt(std::string_view section, std::string_view key, int value) {
  settings_->setValue(keyOf(section, key), value);
}

void QtSettingsStore::setString(std::string_view section, std::string_view key, std::string_view value) {
  settings_->setValue(keyOf(section, key), QString::fromUtf8(value.data(), static_cast<qsizetype>(value.size())));
}

void QtSettingsStore::copyTo(SettingsStore& into) const {
  for (const QString& k : settings_->allKeys()) {
    const qsizetype slash = k.indexOf(QLatin1Char('/'));
    const std::string section = slash < 0 ? std::string("General") : k.left(slash).toStdString();
    const std::string key = (slash < 0 ? k : k.mid(slash + 1)).toStdString();
    into.setString(section, key, settings_->value(k).toString().toStdString());
  }
}

void QtSettingsStore::sync() { settings_->sync(); }

std::string QtSettingsStore::fileName() const { return settings_->fileName().toStdString(); }

}  // namespace lh
