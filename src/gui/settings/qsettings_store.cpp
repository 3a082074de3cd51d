#include "gui/settings/qsettings_store.h"

#include <QIODevice>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <cmath>
#include <limits>

namespace velmora::gui {

namespace {

using settings::SettingValue;

// JSON numbers are doubles: whole numbers in the 32-bit range are integers, anything else stays a
// double (and therefore reads as text, never as an integer).
QVariant FromJson(const QJsonValue& v) {
  switch (v.type()) {
    case QJsonValue::Bool: return v.toBool();
    case QJsonValue::String: return v.toString();
    case QJsonValue::Double: {
      double d = v.toDouble();
      if (std::floor(d) == d && d >= std::numeric_limits<int>::min() && d <= std::numeric_limits<int>::max())
        return static_cast<int>(d);
      return d;
    }
    default: return {};
  }
}

void Flatten(const QJsonObject& object, const QString& prefix, QSettings::SettingsMap& map) {
  for (auto it = object.begin(); it != object.end(); ++it) {
    QString key = prefix.isEmpty() ? it.key() : prefix + '/' + it.key();
    if (it.value().isObject())
      Flatten(it.value().toObject(), key, map);
    else if (QVariant v = FromJson(it.value()); v.isValid())
      map.insert(key, v);
  }
}

bool ReadJson(QIODevice& device, QSettings::SettingsMap& map) {
  QByteArray bytes = device.readAll();
  if (bytes.trimmed().isEmpty()) return true;
  QJsonParseError error{};
  QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
  if (error.error != QJsonParseError::NoError || !doc.isObject()) return false;
  Flatten(doc.object(), QString(), map);
  return true;
}

QJsonValue ToJson(const QVariant& v) {
  switch (v.typeId()) {
    case QMetaType::Bool: return v.toBool();
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double: return v.toDouble();
    default: return v.toString();
  }
}

void Insert(QJsonObject& object, QStringList path, const QVariant& value) {
  QString head = path.takeFirst();
  if (path.isEmpty()) {
    object.insert(head, ToJson(value));
    return;
  }
  QJsonObject child = object.value(head).toObject();
  Insert(child, path, value);
  object.insert(head, child);
}

bool WriteJson(QIODevice& device, const QSettings::SettingsMap& map) {
  QJsonObject root;
  for (auto it = map.begin(); it != map.end(); ++it) Insert(root, it.key().split('/'), it.value());
  return device.write(QJsonDocument(root).toJson(QJsonDocument::Indented)) >= 0;
}

std::optional<SettingValue> ToSetting(const QVariant& v) {
  if (!v.isValid()) return std::nullopt;
  switch (v.typeId()) {
    case QMetaType::Bool: return SettingValue(v.toBool());
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong: {
      bool ok = false;
      qlonglong n = v.toLongLong(&ok);
      if (ok && n >= std::numeric_limits<int>::min() && n <= std::numeric_limits<int>::max())
        return SettingValue(static_cast<int>(n));
      break;
    }
    default: break;
  }
  // Text, and anything that is neither an integer nor a boolean, reads as its text.
  return SettingValue(v.toString().toStdString());
}

QVariant ToVariant(const SettingValue& value) {
  if (const int* n = std::get_if<int>(&value)) return *n;
  if (const bool* b = std::get_if<bool>(&value)) {
#ifdef Q_OS_WIN
    return *b ? 1 : 0;  // the registry has no booleans
#else
    return *b;
#endif
  }
  return QString::fromStdString(std::get<std::string>(value));
}

}  // namespace

QSettings::Format QSettingsStore::TypedFileFormat() {
  static const QSettings::Format format = QSettings::registerFormat("json", ReadJson, WriteJson, Qt::CaseInsensitive);
  return format;
}

QSettings::Format QSettingsStore::Format() {
#ifdef Q_OS_WIN
  return QSettings::NativeFormat;
#else
  return TypedFileFormat();
#endif
}

QSettingsStore::QSettingsStore()
    : settings_(std::make_unique<QSettings>(Format(), QSettings::UserScope, "Tarnwick", "Velmora")) {}

QSettingsStore::QSettingsStore(const QString& fileName)
    : settings_(std::make_unique<QSettings>(fileName, TypedFileFormat())) {}

QSettingsStore::~QSettingsStore() = default;

QString QSettingsStore::fileName() const { return settings_->fileName(); }

QString QSettingsStore::KeyOf(settings::RegRoot root, const std::string& key, const std::string& name) {
  QString group = QString::fromStdString(settings::SettingsGroupFor(root, key));
  QString value = QString::fromStdString(name);
  return group.isEmpty() ? value : group + '/' + value;
}

std::optional<SettingValue> QSettingsStore::read(settings::RegRoot root, const std::string& key,
                                                 const std::string& name) const {
  return ToSetting(settings_->value(KeyOf(root, key, name)));
}

void QSettingsStore::write(settings::RegRoot root, const std::string& key, const std::string& name,
                           const SettingValue& value) {
  settings_->setValue(KeyOf(root, key, name), ToVariant(value));
  settings_->sync();
  if (settings_->status() == QSettings::AccessError)
    throw settings::SettingsError("无法写入设置\"" + name + "\"：" + settings_->fileName().toStdString());
}

}  // namespace velmora::gui
