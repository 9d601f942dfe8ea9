#pragma once
// Our own Photo CD reader, with the calls the loading pipeline and the thumbnails make.
// Resolution index r is 96 x 2^r by 64 x 2^r. The pack stores Base/16 (index 1), Base/4 (2)
// and Base (3) as plain luma and chroma planes; index 0 is Base/16 averaged 2 x 2. The
// higher resolutions need the pack's delta coding and are not reported, so a file offers at
// most four resolutions (fewer when it is too short to hold the planes). Pictures come out as stored
// (landscape); the pack's rotation bits are reported, not applied.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace pelira {

struct PcdFile;
using HPCD = PcdFile*;

struct PcdRect {
  std::int16_t left = 0, top = 0, right = 0, bottom = 0;
};

// What PCDreadImageInfo gives. Fields the pack does not carry are left empty with
// mediumByte 255, so the caller adds no media, scanner or photofinisher lines.
struct PcdImageInfo {
  std::uint8_t mediumByte = 255;
  char mediaType[2][20] = {};
  char scanner[16] = {};
  char photofinisher[60] = {};
  bool copyrighted = false;
  char rightsFile[30] = {};
};

// 0 on success, else non-zero; a failed open leaves *pcd null.
int PCDopen(const std::string& name, HPCD* pcd);
// The same over the file's bytes (only the first bytes up to the Base plane's end count).
int PCDopenBytes(std::vector<std::uint8_t> bytes, HPCD* pcd);
int PCDclose(HPCD pcd);
// attributes[0] encryption, attributes[1] watermark (both 0: packs are read unencrypted).
int PCDgetAttributes(HPCD pcd, std::uint8_t attributes[4], std::uint8_t more[4]);
// Bit r of mask set for each resolution r present; count = the number of resolutions.
int PCDgetCount(HPCD pcd, std::uint32_t* mask, int* count);
int PCDsetResolution(HPCD pcd, int resolution);
int PCDgetResolution(HPCD pcd, int* resolution);
// The size as callers read it: bottom holds the width and right the height.
int PCDgetSize(HPCD pcd, PcdRect* rect);
// 11: 24-bit output (also what 2, the thumbnails' format, gives).
int PCDsetFormat(HPCD pcd, int format);
// A packed image of the chosen resolution: 40-byte header, a 1024-byte colour table (zero
// for 24 bits), then bottom-up rows of blue, green, red. rect (optional) cuts a part out.
int PCDloadImage(HPCD pcd, const PcdRect* rect, std::vector<std::uint8_t>* block);
void PCDfreeBitmap(std::vector<std::uint8_t>* block);
int PCDreadImageInfo(HPCD pcd, PcdImageInfo* info);

// The rotation bits of the pack (0..3), for the information display.
int PCDgetRotation(HPCD pcd);

}  // namespace pelira
