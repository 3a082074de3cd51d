#pragma once
// The cover page's messages.

namespace velmora::entry::msg {

inline constexpr const char* kCodeRequired = "必须输入基层工会统计编码";
inline constexpr const char* kCodeTwelveDigits = "本级工会编码必须大于100000000000且必须为12位!";
inline constexpr const char* kDuplicateWhileAdding = "在增加数据时，填写的工会顺序编码为";
inline constexpr const char* kDuplicateWhileModifying = "在修改数据时，将工会顺序编码改为";
inline constexpr const char* kDuplicateTail = "，该编码的数据已经存在，请改用其它编码。";

inline constexpr const char* kNameRequired = "必须输入本级工会名称";         // leaving c902
inline constexpr const char* kUnionNameRequired = "必须输入基层工会名称";    // the whole cover
inline constexpr const char* kFillerRequired = "必须输入填表人";
inline constexpr const char* kTelephoneRequired = "必须输入联系电话";
inline constexpr const char* kCityInvalid = "输入的行政区划代码错误，请重新输入，或用对话框选择";
inline constexpr const char* kIndustryInvalid = "输入的国民经济行业分类代码不合法，请重新输入或通过列表选择";
inline constexpr const char* kHoldSituationRequired = "必须填写控股情况";
inline constexpr const char* kUnionDomainInvalid = "输入的单位产业类别代码不合法，请重新输入或通过列表选择";

// Leaving the field.
inline constexpr const char* kLevelInvalidOnExit = "输入的基层工会组织类型代码不合法，请重新输入或通过列表选择";
inline constexpr const char* kEconomicInvalidOnExit = "输入的单位类别代码不合法，请重新输入或通过列表选择";
inline constexpr const char* kHoldSituationInvalid = "输入的控股情况类型代码不合法，请重新输入或通过列表选择";
inline constexpr const char* kStateInvalidOnExit = "输入的填报状态代码不合法，请重新输入或通过列表选择";
inline constexpr const char* kUnionDomainLength = "请注意,长度应该是3";
inline constexpr const char* kUnionDomainDigits = "后二位应该是数字";

// The whole cover.
inline constexpr const char* kLevelInvalid = "输入的工会组织类型代码不合法，请重新输入或通过列表选择";
inline constexpr const char* kEconomicInvalid =
    "输入的基层工会所在单位（或单位主体）的单位类别代码不合法，请重新输入或通过列表选择";
inline constexpr const char* kStateInvalid = "输入的基层工会本年度的填报状态代码不合法，请重新输入或通过列表选择";

}  // namespace velmora::entry::msg
