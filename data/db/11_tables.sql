-- Label, field catalogue, page table, rule table, code tables and custom groups.

-- The database label: one row.
CREATE TABLE ct_label (
  db_name VARCHAR(255)
);
INSERT INTO ct_label (db_name) VALUES ('默认数据库');

-- Field catalogue (rows in 20_catalogue.sql). Yes/no columns hold 1 or 0.
CREATE TABLE dt_fieldlist (
  ID INTEGER PRIMARY KEY,
  FieldName VARCHAR(30) NOT NULL,
  ShowName VARCHAR(30),
  Hint VARCHAR(100),
  FieldWidth INTEGER DEFAULT 80,
  Visible INTEGER DEFAULT 0,
  FieldType VARCHAR(20),
  QueryShow INTEGER DEFAULT 1,
  QueryType INTEGER DEFAULT 0,
  sequence INTEGER DEFAULT 0,
  PageID INTEGER DEFAULT -1,
  printPageID INTEGER DEFAULT 0,
  printplace VARCHAR(20)
);
-- The catalogue is read in the order of its index "sequence".
CREATE INDEX dt_fieldlist_sequence ON dt_fieldlist(sequence, ID);

-- The catalogue of the edition with the companion table: the same columns and index.
CREATE TABLE dt_fieldlist_quan (
  ID INTEGER PRIMARY KEY,
  FieldName VARCHAR(30) NOT NULL,
  ShowName VARCHAR(30),
  Hint VARCHAR(100),
  FieldWidth INTEGER DEFAULT 80,
  Visible INTEGER DEFAULT 0,
  FieldType VARCHAR(20),
  QueryShow INTEGER DEFAULT 1,
  QueryType INTEGER DEFAULT 0,
  sequence INTEGER DEFAULT 0,
  PageID INTEGER DEFAULT -1,
  printPageID INTEGER DEFAULT 0,
  printplace VARCHAR(20)
);
CREATE INDEX dt_fieldlist_quan_sequence ON dt_fieldlist_quan(sequence, ID);

-- Pages of the entry form: CodeID is the page index (0 the cover), CodeName the survey table's
-- name as the indicator picker lists it, SheetName the page's tab caption.
CREATE TABLE ct_sheetName (
  CodeID INTEGER PRIMARY KEY,
  CodeName VARCHAR(60),
  SheetName VARCHAR(20)
);
INSERT INTO ct_sheetName (CodeID, CodeName, SheetName) VALUES
  (0, '封面 基层工会基本情况', '封面'),
  (1, '表1 工会组织建设状况', '表1'),
  (2, '表2 工会保障工作', '表2'),
  (3, '表3 工会劳动合同、集体合同和民主管理工作', '表3'),
  (4, '表4 工会劳动保护工作', '表4'),
  (5, '表5 工会法律工作', '表5'),
  (6, '表6 工会经济技术工作', '表6'),
  (7, '表7 职工文化体育工作 表8 工会财务和经审工作', '表7&&表8');

-- The list-column chooser reads and writes the catalogue through this view; setting `visible`
-- sets Visible of the catalogue row.
CREATE VIEW view_fieldlist AS
  SELECT f.ID AS id, f.FieldName AS FieldName, f.Hint AS Hint, f.Visible AS visible,
         f.PageID AS PageID, f.sequence AS sequence, s.SheetName AS SheetName
  FROM dt_fieldlist f LEFT JOIN ct_sheetName s ON s.CodeID = f.PageID;
CREATE TRIGGER view_fieldlist_update INSTEAD OF UPDATE ON view_fieldlist
BEGIN
  UPDATE dt_fieldlist SET Visible = NEW.visible WHERE ID = OLD.id;
END;

-- The indicators offered by the indicator query: every numeric field of a form page except the
-- statistical code, which has a search of its own. CodeName is the column the condition tests.
CREATE VIEW view_datasearch AS
  SELECT PageID, sequence, FieldName AS CodeName, Hint
  FROM dt_fieldlist
  WHERE PageID >= 0 AND QueryType <> 1 AND FieldName <> 'c901';

-- Rules checked on the entry form (rows in 40_logic.sql); a page's rows are read in id order.
CREATE TABLE dt_logic (
  id INTEGER PRIMARY KEY,
  page_id INTEGER NOT NULL,
  expression TEXT NOT NULL,
  rule TEXT,
  explain TEXT,
  focus VARCHAR(10)
);

