#include "support/exchange_fixture.h"

#include "core/exchange/reporting_package.h"
#include "core/records/generator.h"

namespace velmora::testing {

namespace fs = std::filesystem;

ExchangeFixture::ExchangeFixture() {
  fs::create_directories(program());
  fs::create_directories(dir / "docs");
  fs::copy_file(ShippedDatabase(), program() / "2012Velmora.mdb");
  fs::copy_file(PackageTemplate(), program() / "view.dll");
  open(unit, makeUnitDatabase("unit.mdb", 20));
  open(upper, dir.copyOfShipped("upper.mdb"));
}

void ExchangeFixture::open(Office& office, const fs::path& file) {
  office.file = file;
  office.session = std::make_unique<session::DatabaseSession>(program().string(), office.prompts);
  office.session->setPersonalFolder((dir / "docs").string());
  ASSERT_TRUE(office.session->OpenDatabase(file.string()));
}

fs::path ExchangeFixture::makeUnitDatabase(const std::string& name, std::int64_t records, std::uint64_t seed) {
  GenerateOptions options;
  options.records = records;
  options.seed = seed;
  options.faultyPercent = 0;
  const fs::path file = dir / name;
  GenerateDatabase(ShippedDatabase().string(), file.string(), options);
  return file;
}

fs::path ExchangeFixture::exportPackage(const std::string& name, const std::string& label) {
  const fs::path file = dir / name;
  exchange::WritePackage(*unit.session, file.string(), label);
  return file;
}

std::set<std::string> ExchangeFixture::Entries(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().string());
  return names;
}

}  // namespace velmora::testing
