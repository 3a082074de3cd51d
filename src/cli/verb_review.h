#pragma once
// velmora-cli review: this year's records against last year's (a file, or the previous-year table),
// with the findings of the Hidiroglou–Berthelot test and the zero transitions; velmora-cli roster:
// the units matched, new this year and not reported yet.

namespace velmora::cli {

struct VerbCall;

// "matched: N", "new: N", "missing: N", then one "finding: <c901>\t<field>\t<kind>\t<last>\t<this>\t
// <ratio>\t<score>" per finding (verified ones only with --all), "skipped: <field>\t<reason>" per field
// not tested, and "findings: N".
int RunReview(VerbCall& call);
// The three counts and one "unit: new|missing\t<c901>\t<c902>" per unit.
int RunRoster(VerbCall& call);

}  // namespace velmora::cli
