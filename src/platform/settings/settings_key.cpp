#include "platform/settings/settings_key.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <limits>

namespace platform::settings {

struct SettingsKey::Impl {
  QSettings settings{QSettings::NativeFormat, QSettings::UserScope, "vkdo", "VSTL"};
};

SettingsKey::SettingsKey(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
SettingsKey::~SettingsKey() = default;

std::unique_ptr<SettingsKey> SettingsKey::Open() {
  auto impl = std::make_unique<Impl>();
  if (impl->settings.status() != QSettings::NoError) {
    return nullptr;
  }
  const QFileInfo file(impl->settings.fileName());
  if (!QDir().mkpath(file.absolutePath())) {
    return nullptr;
  }
  return std::unique_ptr<SettingsKey>(new SettingsKey(std::move(impl)));
}

std::optional<int32_t> SettingsKey::Read(const char* name) const {
  const QVariant value = impl_->settings.value(QString::fromLatin1(name));
  if (!value.isValid()) {
    return std::nullopt;
  }
  bool ok = false;
  const qlonglong number = value.toString().trimmed().toLongLong(&ok);
  if (!ok || number < std::numeric_limits<int32_t>::min() || number > std::numeric_limits<int32_t>::max()) {
    return std::nullopt;
  }
  return static_cast<int32_t>(number);
}

void SettingsKey::Write(const char* name, int32_t value) {
  impl_->settings.setValue(QString::fromLatin1(name), static_cast<int>(value));
}

bool SettingsKey::Close() {
  impl_->settings.sync();
  return impl_->settings.status() == QSettings::NoError;
}

std::string SettingsKey::Path() {
  const QSettings settings(QSettings::NativeFormat, QSettings::UserScope, "vkdo", "VSTL");
  return settings.fileName().toStdString();
}

}  // namespace platform::settings
