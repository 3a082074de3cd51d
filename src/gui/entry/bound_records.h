#pragma once
// The record set the entry form shows and steps through: the opener's list. The form reads the
// current record's code, moves the current row when navigating and has the list read again after
// every store.

#include <cstdint>
#include <optional>

#include "core/db/variant.h"

namespace velmora::gui {

class BoundRecords {
 public:
  virtual ~BoundRecords() = default;
  // c901 of the current row; nullopt when the set is empty.
  virtual std::optional<db::Variant> currentKey() = 0;
  virtual std::int64_t recordCount() = 0;
  // 1-based position of the current row; 0 when the set is empty.
  virtual std::int64_t position() = 0;
  virtual void moveTo(std::int64_t position) = 0;
  // Reads the records again and returns to the current record (the last row when it is gone).
  virtual void requery() = 0;
  // Makes the record with this c901 the current row when it is in the set.
  virtual void moveToKey(const db::Variant& key) = 0;
};

}  // namespace velmora::gui
