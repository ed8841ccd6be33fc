#include "platform/posix/RegistryStore.h"

#include <sqlite3.h>
#include <unistd.h>

namespace vx::reg {

namespace {

constexpr int kBusyTimeoutMs = 10000;
constexpr std::size_t kMaxBound = 256u << 20;

// Resets a cached statement when the call that used it ends, however it ends.
class Use {
 public:
  explicit Use(sqlite3_stmt* s) : s_(s) {}
  ~Use() {
    sqlite3_reset(s_);
    sqlite3_clear_bindings(s_);
  }
  Use(const Use&) = delete;
  Use& operator=(const Use&) = delete;

  Use& Int(int i, std::int64_t v) {
    Check(sqlite3_bind_int64(s_, i, v));
    return *this;
  }
  Use& Text(int i, std::string_view v) {
    CheckLength(v);
    // An empty view may carry no pointer at all, which would bind NULL.
    Check(sqlite3_bind_text(s_, i, v.empty() ? "" : v.data(), static_cast<int>(v.size()),
                            SQLITE_TRANSIENT));
    return *this;
  }
  Use& Blob(int i, std::string_view v) {
    CheckLength(v);
    // A zero-length blob still binds as a blob, never as NULL.
    Check(sqlite3_bind_blob(s_, i, v.empty() ? "" : v.data(), static_cast<int>(v.size()),
                            SQLITE_TRANSIENT));
    return *this;
  }
  // True while a row is available.
  bool Step() {
    int rc = sqlite3_step(s_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    throw StoreError{rc};
  }
  std::int64_t IntAt(int col) const { return sqlite3_column_int64(s_, col); }
  std::string TextAt(int col) const {
    const void* p = sqlite3_column_blob(s_, col);
    int n = sqlite3_column_bytes(s_, col);
    return p ? std::string(static_cast<const char*>(p), static_cast<std::size_t>(n))
             : std::string();
  }

 private:
  static void Check(int rc) {
    if (rc != SQLITE_OK) throw StoreError{rc};
  }
  // Lengths are passed on as int, where a negative one would mean "up to the first zero".
  static void CheckLength(std::string_view v) {
    if (v.size() > kMaxBound) throw StoreError{SQLITE_TOOBIG};
  }
  sqlite3_stmt* s_;
};

constexpr const char* kSchema =
    "CREATE TABLE IF NOT EXISTS keys("
    " id INTEGER PRIMARY KEY AUTOINCREMENT,"  // never reused: a stale handle cannot hit a new key
    " parent INTEGER NOT NULL,"               // 0 for the root of a hive
    " name TEXT NOT NULL,"
    " fold TEXT NOT NULL,"
    " class TEXT NOT NULL DEFAULT '');"
    "CREATE UNIQUE INDEX IF NOT EXISTS keys_by_name ON keys(parent, fold);"
    "CREATE TABLE IF NOT EXISTS vals("
    " id INTEGER PRIMARY KEY AUTOINCREMENT,"  // creation order, the order values are listed in
    " key INTEGER NOT NULL,"
    " name TEXT NOT NULL,"
    " fold TEXT NOT NULL,"
    " type INTEGER NOT NULL,"
    " data BLOB NOT NULL,"
    " UNIQUE(key, fold));";

constexpr const char* kFindChild = "SELECT id FROM keys WHERE parent=?1 AND fold=?2";
constexpr const char* kAddChild =
    "INSERT INTO keys(parent, name, fold, class) VALUES(?1, ?2, ?3, ?4)";
constexpr const char* kExists = "SELECT 1 FROM keys WHERE id=?1";
constexpr const char* kHasChildren = "SELECT 1 FROM keys WHERE parent=?1 LIMIT 1";
constexpr const char* kChildNames = "SELECT name FROM keys WHERE parent=?1 ORDER BY fold";
constexpr const char* kClass = "SELECT class FROM keys WHERE id=?1";
constexpr const char* kRemoveValuesOfKey = "DELETE FROM vals WHERE key=?1";
constexpr const char* kRemoveKey = "DELETE FROM keys WHERE id=?1";
constexpr const char* kRemoveBranchValues =
    "WITH RECURSIVE b(id) AS (SELECT ?1 UNION ALL SELECT k.id FROM keys k JOIN b ON k.parent=b.id)"
    " DELETE FROM vals WHERE key IN b";
constexpr const char* kRemoveBranchKeys =
    "WITH RECURSIVE b(id) AS (SELECT ?1 UNION ALL SELECT k.id FROM keys k JOIN b ON k.parent=b.id)"
    " DELETE FROM keys WHERE id IN b";
constexpr const char* kSetValue =
    "INSERT INTO vals(key, name, fold, type, data) VALUES(?1, ?2, ?3, ?4, ?5)"
    " ON CONFLICT(key, fold) DO UPDATE SET type=excluded.type, data=excluded.data";
constexpr const char* kGetValue = "SELECT type, data FROM vals WHERE key=?1 AND fold=?2";
constexpr const char* kRemoveValue = "DELETE FROM vals WHERE key=?1 AND fold=?2";
constexpr const char* kValues = "SELECT name, type, data FROM vals WHERE key=?1 ORDER BY id";
constexpr const char* kBeginRead = "BEGIN";
constexpr const char* kBeginWrite = "BEGIN IMMEDIATE";
constexpr const char* kCommit = "COMMIT";

bool Busy(int rc) {
  rc &= 0xff;
  return rc == SQLITE_BUSY || rc == SQLITE_LOCKED;
}

}  // namespace

std::string Fold(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
  }
  return out;
}

std::unique_ptr<Store> Store::Open(const std::string& file) {
  std::unique_ptr<Store> store(new Store(file));
  int rc =
      sqlite3_open_v2(file.c_str(), &store->db_,
                      SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) return nullptr;
  sqlite3_busy_timeout(store->db_, kBusyTimeoutMs);
  try {
    // Switching to WAL needs a moment of exclusive access; when many processes open a new
    // store at once some of them have to wait for it beyond what the busy handler covers.
    for (int attempt = 0;; ++attempt) {
      sqlite3_stmt* s = nullptr;
      rc = sqlite3_prepare_v2(store->db_, "PRAGMA journal_mode=WAL", -1, &s, nullptr);
      if (rc == SQLITE_OK) {
        rc = sqlite3_step(s);
        if (rc == SQLITE_ROW) rc = SQLITE_OK;
      }
      sqlite3_finalize(s);
      if (rc == SQLITE_OK) break;
      if (!Busy(rc) || attempt >= 1000) throw StoreError{rc};
      usleep(10000);
    }
    store->Exec("PRAGMA synchronous=NORMAL");
    store->Begin(true);
    try {
      store->Exec(kSchema);
      store->Commit();
    } catch (...) {
      store->Rollback();
      throw;
    }
  } catch (const StoreError&) {
    return nullptr;
  }
  return store;
}

Store::~Store() {
  for (auto& [sql, stmt] : statements_) sqlite3_finalize(stmt);
  if (db_ != nullptr) sqlite3_close_v2(db_);
}

void Store::Exec(const char* sql) {
  int rc = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) throw StoreError{rc};
}

