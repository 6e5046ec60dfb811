#pragma once

// Sections and keys of the main INI file that more than one place reads or
// writes, spelled once so that a typo cannot quietly create a new key.

// Sections
inline constexpr char kSystem[] = "SYSTEM";
inline constexpr char kCor[] = "Cor";
inline constexpr char kCor1[] = "Cor1";
inline constexpr char kCor2[] = "Cor2";
inline constexpr char kControlPanel[] = "CONTROLPANNEL"; // spelled as the workstations store it
inline constexpr char kDetDrtech[] = "DetDrtech";
inline constexpr char kDetectorDrtech[] = "DetectorDRTech";
inline constexpr char kDetectorVatech[] = "DetectorVatech";
inline constexpr char kIrayLibrary[] = "IRAYFPDLIB";

// [SYSTEM]
inline constexpr char kModalityMode[] = "Modality Mode";
inline constexpr char kCurrentModality[] = "Current Modality";
inline constexpr char kIsVet[] = "IsVet";
// [Cor]
inline constexpr char kUseMultiCor[] = "UseMultiCor";
inline constexpr char kMulticor[] = "Multicor";
// [Cor], [Cor1], [Cor2]: a detector's geometry
inline constexpr char kOriW[] = "OriW";
inline constexpr char kOriH[] = "OriH";
inline constexpr char kWidth[] = "Width";
inline constexpr char kHeight[] = "Height";
inline constexpr char kPixelSpacing[] = "PixelSpacing";
inline constexpr char kPixelSpacing2[] = "PixelSpacing2";
// [CONTROLPANNEL], [Cor1], [Cor2]
inline constexpr char kDevice[] = "Device";
// [CONTROLPANNEL]
inline constexpr char kUseModeAed[] = "UseModeAED";
// [DetectorDRTech]
inline constexpr char kDualMode[] = "DualMode";
// [DetDrtech], [ATAL]
inline constexpr char kDetMode[] = "DetMode";
// [DetDrtech], [Cor1], [Cor2]
inline constexpr char kDetType[] = "DetType";
// [IRAYFPDLIB]
inline constexpr char kConnectMode[] = "CONNECT_MODE";
// [DetectorVatech]
inline constexpr char kLibPath[] = "LibPath";
