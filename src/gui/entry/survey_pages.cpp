#include "gui/entry/survey_pages.h"

#include <QStringList>

namespace velmora::gui {

namespace {

// A field column; breakdown columns sit under its header.
HeaderNode F(const char* code, const char* caption, std::vector<HeaderNode> breakdowns = {}) {
  return HeaderNode{QString::fromUtf8(caption), QString::fromLatin1(code), std::move(breakdowns), 2};
}
// A field column wider than the others.
HeaderNode W(int width, const char* code, const char* caption) {
  return HeaderNode{QString::fromUtf8(caption), QString::fromLatin1(code), {}, width};
}
// A group header over several columns.
HeaderNode G(const char* caption, std::vector<HeaderNode> columns) {
  return HeaderNode{QString::fromUtf8(caption), QString(), std::move(columns), 0};
}

// Table 1: the union organisation, its members and its staff.
SurveyPageDescription OrganisationPage() {
  return {1, "TabSheet1", "表1", "工会组织建设状况",
    {{"表1  工会组织建设状况", {
      {{W(3, "z001", "基层工会\n涵盖单位(个)"),
        F("z002", "职工(人)", {F("z003", "女性(人)"), F("z004", "农民工(人)", {W(3, "z005", "女性\n农民工(人)")})}),
        F("z006", "工会会员(人)", {F("z007", "女性(人)"), F("z008", "农民工(人)", {W(3, "z009", "女性\n农民工(人)")})}),
        F("z010", "专职工会\n工作人员(人)", {F("z011", "女性(人)")})}},
      {{G("专职工会工作人员年龄构成",
          {F("z012", "35岁及\n以下(人)"), F("z013", "36-50岁\n(人)"), F("z014", "51岁及\n以上(人)")}),
        G("专职工会工作人员文化程度构成",
          {F("z015", "研究生\n(人)"), F("z016", "大学本科\n(人)"), F("z017", "大专\n(人)"),
           W(3, "z018", "高中(中专、\n中技)(人)"), F("z019", "初中及\n以下(人)")})}},
      {{F("z020", "兼职工会\n工作人员(人)", {F("z021", "女性(人)")}),
        W(7, "z022", "本级工会建立女职工组织\n1.建立女职工委员会\n2.仅设立女职工委员(未建立女职工委员会)\n0.未建立"),
        G("本级工会女职工工作人员", {F("z023", "专职(人)"), F("z024", "兼职(人)")})}},
    }}}};
}

// Table 2: lay-offs, unpaid wages, hardship support, social insurance and mutual aid.
SurveyPageDescription SafeguardPage() {
  return {2, "TabSheet2", "表2", "工会保障工作",
    {{"表2  工会保障工作(b027、b028仅限企业工会填报)", {
      {{G("本年度工会所在单位\n经济性裁员",
          {F("b001", "裁员人数\n(人)", {W(3, "b002", "得到经济性\n补偿(人)")})}),
        G("工会所在单位拖欠工资",
          {F("b003", "涉及职工\n(人)", {F("b004", "涉及\n农民工(人)")}),
           F("b005", "拖欠金额(元)", {W(3, "b006", "拖欠农民工\n金额(元)")})}),
        W(3, "b007", "工会所在单位月工资\n水平低于当地最低工资\n标准的职工(人)"),
        G("本年度领导干部联系\n生活困难职工户活动",
          {W(3, "b008", "参加活动的\n领导干部(人)"), W(3, "b009", "联系的困难\n职工家庭(户)")}),
        G("工会送温暖工程工作",
          {W(3, "b010", "是否建立了送温暖\n工程基(资)金\n(1=是；2=否)"), W(3, "b011", "送温暖工程\n基(资)金\n结存额(元)")})}},
      {{W(3, "b012", "工会所在单位\n离退休人员(人)"),
        G("工会所在单位参加社会保险的人数",
          {G("养老保险", {F("b013", "在职(人)"), F("b014", "退休(人)")}),
           G("医疗保险", {F("b015", "在职(人)"), F("b016", "退休(人)")}),
           F("b017", "工伤保险\n(人)"), F("b018", "失业保险\n(人)"), F("b019", "生育保险\n(人)")})}},
      {{F("b020", "参加本单位工会开展的职工互助互济活动人数(人)",
          {F("b021", "医疗(人)"), F("b022", "特殊疾病\n(人)"), F("b023", "意外伤害\n(人)")}),
        G("本年度从职工互助互济\n活动中获得经济资助", {F("b024", "人数(人)"), W(3, "b025", "金额(元)")}),
        W(3, "b026", "工会所在单位\n是否已参加\n住房公积金\n(1=是；2=否)"),
        W(3, "b027", "工会所在单位\n是否建立\n企业年金\n(1=是；2=否)"),
        W(3, "b028", "工会所在单位\n是否建立企业\n补充医疗保险\n(1=是；2=否)"),
        W(3, "b029", "本年度工会所在\n单位职工工资\n总额(万元)")}},
    }}}};
}

// Table 3: labour and collective contracts, the workers' congress, the boards.
SurveyPageDescription ContractsPage() {
  return {3, "TabSheet3", "表3", "工会劳动合同、集体合同和民主管理工作",
    {{"表3  工会劳动合同、集体合同和民主管理工作(限企事业单位填报）", {
      {{F("h001", "工会所在单位签订\n劳动合同人数(人)", {F("h002", "农民工(人)", {W(3, "h003", "女性\n农民工(人)")})}),
        W(3, "h004", "工会是否签订了\n集体合同\n(1=是；2=否)"),
        W(3, "h005", "是否签订工资\n专项集体合同\n(1=是；2=否)"),
        W(5, "h006", "建立职代会制度情况\n1.建立了职代会制度\n2.建立了职工大会制度\n0.未建立"),
        W(3, "h007", "本年度是否召开过\n职代会(包括职工\n大会)(1=是；2=否)"),
        F("h008", "职代会职工代表(建立\n职工大会制单位不填)(人)", {F("h009", "女性(人)")}),
        W(3, "h010", "工会所在单位\n是否实行了\n厂务公开\n(1=是；2=否)")}},
      {{W(3, "h011", "工会所在单位\n是否建立了\n董事会\n(1=是；2=否)"),
        F("h012", "董事(人)", {F("h013", "女性(人)"), F("h014", "职工董事(人)", {F("h015", "女性(人)")})}),
        W(3, "h016", "工会主席或\n副主席是否进入\n了董事会\n(1=是；2=否)"),
        W(3, "h017", "工会所在单位\n是否建立了\n监事会\n(1=是；2=否)"),
        F("h018", "监事(人)", {F("h019", "女性(人)"), F("h020", "职工监事(人)", {F("h021", "女性(人)")})}),
        W(3, "h022", "工会主席或\n副主席是否进入\n了监事会\n(1=是;2=否)")}},
    }}}};
}

// Table 4: the labour-protection committees and women workers' protection.
SurveyPageDescription LabourProtectionPage() {
  return {4, "TabSheet4", "表4", "工会劳动保护工作",
    {{"表4  工会劳动保护工作（限企事业单位填报）", {
      {{F("L001", "工会是否建立了\n劳动保护监督\n检查委员会\n(1=是；2=否)"),
        F("L002", "工会建立分公司、\n分厂、车间一级\n工会劳动保护监督\n检查委员会个数(个)"),
        F("L003", "工会小组\n劳动保护\n检查员(人)"),
        F("L004", "本年度本级工会\n劳动保护监督组织\n受理举报案件(件)",
          {F("L005", "提请劳动安全\n卫生监督部门\n处理案件(件)")}),
        F("L006", "本年度工会\n参加安全生产\n检查(次)")}},
      {{F("L007", "本年度工会\n参加处理工伤\n事故(件)"),
        F("L008", "本年度工会参加\n\"三同时\"审查\n验收项目(项)"),
        G("女职工劳动保护",
          {W(6, "L009", "是否执行禁止安排女职工从事矿山井下及第四级体力劳动强度的劳动\n"
                        "和经期、孕期、产期、哺乳期间禁忌从事劳动的有关规定\n(1=是；2=否)"),
           W(4, "L010", "是否执行女职工在孕期、产期、\n哺乳期享有特殊待遇的有关规定\n(1=是；2=否)")})}},
    }}}};
}

// Table 5: legal status, legal supervision and the mediation of labour disputes.
SurveyPageDescription LegalPage() {
  return {5, "TabSheet10", "表5", "工会法律工作",
    {{"表5  工会法律工作（限企事业单位填报）", {
      {{F("f001", "是否领取了\n工会法人\n资格证书\n(1=是;2=否)"),
        F("f002", "是否领取了\n全国组织\n机构代码\n(1=是;2=否)"),
        F("f003", "是否建立了\n工会劳动法律\n监督组织\n(1=是;2=否)"),
        F("f004", "工会劳动\n法律监督员\n(人)"),
        F("f005", "劳动保障\n法律监督员\n(人)"),
        F("f006", "本年度工会劳动法律监督组织\n受理违法、违规案件(件)",
          {F("f007", "本组织自行\n处理的案件\n(件)"), F("f008", "提请劳动\n监察部门处理\n的案件(件)")}),
        F("f009", "工会所在单位\n是否建立了\n劳动争议\n调解委员会\n(1=是;2=否)"),
        F("f010", "劳动争议\n调解委员会\n委员(人)",
          {F("f011", "劳动争议调解\n委员会中工会\n成员(职工\n代表)(人)")}),
        F("f012", "本年度劳动\n争议调解委员会\n预防劳动争议\n(件)")}},
      {{F("f013", "本年度劳动争议调解委员会受理劳动争议(件)",
          {F("f014", "集体劳动\n争议(件)"),
           G("受理的劳动争议案件按引发原因分类",
             {F("f015", "变更、解除、\n终止、续订\n劳动合同(件)"),
              F("f016", "除名、辞退\n职工与职工\n自动离职、\n辞职(件)"),
              F("f017", "劳动报酬\n(件)"), F("f018", "保险福利\n(件)"),
              F("f019", "工作时间\n和休息休假\n(件)"), F("f020", "劳动安全\n卫生(件)"),
              F("f021", "职业培训\n(件)"), F("f022", "未成年工\n保护(件)"),
              F("f023", "女职工\n特殊保护\n(件)"), F("f024", "其他原因\n(件)")})}),
        F("f025", "本年度劳动争议\n调解委员会调解\n成功劳动争议(件)", {F("f026", "集体劳动\n争议(件)")})}},
    }}}};
}

// Table 6: skilled workers, contests, suggestions and innovation.
SurveyPageDescription TechnicalPage() {
  return {6, "TabSheet5", "表6", "工会经济技术工作",
    {{"表6  工会经济技术工作（限企事业单位填报）", {
      {{F("j001", "技术工人(人)",
          {F("j002", "初级工(人)"), F("j003", "中级工(人)"), F("j004", "高级工(人)"), F("j005", "技师(人)"),
           F("j006", "高级技师\n(人)")}),
        F("j007", "本年度工会\n是否开展了\n劳动竞赛\n(1=是；2=否)"),
        F("j008", "本年度参加\n劳动竞赛职工\n(人次)"),
        F("j009", "本年度职工\n提出合理化\n建议(件)"),
        F("j010", "本年度已实施\n合理化建议\n(件)"),
        W(3, "j011", "本年度已实施\n合理化建议产生\n的效益(元)"),
        F("j012", "本年度技术\n革新项目\n(项)")}},
      {{F("j013", "本年度职工\n发明创造项目\n(项)"),
        F("j014", "本年度荣获\n国家专利项目\n(项)"),
        F("j015", "本年度推广\n先进操作法\n项目(项)"),
        F("j016", "本年度是否\n开展岗位练兵\n活动\n(1=是；2=否)"),
        F("j017", "本年度是否开展\n选树技能带头人\n活动\n(1=是；2=否)"),
        W(3, "j018", "选树技能带头人\n(\"金牌工人\"、\n\"首席技师\"、\n\"首席员工\")(人)"),
        F("j019", "技能人才\n(劳模)师徒\n结对(对)"),
        W(3, "j020", "本年度是否建立\n技能人才(劳模)\n创新工作室\n(1=是；2=否)"),
        F("j021", "聘用职工\n节能减排义务\n监督员(人)"),
        F("j022", "是否建有\n职工技协组织\n(1=是；2=否)"),
        F("j023", "技协会员\n(人)")}},
    }}}};
}

// Tables 7 and 8 on one page: culture and sports, union funds and their audit.
SurveyPageDescription CultureAndAuditPage() {
  return {7, "TabSheet6", "表7&&表8", "职工文化体育工作与工会经审工作",
    {{"表7  职工文化体育工作", {
       {{F("w001", "工会直属文化宫、\n俱乐部(个)"),
         F("w002", "工会直属体育场(馆)\n(个)"),
         F("w003", "工会直属图书馆\n（藏书1万册以上）(个)"),
         W(4, "w004", "本年度工会是否开展了\n“创建学习型组织、争做知识型职工”活动\n(1=是；2=否)")}},
     }},
     {"表8  工会财务和经审工作", {
       {{W(4, "s001", "工会经费情况\n1.开设工会经费独立银行账户\n2.工会经费由行政代管\n0.没有工会经费"),
         G("是否建立了工会经费审查组织",
           {F("s002", "建立了经费\n审查委员会\n(1=是；2=否)"), F("s003", "建立了经费\n审查办公室\n(1=是；2=否)")}),
         W(4, "s004", "工会经费审查组织是否开展了\n本级经费年度预、决算审查\n(1=是；2=否)")}},
     }}}};
}

std::vector<SurveyPageDescription> Describe() {
  return {OrganisationPage(), SafeguardPage(), ContractsPage(), LabourProtectionPage(), LegalPage(),
          TechnicalPage(), CultureAndAuditPage()};
}

}  // namespace

const std::vector<SurveyPageDescription>& SurveyPageDescriptions() {
  static const std::vector<SurveyPageDescription> pages = Describe();
  return pages;
}

void CollectFieldCodes(const HeaderNode& node, std::vector<QString>& codes) {
  if (!node.code.isEmpty()) codes.push_back(node.code);
  for (const HeaderNode& child : node.children) CollectFieldCodes(child, codes);
}

std::vector<QString> FieldCodes(const SurveyPageDescription& page) {
  std::vector<QString> codes;
  for (const SurveyTable& table : page.tables)
    for (const HeaderBand& band : table.bands)
      for (const HeaderNode& column : band.columns) CollectFieldCodes(column, codes);
  return codes;
}

QString JoinedCaption(const QString& caption) {
  QString joined = caption;
  return joined.remove(QLatin1Char('\n'));
}

bool IsAmountField(const QString& code) {
  static const QStringList amounts = {"b005", "b006", "b011", "b025", "b029", "j011"};
  return amounts.contains(code, Qt::CaseInsensitive);
}

}  // namespace velmora::gui
