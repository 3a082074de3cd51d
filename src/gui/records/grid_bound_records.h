#pragma once
// The main window's record list as the entry form's record set.

#include <cstdint>
#include <optional>

#include "core/db/variant.h"
#include "gui/entry/bound_records.h"

namespace velmora::gui {

class RecordGrid;

// The main window's record list as the form's record set.
class GridBoundRecords : public BoundRecords {
 public:
  explicit GridBoundRecords(RecordGrid& grid) : grid_(grid) {}
  std::optional<db::Variant> currentKey() override;
  std::int64_t recordCount() override;
  std::int64_t position() override;
  void moveTo(std::int64_t position) override;
  void requery() override;
  void moveToKey(const db::Variant& key) override;

 private:
  RecordGrid& grid_;
};

}  // namespace velmora::gui