sqlite3_stmt* Store::Prepare(const char* sql) {
  auto it = statements_.find(sql);
  if (it != statements_.end()) return it->second;
  sqlite3_stmt* s = nullptr;
  int rc = sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr);
  if (rc != SQLITE_OK) throw StoreError{rc};
  statements_.emplace(sql, s);
  return s;
}

void Store::Begin(bool write) {
  Use u(Prepare(write ? kBeginWrite : kBeginRead));
  u.Step();
}

void Store::Commit() {
  Use u(Prepare(kCommit));
  u.Step();
}

void Store::Rollback() noexcept {
  if (!sqlite3_get_autocommit(db_)) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
}

std::int64_t Store::Hive(std::string_view tag) {
  const std::string fold = Fold(tag);
  auto it = hives_.find(fold);
  if (it != hives_.end()) return it->second;  // hive roots are never removed
  std::optional<std::int64_t> id = Child(0, fold);
  if (!id) {
    Begin(true);
    try {
      id = Child(0, fold);
      if (!id) id = AddChild(0, tag, "");
      Commit();
    } catch (...) {
      Rollback();
      throw;
    }
  }
  hives_.emplace(fold, *id);
  return *id;
}

std::optional<std::int64_t> Store::Child(std::int64_t parent, std::string_view name) {
  Use u(Prepare(kFindChild));
  u.Int(1, parent).Text(2, Fold(name));
  if (!u.Step()) return std::nullopt;
  return u.IntAt(0);
}

