#pragma once
// Where windows keep their positions and options. A location beginning with
// "\Software\" names a key of the current user's settings (a file under the
// user's configuration folder, one per key path); any other text names an
// INI file.

#include <QString>
#include <QVariant>
#include <memory>

class QSettings;

namespace valmoro::settings {

class SettingsStore {
public:
  explicit SettingsStore(const QString& location);
  ~SettingsStore();
  SettingsStore(const SettingsStore&) = delete;
  SettingsStore& operator=(const SettingsStore&) = delete;

  // The file the values live in.
  QString fileName() const;
  // Values by section and key; a missing value gives the default.
  QVariant value(const QString& section, const QString& key, const QVariant& defaultValue = QVariant()) const;
  void setValue(const QString& section, const QString& key, const QVariant& value);
  void remove(const QString& section, const QString& key = QString());
  // Writes pending changes to the file.
  void sync();

  // The file a location stands for (see above).
  static QString fileFor(const QString& location);

private:
  std::unique_ptr<QSettings> settings_;
};

}  // namespace valmoro::settings
