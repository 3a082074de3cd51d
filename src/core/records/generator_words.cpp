#include "core/records/generator_words.h"

#include <cstdio>
#include <iterator>
#include <string_view>

namespace velmora::generator {

namespace {

template <std::size_t N>
std::string_view Pick(Random& r, const std::string_view (&words)[N]) {
  return words[static_cast<std::size_t>(r.below(static_cast<std::int64_t>(N)))];
}

constexpr std::string_view kFirmWords[] = {
    "华兴", "宏达", "鑫源", "恒通", "永盛", "金鹏", "新世纪", "天成", "瑞丰", "中联", "长城", "东方",
    "远大", "利民", "顺发", "嘉禾", "明珠", "华信", "汇通", "国泰", "兴业", "昌盛", "康达", "宝丰",
    "通达", "海天", "万达", "博远", "正大", "鸿运", "飞腾", "光明", "前进", "红星", "胜利", "曙光"};
constexpr std::string_view kTradeWords[] = {
    "机械", "电子", "建筑", "物流", "食品", "纺织", "化工", "建材", "商贸", "钢铁", "汽车配件", "服装",
    "医药", "印刷", "塑料制品", "电力设备", "信息技术", "房地产开发", "农业开发", "矿业", "运输", "餐饮",
    "酒店管理", "物业管理", "家具", "五金", "造纸", "水泥", "粮油", "环保科技"};
constexpr std::string_view kFirmForms[] = {"有限公司", "有限责任公司", "股份有限公司", "厂", "集团有限公司",
                                           "有限公司分公司"};
constexpr std::string_view kInstitutions[] = {
    "第一中学", "第二中学", "实验小学", "中心小学", "人民医院", "中医院", "妇幼保健院", "疾病预防控制中心",
    "职业技术学校", "图书馆", "文化馆", "广播电视台", "气象局", "农业技术推广站", "水利工程管理所", "幼儿园"};
constexpr std::string_view kOffices[] = {
    "人民政府办公室", "财政局", "教育局", "人力资源和社会保障局", "公安局", "民政局", "审计局", "统计局",
    "国土资源局", "交通运输局", "卫生局", "商务局", "人民法院", "人民检察院", "环境保护局", "住房和城乡建设局"};
constexpr std::string_view kAssociations[] = {"个体劳动者协会", "科学技术协会", "红十字会", "文学艺术界联合会",
                                              "工商业联合会", "残疾人联合会", "律师协会", "物流行业协会"};
constexpr std::string_view kFoundations[] = {"慈善基金会", "教育基金会", "扶贫开发基金会", "青少年发展基金会"};
constexpr std::string_view kPrivateInstitutions[] = {"民办学校", "职业培训学校", "养老院", "康复医院", "幼儿园",
                                                     "社会工作服务中心"};
constexpr std::string_view kLocalities[] = {"城关", "东关", "西街", "南关", "北苑", "新华", "人民路", "解放路",
                                            "建设路", "朝阳", "和平", "团结", "幸福", "长青", "河东", "河西"};
constexpr std::string_view kJointForms[] = {"街道联合", "社区联合", "乡联合", "镇联合", "村联合", "开发区联合",
                                            "商会联合"};

constexpr std::string_view kSurnames[] = {
    "王", "李", "张", "刘", "陈", "杨", "黄", "赵", "吴", "周", "徐", "孙", "马", "朱", "胡", "郭", "何",
    "高", "林", "罗", "郑", "梁", "谢", "宋", "唐", "许", "韩", "冯", "邓", "曹", "彭", "曾", "肖", "田",
    "董", "袁", "潘", "于", "蒋", "蔡", "余", "杜", "叶", "程", "苏", "魏", "吕", "丁", "任", "沈", "姚",
    "卢", "姜", "崔", "钟", "谭", "陆", "汪", "范", "金", "石", "廖", "贾", "夏", "韦", "方", "白", "邹",
    "孟", "熊", "秦", "邱", "江", "尹", "薛", "段", "雷", "侯", "龙", "史", "陶", "黎", "贺", "顾", "毛",
    "郝", "龚", "邵", "万", "钱", "严", "武", "戴", "莫", "孔", "向", "汤", "欧阳", "司马"};
constexpr std::string_view kGivenNames[] = {
    "伟", "芳", "娜", "秀英", "敏", "静", "丽", "强", "磊", "军", "洋", "勇", "艳", "杰", "娟", "涛",
    "明", "超", "秀兰", "霞", "平", "刚", "桂英", "建华", "建国", "志强", "海燕", "玉兰", "晓东", "红梅",
    "丽华", "文军", "国庆", "春燕", "永刚", "淑珍", "俊", "鹏", "辉", "斌", "宇", "浩", "凯", "婷", "雪",
    "慧", "莉", "红", "亮", "林", "华", "兰", "英", "萍", "琳", "晨", "立新", "振华", "德明", "淑华"};

// Area code of each province's capital, by the province part of the division code.
const char* AreaCode(int provinceCode) {
  struct Entry {
    int province;
    const char* code;
  };
  static constexpr Entry kAreaCodes[] = {
      {11, "010"},  {12, "022"},  {13, "0311"}, {14, "0351"}, {15, "0471"}, {21, "024"},  {22, "0431"},
      {23, "0451"}, {31, "021"},  {32, "025"},  {33, "0571"}, {34, "0551"}, {35, "0591"}, {36, "0791"},
      {37, "0531"}, {41, "0371"}, {42, "027"},  {43, "0731"}, {44, "020"},  {45, "0771"}, {46, "0898"},
      {50, "023"},  {51, "028"},  {52, "0851"}, {53, "0871"}, {54, "0891"}, {61, "029"},  {62, "0931"},
      {63, "0971"}, {64, "0951"}, {65, "0991"}};
  for (const auto& e : kAreaCodes)
    if (e.province == provinceCode) return e.code;
  return "010";
}

}  // namespace

void MakeUnionName(Random& r, const std::string& place, int unitCategory, std::string& out) {
  out.assign(place);
  switch (unitCategory) {
    case 401: case 402:  // institutions
      out += Pick(r, kInstitutions);
      out += "工会";
      break;
    case 500:  // government organs
      out += Pick(r, kOffices);
      out += "机关工会";
      break;
    case 600:  // individual businesses join a union of their street
      out += Pick(r, kLocalities);
      out += "个体工商户联合工会";
      break;
    case 701:
      out += Pick(r, kAssociations);
      out += "工会";
      break;
    case 702:
      out += Pick(r, kFoundations);
      out += "工会";
      break;
    case 703:
      out += Pick(r, kFirmWords);
      out += Pick(r, kPrivateInstitutions);
      out += "工会";
      break;
    case 704:
      out += Pick(r, kLocalities);
      out += Pick(r, kJointForms);
      out += "工会";
      break;
    default:  // enterprises
      out += Pick(r, kFirmWords);
      out += Pick(r, kTradeWords);
      out += Pick(r, kFirmForms);
      out += "工会";
      break;
  }
}

void MakePersonName(Random& r, std::string& out) {
  out.assign(Pick(r, kSurnames));
  out += Pick(r, kGivenNames);
}

void MakePhoneNumber(Random& r, int provinceCode, std::string& out) {
  char buffer[24];
  if (r.chance(650)) {
    std::snprintf(buffer, sizeof buffer, "%s-%d%07d", AreaCode(provinceCode), static_cast<int>(r.between(2, 8)),
                  static_cast<int>(r.below(10000000)));
  } else {
    static constexpr int kPrefixes[] = {130, 131, 132, 133, 135, 136, 137, 138, 139, 150,
                                        151, 152, 153, 155, 156, 158, 159, 186, 188, 189};
    const int prefix = kPrefixes[r.below(static_cast<std::int64_t>(std::size(kPrefixes)))];
    std::snprintf(buffer, sizeof buffer, "%d%08d", prefix, static_cast<int>(r.below(100000000)));
  }
  out.assign(buffer);
}

}  // namespace velmora::generator
