#pragma once
// Moved to gui/widgets; this name stays for the gallery and the benchmarks that include it here.
#include "gui/widgets/progress_bar_2line_form.h"
