#include "thumbs/thumb_names.h"

#include "common/crc_register.h"
#include "common/hex_text.h"
#include "common/kind_list.h"

namespace pelira {

namespace {

bool IsUpperHex(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }
bool IsBase32(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'V'); }

bool AllOf(std::string_view s, bool (*pred)(char)) {
  for (char c : s)
    if (!pred(c)) return false;
  return true;
}

}  // namespace

std::string CacheRootName() { return "pl" + HexUpper(kThumbFileBytes, 6) + ".thd"; }

std::string IdentityText(const ThumbIdentity& id) {
  std::string t;
  t.reserve(id.volume.size() + id.path.size() + 48);
  t.append(id.volume).append("\r\n");
  t.append(id.path).append("\r\n");
  t.append(std::to_string(id.size)).append("\r\n");
  t.append(std::to_string(id.date)).append("\r\n");
  t.append(std::to_string(id.timeOfDay)).append("\r\n");
  return t;
}

std::string ThumbFileName(const ThumbIdentity& id) {
  static constexpr char kDigits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUV";
  const std::string text = IdentityText(id);
  const std::string crc = CrcRegisterText(CrcRegister(text));
  const std::size_t len = text.size();
  if (len < 32768) {
    std::string name = crc + ".";
    name.push_back(kDigits[(len >> 10) & 31]);
    name.push_back(kDigits[(len >> 5) & 31]);
    name.push_back(kDigits[len & 31]);
    return name;
  }
  return Hex8(static_cast<std::uint32_t>(len)) + crc;
}

std::string ThumbSubfolderName(std::string_view volume, std::string_view dir) {
  std::string t;
  t.reserve(volume.size() + dir.size() + 4);
  t.append(volume).append("\r\n").append(dir).append("\r\n");
  return CrcRegisterText(CrcRegister(t));
}

bool IsThumbFileName(std::string_view name) {
  if (name.size() == 12)
    return AllOf(name.substr(0, 8), IsUpperHex) && name[8] == '.' && AllOf(name.substr(9), IsBase32);
  return name.size() == 16 && AllOf(name, IsUpperHex);
}

bool IsThumbSubfolderName(std::string_view name) { return name.size() == 8 && AllOf(name, IsUpperHex); }

std::string SharedThumbName(std::string_view upperExt, bool cdTrack) {
  if (cdTrack) return std::string(kCdTrackThumb);
  if (upperExt.size() < 2 || upperExt.front() != '.') return std::string(kGenericIconThumb);
  std::string name(upperExt.substr(1));
  for (char& c : name) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    if (!plain) return std::string(kGenericIconThumb);
  }
  // Eight hex digits would be a directory's subfolder; "CDA" is the CD player's icon.
  if (IsThumbSubfolderName(name) || name == kCdTrackThumb) return std::string(kGenericIconThumb);
  return name;
}

bool HasPerFileThumb(std::string_view upperExt) { return InKindList(upperExt, kPerFileThumbKinds); }

}  // namespace pelira
