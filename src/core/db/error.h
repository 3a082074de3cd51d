#pragma once
#include <stdexcept>
#include <string>

namespace velmora::db {

// Every engine failure: carries the engine's own text.
class DbError : public std::runtime_error {
 public:
  explicit DbError(const std::string& what, int code = 0) : std::runtime_error(what), code_(code) {}
  int code() const { return code_; }

 private:
  int code_;
};

}  // namespace velmora::db
