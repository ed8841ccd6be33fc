// The registry's SQLite store: a tree of keys (case-insensitive, case-preserving names, a
// class string each) and their values (name, type, raw bytes). Every hive is a root row of
// the tree. Database failures are thrown as StoreError and turned into error codes by the
// registry calls.
#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Registry.h"

struct sqlite3;
struct sqlite3_stmt;

namespace vx::reg {

struct StoreError {
  int code = 0;
};

// ASCII lower case: the form names are compared in.
std::string Fold(std::string_view s);

class Store {
 public:
  // Opens the database, creating it and its tables when missing. Null when it cannot be opened.
  static std::unique_ptr<Store> Open(const std::string& file);
  ~Store();
  Store(const Store&) = delete;
  Store& operator=(const Store&) = delete;

  const std::string& File() const { return file_; }

  // A write transaction takes the database's write lock at once (waiting for other writers up
  // to the busy timeout), so that it never fails half-way on a lock.
  void Begin(bool write);
  void Commit();
  void Rollback() noexcept;

  // The root row of a hive, created when missing (in a transaction of its own).
  std::int64_t Hive(std::string_view tag);

  std::optional<std::int64_t> Child(std::int64_t parent, std::string_view name);
  std::int64_t AddChild(std::int64_t parent, std::string_view name, std::string_view keyClass);
  bool Exists(std::int64_t key);
  bool HasChildren(std::int64_t key);
  // Removes the key, its values and (with `branch`) every key below it.
  void Remove(std::int64_t key, bool branch);
  std::vector<std::string> ChildNames(std::int64_t key);
  std::string KeyClass(std::int64_t key);

  void SetValue(std::int64_t key, std::string_view name, std::uint32_t type, std::string_view data);
  // False when the value does not exist.
  bool GetValue(std::int64_t key, std::string_view name, std::uint32_t* type, std::string* data);
  bool RemoveValue(std::int64_t key, std::string_view name);
  std::vector<RegValue> Values(std::int64_t key);

 private:
  explicit Store(std::string file) : file_(std::move(file)) {}
  void Exec(const char* sql);
  sqlite3_stmt* Prepare(const char* sql);

  std::string file_;
  sqlite3* db_ = nullptr;
  std::map<const char*, sqlite3_stmt*> statements_;
  std::map<std::string, std::int64_t> hives_;
};

}  // namespace vx::reg
