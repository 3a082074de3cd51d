#pragma once
// Moved to gui/widgets; this name stays for the gallery and the benchmarks that include it here.
#include "gui/widgets/valid_edit.h"
