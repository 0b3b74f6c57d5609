#include "stova/schema.h"

const char* StovaSchemaText() {
  // Names compare without regard to ASCII case (NOCASE folds ASCII only, as the texts are
  // single-byte). Money is decimal text; seats and owners stand apart from the table records
  // and name no key of them, because a table's record may be deleted while it still seats.
  return R"SQL(
CREATE TABLE users (
  id INTEGER PRIMARY KEY,
  name TEXT NOT NULL COLLATE NOCASE UNIQUE,
  password TEXT NOT NULL DEFAULT '',
  first_name TEXT NOT NULL DEFAULT '',
  middle_name TEXT NOT NULL DEFAULT '',
  last_name TEXT NOT NULL DEFAULT '',
  address1 TEXT NOT NULL DEFAULT '',
  address2 TEXT NOT NULL DEFAULT '',
  address3 TEXT NOT NULL DEFAULT '',
  address4 TEXT NOT NULL DEFAULT '',
  postal_code TEXT NOT NULL DEFAULT '',
  city TEXT NOT NULL DEFAULT '',
  state TEXT NOT NULL DEFAULT '',
  country TEXT NOT NULL DEFAULT '',
  contact1 TEXT NOT NULL DEFAULT '',
  contact2 TEXT NOT NULL DEFAULT '',
  nickname TEXT NOT NULL DEFAULT '' COLLATE NOCASE,
  birth_date TEXT NOT NULL DEFAULT '',
  free_text TEXT NOT NULL DEFAULT '',
  gender INTEGER NOT NULL DEFAULT 0,
  age_shown INTEGER NOT NULL DEFAULT 0,
  icon_index INTEGER NOT NULL DEFAULT 0,
  yes_no INTEGER NOT NULL DEFAULT 0,
  icon_value INTEGER NOT NULL DEFAULT 0,
  icon_flags INTEGER NOT NULL DEFAULT 0,
  reserved_table INTEGER NOT NULL DEFAULT 0,
  cash TEXT NOT NULL DEFAULT '0.0000000000',
  language TEXT NOT NULL DEFAULT '',
  created INTEGER NOT NULL DEFAULT 0
);
CREATE UNIQUE INDEX users_nickname ON users (nickname) WHERE nickname <> '';
CREATE TABLE bookings (
  id INTEGER PRIMARY KEY,
  user_id INTEGER NOT NULL,
  amount TEXT NOT NULL,
  type INTEGER NOT NULL,
  value INTEGER NOT NULL,
  time INTEGER NOT NULL,
  balance TEXT NOT NULL
);
CREATE INDEX bookings_user ON bookings (user_id, id);
CREATE TABLE tables (
  id INTEGER PRIMARY KEY,
  owner INTEGER NOT NULL,
  in_use INTEGER NOT NULL,
  table_type INTEGER NOT NULL,
  value INTEGER NOT NULL,
  record BLOB NOT NULL,
  created INTEGER NOT NULL
);
CREATE TABLE table_owners (
  table_id INTEGER PRIMARY KEY,
  user_id INTEGER NOT NULL
);
CREATE TABLE table_seats (
  table_id INTEGER NOT NULL,
  seat INTEGER NOT NULL,
  user_id INTEGER NOT NULL,
  PRIMARY KEY (table_id, seat)
) WITHOUT ROWID;
CREATE TABLE raw_records (
  user_id INTEGER NOT NULL,
  name TEXT NOT NULL,
  idx INTEGER NOT NULL,
  table_id INTEGER NOT NULL,
  data BLOB NOT NULL,
  PRIMARY KEY (user_id, name, idx)
);
CREATE TABLE protection (
  user_id INTEGER PRIMARY KEY,
  loss_per_day TEXT NOT NULL DEFAULT '0.0000000000',
  loss_per_week TEXT NOT NULL DEFAULT '0.0000000000',
  loss_per_month TEXT NOT NULL DEFAULT '0.0000000000',
  loss_this_day TEXT NOT NULL DEFAULT '0.0000000000',
  loss_this_week TEXT NOT NULL DEFAULT '0.0000000000',
  loss_this_month TEXT NOT NULL DEFAULT '0.0000000000',
  max_session_time INTEGER NOT NULL DEFAULT -1,
  self_exclusion INTEGER NOT NULL DEFAULT 0
);
CREATE TABLE table_sessions (
  id INTEGER PRIMARY KEY,
  table_id INTEGER NOT NULL,
  table_type INTEGER NOT NULL,
  started INTEGER NOT NULL,
  ended INTEGER
);
CREATE INDEX table_sessions_table ON table_sessions (table_id, id);
CREATE TABLE player_sessions (
  id INTEGER PRIMARY KEY,
  player_id INTEGER NOT NULL,
  table_id INTEGER NOT NULL,
  table_session INTEGER,
  table_type INTEGER NOT NULL,
  started INTEGER NOT NULL
);
CREATE INDEX player_sessions_player ON player_sessions (player_id, table_id, id);
CREATE TABLE history (
  id INTEGER PRIMARY KEY,
  session_id INTEGER NOT NULL,
  player_id INTEGER NOT NULL,
  table_id INTEGER NOT NULL,
  round INTEGER NOT NULL,
  type INTEGER NOT NULL,
  time INTEGER NOT NULL,
  data TEXT NOT NULL
);
CREATE INDEX history_session ON history (session_id, id);
)SQL";
}
