#include "settings_store.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

namespace valmoro::settings {

QString SettingsStore::fileFor(const QString& location) {
  static const QString kUserKey = QStringLiteral("\\Software\\");
  if (!location.startsWith(kUserKey, Qt::CaseInsensitive)) return location;
  // The key path becomes folders under the user's configuration folder.
  QStringList parts = location.mid(1).split(QLatin1Char('\\'), Qt::SkipEmptyParts);
  for (QString& part : parts) part.replace(QLatin1Char('/'), QLatin1Char('_'));
  const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  return QDir(base).filePath(parts.join(QLatin1Char('/')) + QStringLiteral(".ini"));
}

SettingsStore::SettingsStore(const QString& location)
    : settings_(std::make_unique<QSettings>(fileFor(location), QSettings::IniFormat)) {}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::fileName() const { return settings_->fileName(); }

namespace {
QString keyOf(const QString& section, const QString& key) {
  return key.isEmpty() ? section : section + QLatin1Char('/') + key;
}
}  // namespace

QVariant SettingsStore::value(const QString& section, const QString& key, const QVariant& defaultValue) const {
  return settings_->value(keyOf(section, key), defaultValue);
}

void SettingsStore::setValue(const QString& section, const QString& key, const QVariant& value) {
  settings_->setValue(keyOf(section, key), value);
}

void SettingsStore::remove(const QString& section, const QString& key) { settings_->remove(keyOf(section, key)); }

void SettingsStore::sync() { settings_->sync(); }

}  // namespace valmoro::settings
