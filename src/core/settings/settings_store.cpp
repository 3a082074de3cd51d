#include "core/settings/settings_store.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "core/base/text.h"

namespace velmora::settings {

namespace {

std::vector<std::string> KeyParts(const std::string& key) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : key) {
    if (c == '\\' || c == '/') {
      if (!part.empty()) parts.push_back(std::move(part));
      part.clear();
    } else {
      part += c;
    }
  }
  if (!part.empty()) parts.push_back(std::move(part));
  return parts;
}

const char* RootName(RegRoot root) { return root == RegRoot::LocalMachine ? "LocalMachine" : "CurrentUser"; }

SettingsStore* g_installed = nullptr;

}  // namespace

std::string NormaliseKeyPath(const std::string& key) {
  std::string out;
  for (const std::string& part : KeyParts(key)) {
    if (!out.empty()) out += '\\';
    out += part;
  }
  return out;
}

std::string SettingsGroupFor(RegRoot root, const std::string& key) {
  static const char* const kProgram[] = {"software", "tarnwick", "velmora"};
  std::vector<std::string> parts = KeyParts(key);
  bool underProgram = parts.size() >= 3;
  for (std::size_t i = 0; underProgram && i < 3; ++i) underProgram = base::Lower(parts[i]) == kProgram[i];

  std::string group;
  std::size_t first = 0;
  if (underProgram) {
    first = 3;
  } else {
    group = std::string("Keys/") + RootName(root);
  }
  for (std::size_t i = first; i < parts.size(); ++i) {
    if (!group.empty()) group += '/';
    group += parts[i];
  }
  return group;
}

MemorySettingsStore::Address MemorySettingsStore::AddressOf(RegRoot root, const std::string& key,
                                                            const std::string& name) {
  return {std::string(RootName(root)) + "\\" + base::Lower(NormaliseKeyPath(key)), base::Lower(name)};
}

std::optional<SettingValue> MemorySettingsStore::read(RegRoot root, const std::string& key,
                                                      const std::string& name) const {
  auto it = values_.find(AddressOf(root, key, name));
  if (it == values_.end()) return std::nullopt;
  return it->second;
}

void MemorySettingsStore::write(RegRoot root, const std::string& key, const std::string& name,
                                const SettingValue& value) {
  values_[AddressOf(root, key, name)] = value;
}

SettingsStore& CurrentStore() {
  static MemorySettingsStore fallback;
  return g_installed ? *g_installed : fallback;
}

void InstallStore(SettingsStore* store) { g_installed = store; }

ScopedStore::ScopedStore(SettingsStore& store) : previous_(g_installed) { g_installed = &store; }
ScopedStore::~ScopedStore() { g_installed = previous_; }

}  // namespace velmora::settings
