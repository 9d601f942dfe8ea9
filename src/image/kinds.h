#pragma once
// The kind lists of the program: which upper-case extensions (with the dot) are pictures,
// media, text, metafiles. Tested with InKindList (common/kind_list.h): a listed extension or
// a fragment of one counts. Every room takes its lists from here.

namespace pelira {

// Picture files the loader reads through a codec or the imaging library.
inline constexpr const char* kPictureList = ".JPG.JPEG.PNG.DCX.PCX.BMP.DIB.TIF.TGA.PCD.PSD.GIF";
inline constexpr const char* kMediaList =
    ".AVI.MPG.M1V.MPE.MPEG.MPV.M2V.WMV.ASF.QT.MOV.RM.WAV.MP2.MP3.MPA.AIF.AIFF.AIFX.MID.RMI.AU.SND.RA.WMA.RMI";
// What the probe accepts: pictures, media and slideshow scripts.
inline constexpr const char* kProbeList =
    ".JPG.JPEG.PNG.DCX.PCX.BMP.DIB.TIF.TGA.PCD.PSD.GIF.AVI.MPG.M1V.MPE.MPEG.MPV.M2V.WMV.ASF.QT.MOV.RM.WAV.MP2.MP3."
    "MPA.AIF.AIFF.AIFX.MID.RMI.AU.SND.RA.WMA.RMI.AVL";
// Read by our own codecs rather than the imaging library.
inline constexpr const char* kInProgramList = ".BMP.PNG.TIF.TGA.PCX.DIB.PSD.GIF";
inline constexpr const char* kBmpList = ".BMP.DIB";
inline constexpr const char* kTextList = ".RTF.TXT";
inline constexpr const char* kMetafileList = ".WMF.EMF";
inline constexpr const char* kThumbnailList = kPictureList;

}  // namespace pelira
