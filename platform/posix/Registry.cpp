// The registry calls: a handle table over the SQLite store, with the access rules of the
// emulated platform. All calls of a process share one connection, guarded by one mutex; it
// follows the current machine and is never carried across fork().
#include "platform/Registry.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <mutex>
#include <optional>
#include <unordered_map>

#include "platform/Machine.h"
#include "platform/Types.h"
#include "platform/posix/RegistrySeed.h"
#include "platform/posix/RegistryStore.h"

namespace vx {

namespace {

constexpr std::uint32_t kKeyCreateLink = 0x20;
constexpr std::uint32_t kDelete = 0x10000;
constexpr std::uint32_t kWriteDac = 0x40000;
constexpr std::uint32_t kWriteOwner = 0x80000;
constexpr std::uint32_t kKeyWrite = 0x20006;
constexpr std::uint32_t kGenericRead = 0x80000000u;
constexpr std::uint32_t kGenericWrite = 0x40000000u;
constexpr std::uint32_t kGenericExecute = 0x20000000u;
constexpr std::uint32_t kGenericAll = 0x10000000u;
constexpr std::uint32_t kMaximumAllowed = 0x02000000u;
constexpr std::uint32_t kWriteRights =
    kKeySetValue | kKeyCreateSubKey | kKeyCreateLink | kDelete | kWriteDac | kWriteOwner;
constexpr std::size_t kMaxKeyNameLength = 255;

struct OpenKey {
  std::string file;      // the store it lives in
  bool guarded = false;  // below HKLM, HKCR or HKU
  std::int64_t key = 0;
  std::uint32_t rights = 0;
};

struct State {
  std::mutex mu;
  std::unique_ptr<reg::Store> store;
  pid_t pid = 0;
  std::unordered_map<HKEY, OpenKey> handles;
  HKEY next = 0x100;
};

State& TheState() {
  // The machine is looked up before any registry lock is taken: opening a new machine seeds
  // its registry, which must not wait for a lock its own caller holds.
  Machine::Current();
  static State* state = new State;  // never destroyed: calls may come during exit
  return *state;
}

bool IsPredefined(HKEY h) { return h >= kHkeyClassesRoot && h <= kHkeyDynData; }

// The store row naming each hive; the current user's hive is kept per machine user.
std::optional<std::string> HiveTag(HKEY root) {
  switch (root) {
    case kHkeyClassesRoot:
      return std::string("HKEY_CLASSES_ROOT");
    case kHkeyCurrentUser:
      return "HKEY_CURRENT_USER\\" + Machine::Current().UserName();
    case kHkeyLocalMachine:
      return std::string("HKEY_LOCAL_MACHINE");
    case kHkeyUsers:
      return std::string("HKEY_USERS");
    case kHkeyCurrentConfig:
      return std::string("HKEY_CURRENT_CONFIG");
    case kHkeyDynData:
      return std::string("HKEY_DYN_DATA");
    default:
      return std::nullopt;  // performance data is not stored
  }
}

bool MayWriteGuarded() {
  const Machine& m = Machine::Current();
  return m.Platform() != PlatformKind::NT || m.IsAdmin();
}

// Access rights with the generic bits mapped to the key rights they stand for.
std::uint32_t Rights(std::uint32_t access, bool guarded) {
  std::uint32_t r = access & 0x00FFFFFFu;
  if (access & kGenericRead) r |= kKeyRead;
  if (access & kGenericExecute) r |= kKeyRead;
  if (access & kGenericWrite) r |= kKeyWrite;
  if (access & kGenericAll) r |= kKeyAllAccess;
  if (access & kMaximumAllowed) r |= (guarded && !MayWriteGuarded()) ? kKeyRead : kKeyAllAccess;
  return r;
}

bool Denied(bool guarded, std::uint32_t rights) {
  return guarded && (rights & kWriteRights) != 0 && !MayWriteGuarded();
}

// The key a call starts from: a predefined root or an open handle.
struct Base {
  reg::Store* store = nullptr;
  bool isRoot = false;
  bool guarded = false;
  std::int64_t key = 0;
  std::uint32_t rights = 0;
};

reg::Store* StoreFor(State& s, const std::string& file) {
  if (s.pid != ::getpid()) {
    // An inherited connection must not be used or closed by a child: leave it behind.
    (void)s.store.release();
    s.pid = ::getpid();
  }
  if (s.store && s.store->File() != file) s.store.reset();
  if (!s.store) s.store = reg::Store::Open(file);
  return s.store.get();
}

// Fills `base`; an error code when the handle is not usable.
std::int32_t Resolve(State& s, HKEY h, Base* base) {
  if (IsPredefined(h)) {
    std::optional<std::string> tag = HiveTag(h);
    if (!tag) return kErrorInvalidHandle;
    base->store = StoreFor(s, Machine::Current().RegistryFile());
    if (base->store == nullptr) return kErrorRegistryIoFailed;
    base->isRoot = true;
    base->guarded = h == kHkeyLocalMachine || h == kHkeyClassesRoot || h == kHkeyUsers;
    base->rights = kKeyAllAccess;
    try {
      base->key = base->store->Hive(*tag);
    } catch (const reg::StoreError&) {
      return kErrorRegistryIoFailed;
    }
    return kErrorSuccess;
  }
  auto it = s.handles.find(h);
  if (it == s.handles.end()) return kErrorInvalidHandle;
  base->store = StoreFor(s, it->second.file);
  if (base->store == nullptr) return kErrorRegistryIoFailed;
  base->guarded = it->second.guarded;
  base->key = it->second.key;
  base->rights = it->second.rights;
  return kErrorSuccess;
}

// Splits "A\B\C" into its names; empty names (doubled or edge backslashes) are skipped.
bool SplitPath(std::string_view path, std::vector<std::string_view>* parts) {
  std::size_t pos = 0;
  while (pos <= path.size()) {
    std::size_t end = path.find('\\', pos);
    if (end == std::string_view::npos) end = path.size();
    std::string_view part = path.substr(pos, end - pos);
    if (part.size() > kMaxKeyNameLength) return false;
    if (!part.empty()) parts->push_back(part);
    pos = end + 1;
  }
  return true;
}

HKEY NewHandle(State& s, const Base& base, std::int64_t key, std::uint32_t rights) {
  HKEY h = s.next;
  s.next += 4;
  s.handles[h] = OpenKey{base.store->File(), base.guarded, key, rights};
  return h;
}

// Runs `body` as one transaction of the store; database failures roll back and report.
template <typename Body>
std::int32_t Transaction(reg::Store* store, bool write, Body body) {
  try {
    store->Begin(write);
    std::int32_t rc = body();
    if (rc == kErrorSuccess) {
      store->Commit();
    } else {
      store->Rollback();
    }
    return rc;
  } catch (const reg::StoreError&) {
    store->Rollback();
    return kErrorRegistryIoFailed;
  }
}

// The key at `parts` below `from`; nothing when a part is missing.
std::optional<std::int64_t> Walk(reg::Store* store, std::int64_t from,
                                 const std::vector<std::string_view>& parts) {
  std::int64_t cur = from;
  for (std::string_view part : parts) {
    std::optional<std::int64_t> child = store->Child(cur, part);
    if (!child) return std::nullopt;
    cur = *child;
  }
  return cur;
}

// An open handle whose key another handle has deleted since.
bool KeyGone(const Base& base) { return !base.isRoot && !base.store->Exists(base.key); }

// The handle was not opened with `right`, or the caller may not use it here.
bool Lacks(const Base& base, std::uint32_t right) {
  return !(base.rights & right) || Denied(base.guarded, right);
}

// Runs `body(store, key)` in one transaction on an open key that is still there. A writer names
// the right its handle must carry, checked before anything is read; a reader passes 0.
template <typename Body>
std::int32_t OnOpenKey(HKEY key, std::uint32_t writeRight, Body body) {
  State& s = TheState();
  std::lock_guard<std::mutex> lock(s.mu);
  Base base;
  if (std::int32_t rc = Resolve(s, key, &base)) return rc;
  if (writeRight != 0 && Lacks(base, writeRight)) return kErrorAccessDenied;
  return Transaction(base.store, writeRight != 0, [&]() -> std::int32_t {
    if (KeyGone(base)) return kErrorKeyDeleted;
    return body(*base.store, base.key);
  });
}

bool IsStringType(std::uint32_t type) {
  return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
}

}  // namespace

std::int32_t RegCreateKeyEx(HKEY root, std::string_view subkey, std::string_view keyClass,
                            std::uint32_t access, HKEY* result) {
  if (result == nullptr) return kErrorInvalidParameter;
  *result = 0;
  State& s = TheState();
  std::lock_guard<std::mutex> lock(s.mu);
  Base base;
  if (std::int32_t rc = Resolve(s, root, &base)) return rc;
  std::vector<std::string_view> parts;
  if (!SplitPath(subkey, &parts)) return kErrorInvalidParameter;
  const std::uint32_t rights = Rights(access, base.guarded);
  if (Denied(base.guarded, rights)) return kErrorAccessDenied;

  std::int64_t key = 0;
  std::int32_t rc = Transaction(base.store, true, [&]() -> std::int32_t {
    if (KeyGone(base)) return kErrorKeyDeleted;
    std::int64_t cur = base.key;
    for (std::size_t i = 0; i < parts.size(); ++i) {
      std::optional<std::int64_t> child = base.store->Child(cur, parts[i]);
      if (!child) {
        if (Lacks(base, kKeyCreateSubKey)) return kErrorAccessDenied;
        // Only the key asked for carries the class; missing parents get none.
        child = base.store->AddChild(cur, parts[i],
                                     i + 1 == parts.size() ? keyClass : std::string_view());
      }
      cur = *child;
    }
    key = cur;
    return kErrorSuccess;
  });
  if (rc == kErrorSuccess) *result = NewHandle(s, base, key, rights);
  return rc;
}

std::int32_t RegOpenKeyEx(HKEY root, std::string_view subkey, std::uint32_t access, HKEY* result) {
  if (result == nullptr) return kErrorInvalidParameter;
  *result = 0;
  State& s = TheState();
  std::lock_guard<std::mutex> lock(s.mu);
  Base base;
  if (std::int32_t rc = Resolve(s, root, &base)) return rc;
  std::vector<std::string_view> parts;
  if (!SplitPath(subkey, &parts)) return kErrorInvalidParameter;
  const std::uint32_t rights = Rights(access, base.guarded);

  std::int64_t key = 0;
  std::int32_t rc = Transaction(base.store, false, [&]() -> std::int32_t {
    if (KeyGone(base)) return kErrorKeyDeleted;
    std::optional<std::int64_t> found = Walk(base.store, base.key, parts);
    if (!found) return kErrorFileNotFound;
    if (Denied(base.guarded, rights)) return kErrorAccessDenied;
    key = *found;
    return kErrorSuccess;
  });
  if (rc == kErrorSuccess) *result = NewHandle(s, base, key, rights);
  return rc;
}

std::int32_t RegCloseKey(HKEY key) {
  if (IsPredefined(key)) return kErrorSuccess;
  State& s = TheState();
  std::lock_guard<std::mutex> lock(s.mu);
  return s.handles.erase(key) ? kErrorSuccess : kErrorInvalidHandle;
}

std::int32_t RegSetValueEx(HKEY key, std::string_view name, std::uint32_t type, const void* data,
                           std::uint32_t size) {
  if (data == nullptr && size != 0) return kErrorInvalidParameter;
  const std::string_view bytes(static_cast<const char*>(data), data ? size : 0);
  return OnOpenKey(key, kKeySetValue, [&](reg::Store& store, std::int64_t k) -> std::int32_t {
    store.SetValue(k, name, type, bytes);
    return kErrorSuccess;
  });
}

std::int32_t RegQueryValueEx(HKEY key, std::string_view name, std::uint32_t* type, void* data,
                             std::uint32_t* size) {
  if (data != nullptr && size == nullptr) return kErrorInvalidParameter;
  State& s = TheState();
  std::lock_guard<std::mutex> lock(s.mu);
  Base base;
  if (std::int32_t rc = Resolve(s, key, &base)) return rc;
  std::uint32_t storedType = kRegNone;
  std::string bytes;
  std::int32_t rc = Transaction(base.store, false, [&]() -> std::int32_t {
    if (base.store->GetValue(base.key, name, &storedType, &bytes)) return kErrorSuccess;
    if (KeyGone(base)) return kErrorKeyDeleted;
    return kErrorFileNotFound;
  });
  if (rc != kErrorSuccess) return rc;
  if (type != nullptr) *type = storedType;
  const auto length = static_cast<std::uint32_t>(bytes.size());
  if (data == nullptr) {
    if (size != nullptr) *size = length;
    return kErrorSuccess;
  }
  if (*size < length) {
    *size = length;
    return kErrorMoreData;
  }
  std::memcpy(data, bytes.data(), length);
  // A string stored without its terminating zero still reads as a C string when there is
  // room for one; the zero is not counted in the size.
  if (IsStringType(storedType) && length < *size && (length == 0 || bytes.back() != '\0')) {
    static_cast<char*>(data)[length] = '\0';
  }
  *size = length;
  return kErrorSuccess;
}

std::int32_t RegDeleteValue(HKEY key, std::string_view name) {
  return OnOpenKey(key, kKeySetValue, [&](reg::Store& store, std::int64_t k) -> std::int32_t {
    return store.RemoveValue(k, name) ? kErrorSuccess : kErrorFileNotFound;
  });
}

std::int32_t RegDeleteKey(HKEY root, std::string_view subkey) {
  State& s = TheState();
  std::lock_guard<std::mutex> lock(s.mu);
  Base base;
  if (std::int32_t rc = Resolve(s, root, &base)) return rc;
  std::vector<std::string_view> parts;
  if (!SplitPath(subkey, &parts)) return kErrorInvalidParameter;
  const bool wholeBranch = Machine::Current().Platform() == PlatformKind::Win9x;
  return Transaction(base.store, true, [&]() -> std::int32_t {
    if (KeyGone(base)) return kErrorKeyDeleted;
    std::optional<std::int64_t> target = Walk(base.store, base.key, parts);
    if (!target) return kErrorFileNotFound;
    if (parts.empty() && base.isRoot) return kErrorAccessDenied;  // a hive cannot go
    if (Denied(base.guarded, kDelete)) return kErrorAccessDenied;
    if (!wholeBranch && base.store->HasChildren(*target)) return kErrorAccessDenied;
    base.store->Remove(*target, wholeBranch);
    return kErrorSuccess;
  });
}

std::int32_t RegEnumKeyNames(HKEY key, std::vector<std::string>* names) {
  if (names == nullptr) return kErrorInvalidParameter;
  names->clear();
  return OnOpenKey(key, 0, [&](reg::Store& store, std::int64_t k) -> std::int32_t {
    *names = store.ChildNames(k);
    return kErrorSuccess;
  });
}

std::int32_t RegEnumValues(HKEY key, std::vector<RegValue>* values) {
  if (values == nullptr) return kErrorInvalidParameter;
  values->clear();
  return OnOpenKey(key, 0, [&](reg::Store& store, std::int64_t k) -> std::int32_t {
    *values = store.Values(k);
    return kErrorSuccess;
  });
}

std::int32_t RegQueryKeyClass(HKEY key, std::string* keyClass) {
  if (keyClass == nullptr) return kErrorInvalidParameter;
  keyClass->clear();
  return OnOpenKey(key, 0, [&](reg::Store& store, std::int64_t k) -> std::int32_t {
    *keyClass = store.KeyClass(k);
    return kErrorSuccess;
  });
}

}  // namespace vx

