#pragma once
// Cover texts of generated records: union names, persons and telephone numbers built from word
// lists. The texts are written into buffers the caller reuses, so no memory is taken per record
// once the buffers have grown.

#include <string>

#include "core/records/generator_random.h"

namespace velmora::generator {

// "<place><firm or institution>工会", fitting the unit category: firms for enterprises, schools and
// hospitals for institutions, offices for government organs, associations, communities. `place`
// is the name of the division (e.g. "长安区"); it must not contain apostrophes or quotes.
void MakeUnionName(Random& random, const std::string& place, int unitCategory, std::string& out);

// A Chinese person's name: a common surname and a one- or two-character given name.
void MakePersonName(Random& random, std::string& out);

// A telephone number of the province `provinceCode` (the first two digits of a division code):
// a landline "area-number" or a mobile number; digits and '-' only.
void MakePhoneNumber(Random& random, int provinceCode, std::string& out);

}  // namespace velmora::generator
