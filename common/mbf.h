#pragma once

#include <cstdint>

namespace qv {

// MBF numbers, the number type of MetaStock files: 4 bytes, byte 3 the exponent
// (0 means the value 0, otherwise the value is 0.1mmm... x 2^(exponent - 128)),
// byte 2 bit 7 the sign, byte 2 bits 0 to 6 with bytes 1 and 0 the mantissa
// (high to low, the leading 1 implied). IEEE single precision numbers are the 4
// little-endian bytes of a float.

// Always succeeds: every MBF number has an IEEE form. The two smallest MBF
// exponents fall below the normal IEEE range and give the matching denormal.
void mbf_to_ieee(const std::uint8_t* mbf, std::uint8_t* ieee);

// 0 when converted; 1, with the output left untouched, when the value has no
// MBF form: it is too large (IEEE exponent 254), infinite or not a number.
// Zero and values below the smallest MBF number give four zero bytes.
int ieee_to_mbf(const std::uint8_t* ieee, std::uint8_t* mbf);

float mbf_to_float(const std::uint8_t* mbf);
// False, with the output left untouched, when the value has no MBF form.
bool float_to_mbf(float value, std::uint8_t* mbf);

}  // namespace qv
