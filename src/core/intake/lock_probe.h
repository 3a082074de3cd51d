#pragma once
// Whether another program holds a database file locked for writing. The engine takes byte-range
// locks in a region far beyond the data (at 1 GiB): a lock of its "reserved" byte means a write
// transaction is under way.

#include <string>

namespace velmora::intake {

// True when another process holds the reserved lock of `file`. Never takes a lock
// itself and never writes; false when it cannot tell.
bool HeldForWriting(const std::string& file);

}  // namespace velmora::intake