-- Code tables (rows in the 30_codes_*.sql files).
CREATE TABLE CT_LevelCode (ID INTEGER PRIMARY KEY, Name VARCHAR(60) NOT NULL);
CREATE TABLE CT_Industry (ID INTEGER PRIMARY KEY, Name VARCHAR(60) NOT NULL);
CREATE TABLE CT_Economic (ID INTEGER PRIMARY KEY, Name VARCHAR(60) NOT NULL);
CREATE TABLE CT_HoldSituation (ID INTEGER PRIMARY KEY, Name VARCHAR(60) NOT NULL);
CREATE TABLE CT_HoldSituation1 (ID INTEGER PRIMARY KEY, Name VARCHAR(60) NOT NULL);
CREATE TABLE CT_state (ID INTEGER PRIMARY KEY, Name VARCHAR(60) NOT NULL);
-- Administrative divisions: ID = Code1*10000 + Code2*100 + Code3; Code2 = 0 provinces, Code3 = 0
-- prefecture level, otherwise county level.
CREATE TABLE CT_CityName (
  ID INTEGER PRIMARY KEY,
  Code1 INTEGER NOT NULL,
  Code2 INTEGER NOT NULL,
  Code3 INTEGER NOT NULL,
  Name VARCHAR(60) NOT NULL,
  CombName VARCHAR(120) NOT NULL
);
CREATE INDEX CT_CityName_codes ON CT_CityName(Code1, Code2, Code3);
-- Union industry categories: sections (Code2 = 0, ID = letter + "00") and their categories
-- (ID = letter + two digits); "Z00" stands for no category.
CREATE TABLE CT_UnionDomain (
  ID VARCHAR(3) PRIMARY KEY,
  Code1 VARCHAR(1) NOT NULL,
  Code2 INTEGER NOT NULL,
  Name VARCHAR(60) NOT NULL,
  CombName VARCHAR(80) NOT NULL
);
CREATE INDEX CT_UnionDomain_codes ON CT_UnionDomain(Code1, Code2);

-- Custom groups: a group of code ranges on c901 and its items.
CREATE TABLE CT_Group (
  ID INTEGER PRIMARY KEY,
  Name VARCHAR(255),
  orderstr VARCHAR(100) DEFAULT 'id ASC',
  AutoLowest INTEGER DEFAULT 0,
  AutoHighest INTEGER DEFAULT 0,
  GroupList TEXT DEFAULT ''
);
CREATE TABLE DT_GroupItem (
  id INTEGER PRIMARY KEY,
  Title VARCHAR(255),
  GroupID INTEGER,
  LowBoundary INTEGER,
  HighBoundary INTEGER,
  LowSymbol VARCHAR(2) DEFAULT '>=',
  HighSymbol VARCHAR(2) DEFAULT '<'
);
CREATE INDEX DT_GroupItem_group ON DT_GroupItem(GroupID);
-- A group takes its items with it, so a later group that gets the same id starts empty.
CREATE TRIGGER CT_Group_delete AFTER DELETE ON CT_Group
BEGIN
  DELETE FROM DT_GroupItem WHERE GroupID = OLD.ID;
END;

-- The items with their bounds as condition texts: "c901" + LowValue + " and c901" + HighValue.
-- Items are added, edited and deleted through the view.
CREATE VIEW view_group_item AS
  SELECT id, Title, GroupID, LowBoundary, HighBoundary, LowSymbol, HighSymbol,
         LowSymbol || CAST(LowBoundary AS INTEGER) AS LowValue,
         HighSymbol || CAST(HighBoundary AS INTEGER) AS HighValue
  FROM DT_GroupItem;
CREATE TRIGGER view_group_item_insert INSTEAD OF INSERT ON view_group_item
BEGIN
  INSERT INTO DT_GroupItem (id, Title, GroupID, LowBoundary, HighBoundary, LowSymbol, HighSymbol)
  VALUES (NEW.id, NEW.Title, NEW.GroupID, NEW.LowBoundary, NEW.HighBoundary,
          coalesce(NEW.LowSymbol, '>='), coalesce(NEW.HighSymbol, '<'));
END;
CREATE TRIGGER view_group_item_update INSTEAD OF UPDATE ON view_group_item
BEGIN
  UPDATE DT_GroupItem
  SET Title = NEW.Title, GroupID = NEW.GroupID, LowBoundary = NEW.LowBoundary,
      HighBoundary = NEW.HighBoundary, LowSymbol = NEW.LowSymbol, HighSymbol = NEW.HighSymbol
  WHERE id = OLD.id;
END;
CREATE TRIGGER view_group_item_delete INSTEAD OF DELETE ON view_group_item
BEGIN
  DELETE FROM DT_GroupItem WHERE id = OLD.id;
END;
