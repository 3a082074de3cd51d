#pragma once
// The operating-system calls behind the files the program writes, by the name the files area uses:
// they live in the platform unit (core/base/platform.h), with every other system call.

#include "core/base/platform.h"

namespace velmora::files {
namespace native = base::platform;
}  // namespace velmora::files
