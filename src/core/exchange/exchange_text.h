#pragma once
// Small text helpers of the exchange routines' messages and answers.

#include <string>

namespace velmora::exchange {

// A path as messages name it: between Chinese quotation marks.
inline std::string Quoted(const std::string& path) { return "“" + path + "”"; }

}  // namespace velmora::exchange
