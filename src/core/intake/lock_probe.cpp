#include "core/intake/lock_probe.h"

#include "core/base/platform.h"

namespace velmora::intake {

namespace {
// The engine's reserved byte: a writer holds it from its first write until its commit; readers never do.
constexpr long long kReservedByte = 0x40000001LL;
}  // namespace

bool HeldForWriting(const std::string& file) { return base::platform::ByteLockedByAnother(file, kReservedByte); }

}  // namespace velmora::intake
