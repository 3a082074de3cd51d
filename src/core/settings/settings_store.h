#pragma once
// Where the program's persistent settings live. Settings are addressed like registry values: a
// root, a key path ("\SOFTWARE\Tarnwick\Velmora\Options\EnvSetting") and a value name. The
// program installs one store at start (QSettings in the windowed program); tests and the command
// line use the in-memory store.

#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <variant>

namespace velmora::settings {

enum class RegRoot { LocalMachine, CurrentUser };

// A stored value keeps its type: text, a 32-bit integer or a boolean.
using SettingValue = std::variant<std::string, int, bool>;

// A read of a value of the wrong type or a write the store refused.
class SettingsError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  // The value, or nullopt when the value or its key is absent. Never creates the key.
  virtual std::optional<SettingValue> read(RegRoot root, const std::string& key, const std::string& name) const = 0;
  // Writes the value, creating the key when absent; throws SettingsError when refused.
  virtual void write(RegRoot root, const std::string& key, const std::string& name, const SettingValue& value) = 0;
};

// Keys and value names compare without regard to ASCII case, and key paths without regard to
// leading, trailing or doubled backslashes, as in the registry.
class MemorySettingsStore : public SettingsStore {
 public:
  std::optional<SettingValue> read(RegRoot root, const std::string& key, const std::string& name) const override;
  void write(RegRoot root, const std::string& key, const std::string& name, const SettingValue& value) override;

  // Number of values held, over all keys.
  std::size_t size() const { return values_.size(); }
  void clear() { values_.clear(); }

 private:
  using Address = std::pair<std::string, std::string>;  // "<root>\<normalised key>", lower-case name
  static Address AddressOf(RegRoot root, const std::string& key, const std::string& name);
  std::map<Address, SettingValue> values_;
};

// The key path with single backslashes between its parts and none at either end.
std::string NormaliseKeyPath(const std::string& key);

// The settings group a key maps to in a per-user settings file: the program's key
// ("\SOFTWARE\Tarnwick\Velmora", any root) is the top level ("") and its sub-keys are groups
// ("Options/EnvSetting", "Data"); any other key becomes "Keys/<root>/<path with slashes>".
// Both roots share the program's group: settings live in user scope.
std::string SettingsGroupFor(RegRoot root, const std::string& key);

// The store every settings function uses. Until a store is installed this is a process-wide
// in-memory store.
SettingsStore& CurrentStore();
// Makes `store` current (nullptr: back to the process-wide in-memory store). The store must live
// until it is replaced.
void InstallStore(SettingsStore* store);

// Installs a store for the lifetime of this object and puts the previous one back afterwards.
class ScopedStore {
 public:
  explicit ScopedStore(SettingsStore& store);
  ~ScopedStore();
  ScopedStore(const ScopedStore&) = delete;
  ScopedStore& operator=(const ScopedStore&) = delete;

 private:
  SettingsStore* previous_;
};

}  // namespace velmora::settings
