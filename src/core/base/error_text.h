#pragma once
// The message of a failure the program did not foresee.

#include <string>
#include <string_view>

namespace velmora::base {

// "运行中发生错误：" + what: the bare form, for callers that add their own ending.
inline std::string RunErrorText(std::string_view what) { return "运行中发生错误：" + std::string(what); }

// The failure with the advice to ask the program's publisher.
inline std::string PublisherErrorText(std::string_view what) {
  return RunErrorText(what) + ",请与软件发行者联系。";
}

// The failure with the advice to ask the system administrator or the program's publisher.
inline std::string AdministratorErrorText(std::string_view what) {
  return RunErrorText(what) + ",请与系统管理员或软件发行者联系。";
}

}  // namespace velmora::base
