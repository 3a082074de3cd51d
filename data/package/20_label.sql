-- The package label: one row; the export writes the providing unit's name into it.
CREATE TABLE ct_label (
  db_name VARCHAR(255)
);
INSERT INTO ct_label (db_name) VALUES ('');
