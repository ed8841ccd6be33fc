#include "platform/ShellLink.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string_view>

namespace vx {

namespace {

// 00021401-0000-0000-C000-000000000046 as stored (first three groups little-endian).
constexpr std::uint8_t kLinkClsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                         0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

// LinkInfo flags.
constexpr std::uint32_t kVolumeIdAndLocalBasePath = 0x1;
constexpr std::uint32_t kCommonNetworkRelativeLinkAndPathSuffix = 0x2;
constexpr std::uint32_t kLinkInfoHeaderPlain = 0x1C;
constexpr std::uint32_t kLinkInfoHeaderWithUnicode = 0x24;
constexpr std::uint32_t kVolumeIdHeader = 0x10;
constexpr std::uint32_t kNetworkLinkHeader = 0x14;
// CommonNetworkRelativeLink flags.
constexpr std::uint32_t kValidDevice = 0x1;

// Extra-data block signatures whose presence some LinkFlags announce, with their sizes.
constexpr std::uint32_t kEnvironmentBlock = 0xA0000001;
constexpr std::uint32_t kDarwinBlock = 0xA0000006;
constexpr std::uint32_t kIconEnvironmentBlock = 0xA0000007;
constexpr std::uint32_t kShimBlock = 0xA0000008;

struct FixedBlock {
  std::uint32_t signature;
  std::uint32_t size;  // exact size; 0 = see minimum
  std::uint32_t minimum;
};
constexpr FixedBlock kKnownBlocks[] = {
    {kEnvironmentBlock, 0x314, 0},
    {0xA0000002, 0xCC, 0},
    {0xA0000003, 0x60, 0},
    {0xA0000004, 0x0C, 0},
    {0xA0000005, 0x10, 0},
    {kDarwinBlock, 0x314, 0},
    {kIconEnvironmentBlock, 0x314, 0},
    {kShimBlock, 0, 0x88},
    {0xA0000009, 0, 0x0C},
    {0xA000000B, 0x1C, 0},
    {0xA000000C, 0, 0x0A},
};

// ---------------------------------------------------------------- writing

void Put16(std::vector<std::uint8_t>& out, std::uint16_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void Put64(std::vector<std::uint8_t>& out, std::uint64_t v) {
  for (int i = 0; i < 8; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void Patch32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}
// A NUL-terminated string stops at an embedded NUL.
std::string_view UpToNul(const std::string& s) {
  std::size_t n = s.find('\0');
  return std::string_view(s).substr(0, n);
}
void PutCString(std::vector<std::uint8_t>& out, std::string_view s) {
  out.insert(out.end(), s.begin(), s.end());
  out.push_back(0);
}
void PutCounted(std::vector<std::uint8_t>& out, const std::string& s) {
  std::size_t n = std::min<std::size_t>(s.size(), 0xFFFF);
  Put16(out, static_cast<std::uint16_t>(n));
  out.insert(out.end(), s.begin(), s.begin() + static_cast<std::ptrdiff_t>(n));
}

bool IsLocalPath(std::string_view p) {
  return p.size() >= 3 && ((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z')) &&
         p[1] == ':' && p[2] == '\\';
}

// "\\server\share\rest" -> net name "\\server\share" and suffix "rest"; false when not UNC.
bool SplitUnc(std::string_view p, std::string& netName, std::string& suffix) {
  if (p.size() < 5 || p[0] != '\\' || p[1] != '\\') return false;
  std::size_t serverEnd = p.find('\\', 2);
  if (serverEnd == std::string_view::npos || serverEnd == 2) return false;
  std::size_t shareEnd = p.find('\\', serverEnd + 1);
  std::string_view share =
      p.substr(serverEnd + 1, shareEnd == std::string_view::npos ? std::string_view::npos
                                                                 : shareEnd - serverEnd - 1);
  if (share.empty()) return false;
  netName = std::string(p.substr(0, serverEnd + 1 + share.size()));
  suffix = shareEnd == std::string_view::npos ? std::string() : std::string(p.substr(shareEnd + 1));
  return true;
}

void PutLinkInfo(std::vector<std::uint8_t>& out, const ShellLinkData& link, bool local,
                 const std::string& netName, const std::string& suffix) {
  std::size_t start = out.size();
  Put32(out, 0);  // LinkInfoSize, patched below
  Put32(out, kLinkInfoHeaderPlain);
  Put32(out, local ? kVolumeIdAndLocalBasePath : kCommonNetworkRelativeLinkAndPathSuffix);
  std::size_t offsets = out.size();
  for (int i = 0; i < 4; ++i) Put32(out, 0);  // the four offsets, patched below
  auto here = [&] { return static_cast<std::uint32_t>(out.size() - start); };

  if (local) {
    std::string_view label = UpToNul(link.volumeLabel);
    Patch32(out, offsets, here());
    Put32(out, kVolumeIdHeader + static_cast<std::uint32_t>(label.size()) + 1);
    Put32(out, link.driveType);
    Put32(out, link.driveSerial);
    Put32(out, kVolumeIdHeader);  // label right after this header
    PutCString(out, label);
    Patch32(out, offsets + 4, here());
    PutCString(out, UpToNul(link.target));
    Patch32(out, offsets + 12, here());
    PutCString(out, "");
  } else {
    Patch32(out, offsets + 8, here());
    Put32(out, kNetworkLinkHeader + static_cast<std::uint32_t>(netName.size()) + 1);
    Put32(out, 0);                   // no device name, no provider type
    Put32(out, kNetworkLinkHeader);  // net name right after this header
    Put32(out, 0);
    Put32(out, 0);
    PutCString(out, netName);
    Patch32(out, offsets + 12, here());
    PutCString(out, UpToNul(suffix));
  }
  Patch32(out, start, here());
}

// ---------------------------------------------------------------- reading

// A bounded view: every read checks the span first.
class Span {
 public:
  Span(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::size_t size() const { return size_; }
  bool Has(std::size_t at, std::size_t n) const { return at <= size_ && n <= size_ - at; }
  std::uint16_t U16(std::size_t at) const {
    return static_cast<std::uint16_t>(data_[at] | (data_[at + 1] << 8));
  }
  std::uint32_t U32(std::size_t at) const {
    return static_cast<std::uint32_t>(data_[at]) |
           (static_cast<std::uint32_t>(data_[at + 1]) << 8) |
           (static_cast<std::uint32_t>(data_[at + 2]) << 16) |
           (static_cast<std::uint32_t>(data_[at + 3]) << 24);
  }
  std::uint64_t U64(std::size_t at) const {
    return static_cast<std::uint64_t>(U32(at)) | (static_cast<std::uint64_t>(U32(at + 4)) << 32);
  }
  const std::uint8_t* At(std::size_t at) const { return data_ + at; }
  Span Sub(std::size_t at, std::size_t n) const { return Span(data_ + at, n); }

  // An 8-bit string from `at` up to its NUL, which must lie inside the span.
  std::optional<std::string> CString(std::size_t at) const {
    if (at >= size_) return std::nullopt;
    const void* nul = std::memchr(data_ + at, 0, size_ - at);
    if (nul == nullptr) return std::nullopt;
    return std::string(reinterpret_cast<const char*>(data_ + at),
                       static_cast<const std::uint8_t*>(nul) - (data_ + at));
  }
  // A UTF-16 string up to its NUL character, inside the span.
  bool HasWideString(std::size_t at) const {
    for (std::size_t p = at; Has(p, 2); p += 2)
      if (U16(p) == 0) return true;
    return false;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
};

char NarrowChar(std::uint16_t c) { return c < 0x100 ? static_cast<char>(c) : '?'; }

bool ParseIdList(const Span& s, std::size_t& pos) {
  if (!s.Has(pos, 2)) return false;
  std::size_t listSize = s.U16(pos);
  pos += 2;
  if (!s.Has(pos, listSize) || listSize < 2) return false;
  std::size_t end = pos + listSize;
  std::size_t p = pos;
  for (;;) {
    if (p + 2 > end) return false;
    std::size_t itemSize = s.U16(p);
    if (itemSize == 0) {  // the terminal id closes the list exactly at its end
      if (p + 2 != end) return false;
      break;
    }
    if (itemSize < 2 || itemSize > end - p) return false;
    p += itemSize;
  }
  pos = end;
  return true;
}

bool ParseVolumeId(const Span& info, std::size_t at, ShellLinkData* link) {
  if (!info.Has(at, kVolumeIdHeader)) return false;
  std::uint32_t size = info.U32(at);
  if (size <= kVolumeIdHeader || !info.Has(at, size)) return false;
  Span vol = info.Sub(at, size);
  std::uint32_t driveType = vol.U32(4);
  if (driveType > 6) return false;
  std::uint32_t labelOffset = vol.U32(12);
  std::string label;
  if (labelOffset == 0x14) {  // the label is given in UTF-16 only
    if (!vol.Has(0, 0x14)) return false;
    std::uint32_t wideOffset = vol.U32(0x10);
    if (wideOffset < 0x14 || !vol.HasWideString(wideOffset)) return false;
    for (std::size_t p = wideOffset; vol.U16(p) != 0; p += 2)
      label.push_back(NarrowChar(vol.U16(p)));
  } else {
    if (labelOffset < kVolumeIdHeader) return false;
    auto text = vol.CString(labelOffset);
    if (!text) return false;
    label = *text;
  }
  link->driveType = driveType;
  link->driveSerial = vol.U32(8);
  link->volumeLabel = label;
  return true;
}

bool ParseNetworkLink(const Span& info, std::size_t at, std::string& netName) {
  if (!info.Has(at, kNetworkLinkHeader)) return false;
  std::uint32_t size = info.U32(at);
  if (size < kNetworkLinkHeader || !info.Has(at, size)) return false;
  Span net = info.Sub(at, size);
  std::uint32_t flags = net.U32(4);
  std::uint32_t netNameOffset = net.U32(8);
  std::uint32_t deviceNameOffset = net.U32(12);
  if (netNameOffset < kNetworkLinkHeader) return false;
  std::uint32_t headerEnd = kNetworkLinkHeader;
  if (netNameOffset > kNetworkLinkHeader) {  // the UTF-16 offsets follow the header
    headerEnd = kNetworkLinkHeader + 8;
    if (!net.Has(0, headerEnd) || netNameOffset < headerEnd) return false;
    std::uint32_t wideNet = net.U32(0x14);
    std::uint32_t wideDevice = net.U32(0x18);
    if (wideNet != 0 && (wideNet < headerEnd || !net.HasWideString(wideNet))) return false;
    if (wideDevice != 0 && (wideDevice < headerEnd || !net.HasWideString(wideDevice))) return false;
  }
  auto name = net.CString(netNameOffset);
  if (!name) return false;
  if (flags & kValidDevice) {
    if (deviceNameOffset < headerEnd || !net.CString(deviceNameOffset)) return false;
  } else if (deviceNameOffset != 0) {
    return false;
  }
  netName = *name;
  return true;
}

bool ParseLinkInfo(const Span& s, std::size_t& pos, ShellLinkData* link) {
  if (!s.Has(pos, 8)) return false;
  std::uint32_t size = s.U32(pos);
  std::uint32_t headerSize = s.U32(pos + 4);
  if (size < kLinkInfoHeaderPlain || !s.Has(pos, size)) return false;
  if (headerSize != kLinkInfoHeaderPlain &&
      (headerSize < kLinkInfoHeaderWithUnicode || headerSize > size))
    return false;
  Span info = s.Sub(pos, size);
  std::uint32_t flags = info.U32(8);
  std::uint32_t volumeIdOffset = info.U32(12);
  std::uint32_t localBaseOffset = info.U32(16);
  std::uint32_t networkOffset = info.U32(20);
  std::uint32_t suffixOffset = info.U32(24);
  bool local = (flags & kVolumeIdAndLocalBasePath) != 0;
  bool network = (flags & kCommonNetworkRelativeLinkAndPathSuffix) != 0;

  auto inData = [&](std::uint32_t off) { return off >= headerSize && off < size; };
  if (local != (volumeIdOffset != 0) || local != (localBaseOffset != 0)) return false;
  if (network != (networkOffset != 0)) return false;
  if (!inData(suffixOffset)) return false;

  if (headerSize >= kLinkInfoHeaderWithUnicode) {
    std::uint32_t wideBase = info.U32(28);
    std::uint32_t wideSuffix = info.U32(32);
    if (local != (wideBase != 0)) return false;
    if (wideBase != 0 && (!inData(wideBase) || !info.HasWideString(wideBase))) return false;
    if (!inData(wideSuffix) || !info.HasWideString(wideSuffix)) return false;
  }

  auto suffix = info.CString(suffixOffset);
  if (!suffix) return false;
  std::string target;
  if (local) {
    if (!inData(volumeIdOffset) || !inData(localBaseOffset)) return false;
    if (!ParseVolumeId(info, volumeIdOffset, link)) return false;
    auto base = info.CString(localBaseOffset);
    if (!base) return false;
    target = *base + *suffix;
  }
  if (network) {
    std::string netName;
    if (!inData(networkOffset) || !ParseNetworkLink(info, networkOffset, netName)) return false;
    if (!local) target = suffix->empty() ? netName : netName + "\\" + *suffix;
  }
  link->target = target;
  pos += size;
  return true;
}

bool ParseCounted(const Span& s, std::size_t& pos, bool unicode, std::string& out) {
  if (!s.Has(pos, 2)) return false;
  std::size_t count = s.U16(pos);
  pos += 2;
  std::size_t bytes = unicode ? count * 2 : count;
  if (!s.Has(pos, bytes)) return false;
  out.clear();
  if (unicode) {
    for (std::size_t i = 0; i < count; ++i) out.push_back(NarrowChar(s.U16(pos + 2 * i)));
  } else {
    out.assign(reinterpret_cast<const char*>(s.At(pos)), count);
  }
  // The shell's reader takes each string as a C string: some writers count the terminator.
  out.resize(std::min(out.size(), out.find('\0')));
  pos += bytes;
  return true;
}

bool ParseExtraData(const Span& s, std::size_t pos, std::uint32_t linkFlags) {
  bool haveEnvironment = false, haveDarwin = false, haveIconEnvironment = false, haveShim = false;
  for (;;) {
    if (!s.Has(pos, 4)) return false;  // the terminal block is required
    std::uint32_t blockSize = s.U32(pos);
    if (blockSize < 4) {
      pos += 4;
      break;
    }
    if (blockSize < 8 || !s.Has(pos, blockSize)) return false;
    std::uint32_t signature = s.U32(pos + 4);
    // Only the published block kinds, each with its published size.
    const FixedBlock* kind = nullptr;
    for (const FixedBlock& known : kKnownBlocks)
      if (known.signature == signature) kind = &known;
    if (kind == nullptr) return false;
    if (kind->size != 0 ? blockSize != kind->size : blockSize < kind->minimum) return false;
    haveEnvironment |= signature == kEnvironmentBlock;
    haveDarwin |= signature == kDarwinBlock;
    haveIconEnvironment |= signature == kIconEnvironmentBlock;
    haveShim |= signature == kShimBlock;
    pos += blockSize;
  }
  if (pos != s.size()) return false;  // nothing may follow the terminal block
  if ((linkFlags & kLinkHasExpString) && !haveEnvironment) return false;
  if ((linkFlags & kLinkHasDarwinId) && !haveDarwin) return false;
  if ((linkFlags & kLinkHasExpIcon) && !haveIconEnvironment) return false;
  if ((linkFlags & kLinkRunWithShimLayer) && !haveShim) return false;
  return true;
}

}  // namespace

std::vector<std::uint8_t> BuildShellLink(const ShellLinkData& link) {
  std::string netName, suffix;
  bool local = IsLocalPath(link.target);
  bool network = !local && SplitUnc(link.target, netName, suffix);

  std::uint32_t flags = 0;
  if (local || network) flags |= kLinkHasLinkInfo;
  if (!link.description.empty()) flags |= kLinkHasName;
  if (!link.relativePath.empty()) flags |= kLinkHasRelativePath;
  if (!link.workingDir.empty()) flags |= kLinkHasWorkingDir;
  if (!link.arguments.empty()) flags |= kLinkHasArguments;
  if (!link.iconFile.empty()) flags |= kLinkHasIconLocation;

  std::vector<std::uint8_t> out;
  out.reserve(256 + link.target.size() * 2);
  Put32(out, kShellLinkHeaderSize);
  out.insert(out.end(), std::begin(kLinkClsid), std::end(kLinkClsid));
  Put32(out, flags);
  Put32(out, link.fileAttributes);
  Put64(out, link.creationTime.ticks);
  Put64(out, link.accessTime.ticks);
  Put64(out, link.writeTime.ticks);
  Put32(out, link.fileSize);
  Put32(out, static_cast<std::uint32_t>(link.iconIndex));
  Put32(out, link.showCommand);
  Put16(out, link.hotKey);
  Put16(out, 0);  // Reserved1
  Put32(out, 0);  // Reserved2
  Put32(out, 0);  // Reserved3

  if (flags & kLinkHasLinkInfo) PutLinkInfo(out, link, local, netName, suffix);
  // The counted strings, in the order the layout fixes.
  if (flags & kLinkHasName) PutCounted(out, link.description);
  if (flags & kLinkHasRelativePath) PutCounted(out, link.relativePath);
  if (flags & kLinkHasWorkingDir) PutCounted(out, link.workingDir);
  if (flags & kLinkHasArguments) PutCounted(out, link.arguments);
  if (flags & kLinkHasIconLocation) PutCounted(out, link.iconFile);
  Put32(out, 0);  // terminal extra-data block
  return out;
}

bool ParseShellLink(const std::uint8_t* data, std::size_t size, ShellLinkData* link) {
  if (data == nullptr || link == nullptr) return false;
  Span s(data, size);
  if (!s.Has(0, kShellLinkHeaderSize)) return false;
  if (s.U32(0) != kShellLinkHeaderSize) return false;
  if (std::memcmp(s.At(4), kLinkClsid, sizeof kLinkClsid) != 0) return false;
  if (s.U16(0x42) != 0 || s.U32(0x44) != 0 || s.U32(0x48) != 0) return false;  // reserved

  ShellLinkData out;
  out.linkFlags = s.U32(0x14);
  out.fileAttributes = s.U32(0x18);
  out.creationTime.ticks = s.U64(0x1C);
  out.accessTime.ticks = s.U64(0x24);
  out.writeTime.ticks = s.U64(0x2C);
  out.fileSize = s.U32(0x34);
  out.iconIndex = static_cast<std::int32_t>(s.U32(0x38));
  out.showCommand = s.U32(0x3C);
  out.hotKey = s.U16(0x40);

  std::size_t pos = kShellLinkHeaderSize;
  std::uint32_t flags = out.linkFlags;
  if ((flags & kLinkHasTargetIdList) && !ParseIdList(s, pos)) return false;
  if (flags & kLinkHasLinkInfo) {
    ShellLinkData info = out;
    if (!ParseLinkInfo(s, pos, &info)) return false;
    // A link saved with ForceNoLinkInfo carries the structure but asks that it be ignored.
    if (!(flags & kLinkForceNoLinkInfo)) out = info;
  }
  bool unicode = (flags & kLinkIsUnicode) != 0;
  if ((flags & kLinkHasName) && !ParseCounted(s, pos, unicode, out.description)) return false;
  if ((flags & kLinkHasRelativePath) && !ParseCounted(s, pos, unicode, out.relativePath))
    return false;
  if ((flags & kLinkHasWorkingDir) && !ParseCounted(s, pos, unicode, out.workingDir)) return false;
  if ((flags & kLinkHasArguments) && !ParseCounted(s, pos, unicode, out.arguments)) return false;
  if ((flags & kLinkHasIconLocation) && !ParseCounted(s, pos, unicode, out.iconFile)) return false;
  if (!ParseExtraData(s, pos, flags)) return false;
  *link = std::move(out);
  return true;
}

}  // namespace vx