namespace vx {

namespace {

// The values a fresh Windows installation has, written into a new machine's registry.
void SeedRegistry(Machine& m) {
  if (&Machine::Current() != &m) return;
  Machine::SystemScope system;
  HKEY key = 0;
  if (RegCreateKeyEx(kHkeyLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion", "",
                     kKeyAllAccess, &key) != kErrorSuccess) {
    std::fprintf(stderr, "vx: cannot seed the registry of machine %s\n", m.Dir().c_str());
    return;
  }
  static const char kProgramFiles[] = "C:\\Program Files";
  RegSetValueEx(key, "ProgramFilesDir", kRegSz, kProgramFiles, sizeof kProgramFiles);
  RegCloseKey(key);
  // The owner that setup registered, which installers offer as the user's name.
  const char* systemKey = m.Platform() == PlatformKind::NT
                              ? "Software\\Microsoft\\Windows NT\\CurrentVersion"
                              : "Software\\Microsoft\\Windows\\CurrentVersion";
  if (RegCreateKeyEx(kHkeyLocalMachine, systemKey, "", kKeyAllAccess, &key) == kErrorSuccess) {
    const std::string& owner = m.UserName();
    RegSetValueEx(key, "RegisteredOwner", kRegSz, owner.c_str(),
                  static_cast<std::uint32_t>(owner.size() + 1));
    RegCloseKey(key);
  }
}

// Set before main runs, in every program that links the registry.
[[maybe_unused]] const bool seederInstalled = (posix::registrySeeder = &SeedRegistry, true);

}  // namespace

}  // namespace vx