std::int64_t Store::AddChild(std::int64_t parent, std::string_view name,
                             std::string_view keyClass) {
  Use u(Prepare(kAddChild));
  u.Int(1, parent).Text(2, name).Text(3, Fold(name)).Text(4, keyClass);
  u.Step();
  return sqlite3_last_insert_rowid(db_);
}

bool Store::Exists(std::int64_t key) {
  Use u(Prepare(kExists));
  u.Int(1, key);
  return u.Step();
}

bool Store::HasChildren(std::int64_t key) {
  Use u(Prepare(kHasChildren));
  u.Int(1, key);
  return u.Step();
}

void Store::Remove(std::int64_t key, bool branch) {
  if (branch) {
    {
      Use u(Prepare(kRemoveBranchValues));
      u.Int(1, key);
      u.Step();
    }
    {
      Use u(Prepare(kRemoveBranchKeys));
      u.Int(1, key);
      u.Step();
    }
  } else {
    {
      Use u(Prepare(kRemoveValuesOfKey));
      u.Int(1, key);
      u.Step();
    }
    {
      Use u(Prepare(kRemoveKey));
      u.Int(1, key);
      u.Step();
    }
  }
}

std::vector<std::string> Store::ChildNames(std::int64_t key) {
  std::vector<std::string> names;
  Use u(Prepare(kChildNames));
  u.Int(1, key);
  while (u.Step()) names.push_back(u.TextAt(0));
  return names;
}

std::string Store::KeyClass(std::int64_t key) {
  Use u(Prepare(kClass));
  u.Int(1, key);
  return u.Step() ? u.TextAt(0) : std::string();
}

void Store::SetValue(std::int64_t key, std::string_view name, std::uint32_t type,
                     std::string_view data) {
  Use u(Prepare(kSetValue));
  u.Int(1, key).Text(2, name).Text(3, Fold(name)).Int(4, type).Blob(5, data);
  u.Step();
}

bool Store::GetValue(std::int64_t key, std::string_view name, std::uint32_t* type,
                     std::string* data) {
  Use u(Prepare(kGetValue));
  u.Int(1, key).Text(2, Fold(name));
  if (!u.Step()) return false;
  *type = static_cast<std::uint32_t>(u.IntAt(0));
  *data = u.TextAt(1);
  return true;
}

bool Store::RemoveValue(std::int64_t key, std::string_view name) {
  Use u(Prepare(kRemoveValue));
  u.Int(1, key).Text(2, Fold(name));
  u.Step();
  return sqlite3_changes(db_) > 0;
}

std::vector<RegValue> Store::Values(std::int64_t key) {
  std::vector<RegValue> values;
  Use u(Prepare(kValues));
  u.Int(1, key);
  while (u.Step()) {
    RegValue v;
    v.name = u.TextAt(0);
    v.type = static_cast<std::uint32_t>(u.IntAt(1));
    v.data = u.TextAt(2);
    values.push_back(std::move(v));
  }
  return values;
}

}  // namespace vx::reg
