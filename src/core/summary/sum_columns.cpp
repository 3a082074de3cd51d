#include "core/summary/sum_columns.h"

#include <array>
#include <cstdio>

namespace velmora::summary {

namespace {

// The columns of each worksheet, in the order of its column headings.
const std::array<std::vector<std::string_view>, kLastSummarySheet + 1> kSheetColumns = {{
    {},  // unused
    {},  // 1 封面
    // 2 表一  工会组织建设状况(1)
    {"count(*) as cnt", "sum((2-c904)*(3-c904)/2) as sum_c904_1", "sum((c904-1)*(3-c904)) as sum_c904_2",
     "S z001-z009"},
    // 3 表一  工会组织建设状况(2)
    {"S z010-z019"},
    // 4 表一  工会组织建设状况(3)
    {"S z020-z021", "sum(iif(z003>0,1,0)) as count_z003",
     "iif(sum(iif(z003>0,1,0))>0,sum(z022*(2-z022)+int(z022/2))/sum(iif(z003>0,1,0)),) as percent_z003",
     "Y z022", "sum(int(z022/2)) as sum_z022_2", "sum((2-z022)*(1-z022)/2) as sum_z022_3", "S z023-z024"},
    // 5 表二  工会保障工作(1)
    {"S b001-b009"},
    // 6 表二  工会保障工作(2)
    {"YN b010", "S b011-b019"},
    // 7 表二  工会保障工作(3)
    {"S b020-b025", "YN b026"},
    // 8 表二  工会保障工作(4)
    {"YN b027", "YN b028", "S b029"},
    // 9 表三  合同和民主管理(1)
    {"sum(int((h001+h001)/(h001+1))) as count_h001", "sum((z001)*int((h001+h001)/(h001+1))) as sum_h0010",
     "S h001-h003", "Y h004", "sum(z001*h004*(2-h004)) as sum_h004_z001", "Y h005",
     "sum(z001*h005*(2-h005)) as sum_h005_z001"},
    // 10 表三  合同和民主管理(2)
    {"Y h006", "sum(z001*h006*(2-h006)) as sum_h006_1_z001", "sum(z002*h006*(2-h006)) as sum_h006_1_z002",
     "sum(int(h006/2)) as sum_h006_2", "sum(z001*(int(h006/2))) as sum_h006_2_z001",
     "sum(z002*(int(h006/2))) as sum_h006_2_z002", "sum(h006*(2-h006)+int(h006/2)) as sum_h006_3",
     "sum(z001*(h006*(2-h006)+int(h006/2))) as sum_h006_3_z001",
     "sum(z002*(h006*(2-h006)+int(h006/2))) as sum_h006_3_z002"},
    // 11 表三  合同和民主管理(3)
    {"Y h007", "sum(z001*h007*(2-h007)) as sum_h007_z001", "S h008-h009", "YN h010",
     "sum(z001*h010*(2-h010)) as sum_h010_z001", "sum(z002*h010*(2-h010)) as sum_h010_z002",
     "sum(z001*h011*(2-h011)) as sum_h011_z001", "S h012-h015"},
    // 12 表三  合同和民主管理(4)
    {"YN h016", "sum(z001*h017*(2-h017)) as sum_h017_z001", "S h018-h021", "YN h022"},
    // 13 表四  劳动保护(1)
    {"YN l001", "S l002-l005"},
    // 14 表四  劳动保护(2)
    {"S l006-l008", "YN l009", "YN l010"},
    // 15 表五  工会法律工作(1)
    {"YN f001", "YN f002", "YN f003", "S f004-f008", "YN f009", "S f010-f012"},
    // 16 表五  工会法律工作(2)
    {"S f013-f026"},
    // 17 表六  工会经济技术工作(1)
    {"S j001-j006", "YN j007", "S j008-j013"},
    // 18 表六  工会经济技术工作(2)
    {"S j014-j015", "YN j016", "YN j017", "S j018-j019", "YN j020", "S j021", "YN j022", "S j023"},
    // 19 表七  职工文化体育工作
    {"S w001-w003", "YN w004"},
    // 20 表八  工会经审工作
    {"Y s001", "sum(int(s001/2)) as sum_s001_2", "sum((2-s001)*(1-s001)/2) as sum_s001_3", "YN s002", "YN s003",
     "YN s004"},
}};

const std::array<const char*, kLastSummarySheet + 1> kSheetTitles = {
    "", "封面", "表一  工会组织建设状况(1)", "表一  工会组织建设状况(2)", "表一  工会组织建设状况(3)",
    "表二  工会保障工作(1)", "表二  工会保障工作(2)", "表二  工会保障工作(3)", "表二  工会保障工作(4)",
    "表三  合同和民主管理(1)", "表三  合同和民主管理(2)", "表三  合同和民主管理(3)", "表三  合同和民主管理(4)",
    "表四  劳动保护(1)", "表四  劳动保护(2)", "表五  工会法律工作(1)", "表五  工会法律工作(2)",
    "表六  工会经济技术工作(1)", "表六  工会经济技术工作(2)", "表七  职工文化体育工作", "表八  工会经审工作",
};

std::string SumOf(const std::string& x) { return "sum(" + x + ") as sum_" + x; }
std::string YesOf(const std::string& x) { return "sum(" + x + "*(2-" + x + ")) as sum_" + x + "_1"; }
std::string NoOf(const std::string& x) {
  return "sum(int(" + x + "/2) + (2-" + x + ")*(1-" + x + ")/2) as sum_" + x + "_2";
}

// "z001" -> 'z', 1; false when the text is not a letter and three digits.
bool SplitField(std::string_view f, char& letter, int& number) {
  if (f.size() != 4 || f[0] < 'a' || f[0] > 'z') return false;
  number = 0;
  for (std::size_t i = 1; i < 4; ++i) {
    if (f[i] < '0' || f[i] > '9') return false;
    number = number * 10 + (f[i] - '0');
  }
  letter = f[0];
  return true;
}

std::string FieldName(char letter, int number) {
  char text[8];
  std::snprintf(text, sizeof text, "%c%03d", letter, number);
  return text;
}

}  // namespace

std::vector<std::string> ExpandColumnNotation(std::string_view entry) {
  const std::size_t space = entry.find(' ');
  if (space != std::string_view::npos) {
    const std::string_view mark = entry.substr(0, space);
    const std::string_view rest = entry.substr(space + 1);
    char a = 0, b = 0;
    int from = 0, to = 0;
    if (mark == "S") {
      const std::size_t dash = rest.find('-');
      if (dash == std::string_view::npos) {
        if (SplitField(rest, a, from)) return {SumOf(std::string(rest))};
      } else if (SplitField(rest.substr(0, dash), a, from) && SplitField(rest.substr(dash + 1), b, to) && a == b &&
                 from <= to) {
        std::vector<std::string> out;
        for (int n = from; n <= to; ++n) out.push_back(SumOf(FieldName(a, n)));
        return out;
      }
    } else if ((mark == "Y" || mark == "N" || mark == "YN") && SplitField(rest, a, from)) {
      const std::string x(rest);
      if (mark == "Y") return {YesOf(x)};
      if (mark == "N") return {NoOf(x)};
      return {YesOf(x), NoOf(x)};
    }
  }
  return {std::string(entry)};
}

namespace {

constexpr std::string_view kRatioPrefix = "percent_";

struct ExpandedColumns {
  std::array<std::string, kLastSummarySheet + 1> lists;
  std::array<int, kLastSummarySheet + 1> counts{};
  std::array<std::vector<int>, kLastSummarySheet + 1> ratios;
  ExpandedColumns() {
    for (int s = kFirstSummarySheet; s <= kLastSummarySheet; ++s) {
      std::string list;
      for (std::string_view entry : kSheetColumns[s]) {
        for (const std::string& e : ExpandColumnNotation(entry)) {
          if (!list.empty()) list += ',';
          list += e;
          const std::size_t as = e.rfind(" as ");
          if (as != std::string::npos && e.compare(as + 4, kRatioPrefix.size(), kRatioPrefix) == 0)
            ratios[s].push_back(counts[s]);
          ++counts[s];
        }
      }
      lists[s] = list + " from dt_data";
    }
  }
};

const ExpandedColumns& Expanded() {
  static const ExpandedColumns columns;
  return columns;
}

}  // namespace

std::string SheetTitle(int sheet) {
  if (sheet < 1 || sheet > kLastSummarySheet) return {};
  return kSheetTitles[sheet];
}

const std::string& SumColumns(int sheet) {
  static const std::string none;
  if (sheet < kFirstSummarySheet || sheet > kLastSummarySheet) return none;
  return Expanded().lists[sheet];
}

int SumColumnCount(int sheet) {
  if (sheet < kFirstSummarySheet || sheet > kLastSummarySheet) return 0;
  return Expanded().counts[sheet];
}

std::vector<int> RatioColumns(int sheet) {
  if (sheet < kFirstSummarySheet || sheet > kLastSummarySheet) return {};
  return Expanded().ratios[sheet];
}

}  // namespace velmora::summary
