#pragma once
// The edition settings: five program-wide values fixed each time a database is opened; they select
// this edition's variant of the program.

namespace velmora::session {

struct EditionSettings {
  int EditionFullFeatures = 1;
  int EditionOffline = 1;
  int EditionStateC912 = 1;
  int EditionCompanionTable = 0;
  int EditionCsvImportLevel = 2;
};

}  // namespace velmora::session
