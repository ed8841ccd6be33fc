#include "engine/files/FolderSeal.h"

#include <cstring>

#include "engine/files/PackageFormat.h"

namespace vx::pkg {

namespace {
constexpr std::size_t kHead = 12;
constexpr std::size_t kFileFixed = 2 + 8 + 32;
}  // namespace

std::string EncodeFolderSeal(const std::vector<SealedFile>& files) {
  std::string out(kHead, '\0');
  std::memcpy(out.data(), kFolderSealMagic, sizeof kFolderSealMagic);
  WriteLe32(reinterpret_cast<std::uint8_t*>(out.data()) + 8, std::uint32_t(files.size()));
  for (const SealedFile& f : files) {
    std::uint8_t fixed[kFileFixed];
    fixed[0] = std::uint8_t(f.name.size());
    fixed[1] = std::uint8_t(f.name.size() >> 8);
    out.append(reinterpret_cast<const char*>(fixed), 2);
    out += f.name;
    WriteLe32(fixed, std::uint32_t(f.length));
    WriteLe32(fixed + 4, std::uint32_t(f.length >> 32));
    out.append(reinterpret_cast<const char*>(fixed), 8);
    out.append(reinterpret_cast<const char*>(f.digest.data()), f.digest.size());
  }
  const Sha256Digest self = Sha256Of(out.data(), out.size());
  out.append(reinterpret_cast<const char*>(self.data()), self.size());
  return out;
}

bool DecodeFolderSeal(const std::uint8_t* p, std::size_t size, std::vector<SealedFile>* files) {
  if (size < kHead + 32 || std::memcmp(p, kFolderSealMagic, sizeof kFolderSealMagic) != 0)
    return false;
  const std::uint32_t count = ReadLe32(p + 8);
  if (count > kFolderSealMaxFiles) return false;
  const std::size_t body = size - 32;
  const Sha256Digest self = Sha256Of(p, body);
  if (std::memcmp(self.data(), p + body, 32) != 0) return false;
  std::vector<SealedFile> out;
  std::size_t at = kHead;
  for (std::uint32_t i = 0; i < count; ++i) {
    if (body - at < 2) return false;
    const std::size_t nameSize = std::size_t(p[at] | p[at + 1] << 8);
    at += 2;
    if (nameSize == 0 || nameSize > kFolderSealMaxName || body - at < nameSize + 8 + 32)
      return false;
    SealedFile f;
    f.name.assign(reinterpret_cast<const char*>(p + at), nameSize);
    at += nameSize;
    f.length = std::uint64_t(ReadLe32(p + at)) | std::uint64_t(ReadLe32(p + at + 4)) << 32;
    std::memcpy(f.digest.data(), p + at + 8, 32);
    at += 8 + 32;
    out.push_back(std::move(f));
  }
  if (at != body) return false;
  *files = std::move(out);
  return true;
}

}  // namespace vx::pkg
