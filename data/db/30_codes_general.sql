-- Organisation types (c904). Type 1 is a union of one unit, whose z001 is always 1.
INSERT INTO CT_LevelCode (ID, Name) VALUES
  (1, '单独基层工会'),
  (2, '联合基层工会');

-- Unit categories (c906). Which survey fields a category closes and how it fixes the holding
-- situation is decided by the entry form on these codes:
--   110 151 161: holding situation 1; 120 130: 2; 170 200 300: 3; 169: chosen from CT_HoldSituation1;
--   140 159 190 169: the holding situation must be chosen; 401 and above: no holding situation;
--   401 402 701-704: no enterprise-only or board fields; 500: none of pages 3-6; 110 600: no board fields.
INSERT INTO CT_Economic (ID, Name) VALUES
  (110, '国有企业'),
  (120, '集体企业'),
  (130, '股份合作企业'),
  (140, '联营企业'),
  (151, '国有独资公司'),
  (159, '其他有限责任公司'),
  (161, '国有控股股份有限公司'),
  (169, '其他股份有限公司'),
  (170, '私营企业'),
  (190, '其他企业'),
  (200, '港、澳、台商投资企业'),
  (300, '外商投资企业'),
  (401, '全额拨款事业单位'),
  (402, '差额拨款和自收自支事业单位'),
  (500, '机关'),
  (600, '个体经济组织'),
  (701, '社会团体'),
  (702, '基金会'),
  (703, '民办非企业单位'),
  (704, '其他社会组织');

-- Holding situation (c909). 0 stands for "not applicable" (units that are no enterprises); the
-- entry form's lists leave it out.
INSERT INTO CT_HoldSituation (ID, Name) VALUES
  (0, '不适用'),
  (1, '国有控股'),
  (2, '集体控股'),
  (3, '私人及其他非公有控股');

-- Holding situation of the other joint-stock companies (c906 = 169), which cannot be state-held.
INSERT INTO CT_HoldSituation1 (ID, Name) VALUES
  (0, '不适用'),
  (2, '集体控股'),
  (3, '私人及其他非公有控股');

-- Reporting state (c912): 1 and 2 report this year's figures, 3 and above report none.
INSERT INTO CT_state (ID, Name) VALUES
  (1, '正常填报'),
  (2, '本年度新建工会'),
  (3, '工会组织已撤销'),
  (4, '所在单位已关闭、破产或撤销'),
  (5, '已并入其他基层工会'),
  (6, '其他原因本年度不填报');
