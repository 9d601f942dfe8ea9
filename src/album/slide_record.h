#pragma once
// One album slide as it lies in memory and in the record side file ("._d_"): 136 bytes,
// little-endian, no padding, so a whole album is read and written as one block.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace pelira {

inline constexpr std::size_t kSlideRecordSize = 136;
inline constexpr std::size_t kThumbNameMax = 24;
inline constexpr std::size_t kExtMax = 12;
inline constexpr std::size_t kSubfolderMax = 16;

// Thumbnail states.
inline constexpr std::int16_t kThumbPending = 1;
inline constexpr std::int16_t kThumbRetry = 2;
inline constexpr std::int16_t kThumbFailed = 3;
inline constexpr std::int16_t kThumbDone = 100;

// Field values with a meaning of their own.
inline constexpr std::int32_t kNoBackground = -2;
inline constexpr std::int32_t kNotApplicable = -1;
inline constexpr std::int16_t kAuto = -2;
inline constexpr std::int32_t kNoCrc = -1;

// The extension that marks an audio-CD track (compared exactly).
inline constexpr std::string_view kCdTrackExt = ".CDA";
// What a CD track shows wherever a path is wanted.
inline constexpr std::string_view kCdTrackPath = "------------------------------";

struct SlideRecord {
  std::uint8_t thumbNameLen;
  char thumbName[kThumbNameMax];
  std::uint8_t extLen;
  char ext[kExtMax];
  std::int16_t thumbState;
  std::int16_t iconIndex;
  std::uint8_t reserved1[2];
  std::int32_t nameIndex;
  std::int32_t dirIndex;
  std::int32_t category;
  std::int32_t size;  // low 32 bits of the file size: read as unsigned wherever shown
  std::int32_t fileDate;  // packed DOS date-time, unsigned when compared
  std::int32_t timeOfDay;  // ms since midnight
  std::int32_t orderKey;
  std::int32_t crc;
  std::int32_t commentIndex;
  std::uint8_t subfolderLen;
  char subfolder[kSubfolderMax];
  std::uint8_t reserved2[3];
  std::int32_t userIdx;
  std::int32_t extraIdx;
  std::int32_t background;  // 0x00BBGGRR, -2 none, -1 not applicable
  std::int16_t wait;
  std::int16_t effect;
  std::int16_t gamma;
  std::int16_t zoom;
  std::int16_t posX;
  std::int16_t posY;
  std::int16_t panelW;
  std::int16_t panelH;
  std::int16_t rotate;
  std::uint16_t width;
  std::uint16_t height;
  std::uint8_t reserved3[2];

  std::string_view Ext() const { return {ext, extLen > kExtMax ? kExtMax : extLen}; }
  std::string_view ThumbName() const { return {thumbName, thumbNameLen > kThumbNameMax ? kThumbNameMax : thumbNameLen}; }
  std::string_view Subfolder() const { return {subfolder, subfolderLen > kSubfolderMax ? kSubfolderMax : subfolderLen}; }
  void SetExt(std::string_view s) { SetField(extLen, ext, kExtMax, s); }
  void SetThumbName(std::string_view s) { SetField(thumbNameLen, thumbName, kThumbNameMax, s); }
  void SetSubfolder(std::string_view s) { SetField(subfolderLen, subfolder, kSubfolderMax, s); }
  bool IsCdTrack() const { return Ext() == kCdTrackExt; }
  std::uint32_t Size() const { return static_cast<std::uint32_t>(size); }
  std::uint32_t Date() const { return static_cast<std::uint32_t>(fileDate); }
  // width*100/height; 0 when the height is 0 (a crafted record must not divide by zero).
  int Aspect() const { return height == 0 ? 0 : static_cast<int>(width) * 100 / height; }

 private:
  static void SetField(std::uint8_t& len, char* buf, std::size_t max, std::string_view s) {
    const std::size_t n = s.size() > max ? max : s.size();
    std::memset(buf, 0, max);
    if (n > 0) std::memcpy(buf, s.data(), n);
    len = static_cast<std::uint8_t>(n);
  }
};

