-- The notebook: one table holds every folder (type 0) and article (type 1).
-- A row sits under the row whose NodeId equals its ParentId; 0 is the top level.
CREATE TABLE "delphi" (
    "NodeId"     INTEGER PRIMARY KEY AUTOINCREMENT,
    "ParentId"   INTEGER,
    "Title"      TEXT,
    "type"       INTEGER,
    "info"       TEXT,
    "Demoinfo"   TEXT,
    "Richinfo"   TEXT,
    "CreateTime" TEXT,
    "Read"       INTEGER DEFAULT 0,
    "shuqian"    INTEGER DEFAULT 0,
    "Turn"       INTEGER
);
