#include "stova/statements.h"

namespace {
#define STOVA_USER_FIELDS                                                                               \
  "name, password, first_name, middle_name, last_name, address1, address2, address3, address4, "     \
  "postal_code, city, state, country, contact1, contact2, nickname, birth_date, free_text, gender, " \
  "age_shown, icon_index, yes_no, icon_value, icon_flags"

const char* const kStatements[] = {
    // STMT_USER_ID_BY_NAME
    "SELECT id FROM users WHERE name = ?1",
    // STMT_USER_ID_BY_NICK
    "SELECT id FROM users WHERE nickname = ?1 AND nickname <> ''",
    // STMT_USER_LOGIN
    "SELECT id, password FROM users WHERE name = ?1",
    // STMT_USER_EXISTS
    "SELECT 1 FROM users WHERE id = ?1",
    // STMT_USER_READ
    "SELECT " STOVA_USER_FIELDS ", reserved_table, cash FROM users WHERE id = ?1",
    // STMT_USER_UPDATE
    "UPDATE users SET name = ?2, password = ?3, first_name = ?4, middle_name = ?5, last_name = ?6, "
    "address1 = ?7, address2 = ?8, address3 = ?9, address4 = ?10, postal_code = ?11, city = ?12, "
    "state = ?13, country = ?14, contact1 = ?15, contact2 = ?16, nickname = ?17, birth_date = ?18, "
    "free_text = ?19, gender = ?20, age_shown = ?21, icon_index = ?22, yes_no = ?23, icon_value = ?24, "
    "icon_flags = ?25 WHERE id = ?1",
    // STMT_USER_INSERT
    "INSERT INTO users (id, " STOVA_USER_FIELDS ", cash, language, created) VALUES (?1, ?2, ?3, ?4, ?5, "
    "?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16, ?17, ?18, ?19, ?20, ?21, ?22, ?23, ?24, ?25, "
    "?26, ?27, ?28)",
    // STMT_USER_NEXT_ID
    "SELECT COALESCE(MAX(id), 0) + 1 FROM users",
    // STMT_NAME_TAKEN
    "SELECT 1 FROM users WHERE name = ?1 AND id <> ?2",
    // STMT_NICK_TAKEN
    "SELECT 1 FROM users WHERE nickname = ?1 AND nickname <> '' AND id <> ?2",
    // STMT_CASH_READ
    "SELECT cash FROM users WHERE id = ?1",
    // STMT_CASH_WRITE
    "UPDATE users SET cash = ?2 WHERE id = ?1",
    // STMT_BOOKING_INSERT
    "INSERT INTO bookings (user_id, amount, type, value, time, balance) VALUES (?1, ?2, ?3, ?4, ?5, ?6)",
    // STMT_USER_SET_RESERVED
    "UPDATE users SET reserved_table = ?2 WHERE id = ?1",
    // STMT_TABLE_INSERT
    "INSERT OR REPLACE INTO tables (id, owner, in_use, table_type, value, record, created) "
    "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)",
    // STMT_TABLE_READ
    "SELECT owner, in_use, table_type, record FROM tables WHERE id = ?1",
    // STMT_TABLE_UPDATE
    "UPDATE tables SET owner = ?2, in_use = ?3, table_type = ?4, record = ?5 WHERE id = ?1",
    // STMT_TABLE_DELETE
    "DELETE FROM tables WHERE id = ?1",
    // STMT_TABLE_NEXT_ID
    "SELECT COALESCE(MAX(id), 0) + 1 FROM tables",
    // STMT_TABLE_SET_OWNER
    "UPDATE tables SET owner = ?2 WHERE id = ?1",
    // STMT_OWNER_WRITE
    "INSERT OR REPLACE INTO table_owners (table_id, user_id) VALUES (?1, ?2)",
    // STMT_OWNER_CLEAR
    "DELETE FROM table_owners WHERE table_id = ?1",
    // STMT_SEATS_CLEAR
    "DELETE FROM table_seats WHERE table_id = ?1",
    // STMT_SEAT_WRITE
    "INSERT OR REPLACE INTO table_seats (table_id, seat, user_id) VALUES (?1, ?2, ?3)",
    // STMT_SEAT_FREE
    "DELETE FROM table_seats WHERE table_id = ?1 AND seat = ?2",
    // STMT_RAW_COUNT
    "SELECT COUNT(*) FROM raw_records WHERE user_id = ?1 AND name = ?2",
    // STMT_RAW_READ
    "SELECT data FROM raw_records WHERE user_id = ?1 AND name = ?2 AND idx = ?3",
    // STMT_RAW_WRITE
    "INSERT OR REPLACE INTO raw_records (user_id, name, idx, table_id, data) VALUES (?1, ?2, ?3, ?4, ?5)",
    // STMT_RAW_DELETE
    "DELETE FROM raw_records WHERE user_id = ?1 AND name = ?2 AND idx = ?3",
    // STMT_PROTECTION_READ
    "SELECT loss_per_day, loss_per_week, loss_per_month, loss_this_day, loss_this_week, loss_this_month, "
    "max_session_time, self_exclusion FROM protection WHERE user_id = ?1",
    // STMT_PROTECTION_INSERT
    "INSERT OR IGNORE INTO protection (user_id) VALUES (?1)",
    // STMT_TABLE_SESSION_INSERT
    "INSERT INTO table_sessions (table_id, table_type, started) "
    "VALUES (?1, COALESCE((SELECT table_type FROM tables WHERE id = ?1), 0), ?2)",
    // STMT_TABLE_SESSION_END
    "UPDATE table_sessions SET ended = ?2 WHERE id = "
    "(SELECT id FROM table_sessions WHERE table_id = ?1 AND ended IS NULL ORDER BY id DESC LIMIT 1)",
    // STMT_TABLE_TYPE_READ
    "SELECT table_type FROM tables WHERE id = ?1",
    // STMT_PLAYER_SESSION_INSERT
    "INSERT INTO player_sessions (player_id, table_id, table_session, table_type, started) VALUES (?1, ?2, "
    "(SELECT id FROM table_sessions WHERE table_id = ?2 AND ended IS NULL ORDER BY id DESC LIMIT 1), "
    "COALESCE((SELECT table_type FROM table_sessions WHERE table_id = ?2 ORDER BY id DESC LIMIT 1), "
    "(SELECT table_type FROM tables WHERE id = ?2), 0), ?3)",
    // STMT_PLAYER_SESSION_CURRENT
    "SELECT id FROM player_sessions WHERE player_id = ?1 AND table_id = ?2 ORDER BY id DESC LIMIT 1",
    // STMT_HISTORY_INSERT
    "INSERT INTO history (session_id, player_id, table_id, round, type, time, data) "
    "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)",
    // STMT_SESSIONS_COUNT
    "SELECT COUNT(*) FROM player_sessions WHERE player_id = ?1 AND (?2 < 0 OR table_id / 1000 = ?2) "
    "AND started >= ?3",
    // STMT_SESSIONS_LIST
    "SELECT ps.id, ps.table_id, ps.table_type, "
    "(SELECT COUNT(*) FROM history h WHERE h.session_id = ps.id AND h.type = 0) "
    "FROM player_sessions ps WHERE ps.player_id = ?1 AND (?2 < 0 OR ps.table_id / 1000 = ?2) "
    "AND ps.started >= ?3 ORDER BY ps.id DESC LIMIT ?4 OFFSET ?5",
    // STMT_SESSION_DATA_COUNT
    "SELECT COUNT(*) FROM history WHERE session_id = ?1",
    // STMT_SESSION_DATA_LIST
    "SELECT h.player_id, h.table_id, h.session_id, h.time, h.round, h.type, h.data, "
    "COALESCE(u.name, '') FROM history h LEFT JOIN users u ON u.id = h.player_id "
    "WHERE h.session_id = ?1 ORDER BY h.id LIMIT ?2 OFFSET ?3",
    // STMT_BEGIN: the write lock at once, so a change never fails half-way on a lock upgrade
    "BEGIN IMMEDIATE",
    // STMT_COMMIT
    "COMMIT",
    // STMT_ROLLBACK
    "ROLLBACK",
    // STMT_SAVEPOINT: a change inside the caller's transaction
    "SAVEPOINT stova_change",
    // STMT_RELEASE
    "RELEASE stova_change",
    // STMT_ROLLBACK_TO
    "ROLLBACK TO stova_change",
};
#undef STOVA_USER_FIELDS
static_assert(sizeof kStatements / sizeof kStatements[0] == STMT_COUNT, "one text per statement");
}  // namespace

const char* StovaStatementText(EStovaStatement statement) { return kStatements[statement]; }