static_assert(std::endian::native == std::endian::little, "the record is stored as it lies in memory");
static_assert(sizeof(SlideRecord) == kSlideRecordSize);
static_assert(alignof(SlideRecord) == 4);
static_assert(offsetof(SlideRecord, thumbNameLen) == 0);
static_assert(offsetof(SlideRecord, extLen) == 25);
static_assert(offsetof(SlideRecord, thumbState) == 38);
static_assert(offsetof(SlideRecord, iconIndex) == 40);
static_assert(offsetof(SlideRecord, nameIndex) == 44);
static_assert(offsetof(SlideRecord, dirIndex) == 48);
static_assert(offsetof(SlideRecord, category) == 52);
static_assert(offsetof(SlideRecord, size) == 56);
static_assert(offsetof(SlideRecord, fileDate) == 60);
static_assert(offsetof(SlideRecord, timeOfDay) == 64);
static_assert(offsetof(SlideRecord, orderKey) == 68);
static_assert(offsetof(SlideRecord, crc) == 72);
static_assert(offsetof(SlideRecord, commentIndex) == 76);
static_assert(offsetof(SlideRecord, subfolderLen) == 80);
static_assert(offsetof(SlideRecord, reserved2) == 97);
static_assert(offsetof(SlideRecord, userIdx) == 100);
static_assert(offsetof(SlideRecord, extraIdx) == 104);
static_assert(offsetof(SlideRecord, background) == 108);
static_assert(offsetof(SlideRecord, wait) == 112);
static_assert(offsetof(SlideRecord, effect) == 114);
static_assert(offsetof(SlideRecord, gamma) == 116);
static_assert(offsetof(SlideRecord, zoom) == 118);
static_assert(offsetof(SlideRecord, posX) == 120);
static_assert(offsetof(SlideRecord, posY) == 122);
static_assert(offsetof(SlideRecord, panelW) == 124);
static_assert(offsetof(SlideRecord, panelH) == 126);
static_assert(offsetof(SlideRecord, rotate) == 128);
static_assert(offsetof(SlideRecord, width) == 130);
static_assert(offsetof(SlideRecord, height) == 132);
static_assert(offsetof(SlideRecord, reserved3) == 134);

// A record with every byte zero.
SlideRecord ZeroRecord();

// The slide kinds, tested on the extension (any case) as substrings of the lists.
inline constexpr std::string_view kAlbumImageKinds = ".JPG.JPEG.PNG.DCX.PCX.BMP.DIB.TIF.TGA.PCD.PSD.GIF.WMF.EMF";
inline constexpr std::string_view kAlbumAudioKinds = ".WAV.MP2.MP3.MPA.AIF.AIFF.AIFX.MID.RMI.AU.SND.RA.WMA.RMI.AVL";
inline constexpr std::string_view kAlbumVideoKinds = ".AVI.MPG.M1V.MPE.MPEG.MPV.M2V.WMV.ASF.QT.MOV.RM.RTF.TXT";
enum class SlideKind { Image, Audio, VideoText, Other, CdTrack };
SlideKind KindOfExt(std::string_view ext);
SlideKind KindOf(const SlideRecord& r);

// The show-property defaults of a newly added slide of that kind (thumbnail state 1, CRC -1,
// the rest 0); strings and indices are left for the caller.
void SetSlideDefaults(SlideRecord& r, SlideKind kind);

// Packed DOS date-time of a local time; 0 outside 1980-2099.
std::int32_t PackDosDate(int year, int month, int day, int hour, int minute, int second);
// The record's date and time-of-day fields from a modification time (seconds and
// nanoseconds since the epoch), in local time.
void SetRecordTime(SlideRecord& r, std::int64_t seconds, std::int64_t nanoseconds);

// Repairs a record that came from outside: string lengths past their fields clamped and the
// bytes past them zeroed, reserved bytes zeroed, an unknown thumbnail state made pending, and
// cached thumbnail names that could name a path outside the cache cleared (pending again).
// Answers true when it changed anything.
bool SanitizeRecord(SlideRecord& r);

}  // namespace pelira
