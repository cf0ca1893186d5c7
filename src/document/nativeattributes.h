#pragma once

#include <QDomElement>
#include <QString>
#include <QStringList>

// The program's own attributes, stored on the elements of a design so that a
// saved SVG file carries its machine settings. Names are literal qualified
// names: documents are read without namespace processing.
namespace NativeAttribute {
inline constexpr const char ScanPower[] = "lumacraft:scanPower";
inline constexpr const char ScanSpeed[] = "lumacraft:scanSpeed";
inline constexpr const char ScanTimes[] = "lumacraft:scanTimes";
inline constexpr const char ScanBuffer[] = "lumacraft:scanBuffer";
inline constexpr const char ScanAccuracy[] = "lumacraft:scanAccuracy";
inline constexpr const char ScanAngle[] = "lumacraft:scanAngle";
inline constexpr const char ScanError[] = "lumacraft:scanError";
inline constexpr const char XMotorMovementError[] = "lumacraft:XMotorMovementError";
inline constexpr const char YMotorMovementError[] = "lumacraft:YMotorMovementError";
inline constexpr const char Image[] = "lumacraft:image";
inline constexpr const char Label[] = "lumacraft:label";
// Text layout uses a differently capitalised prefix; files depend on it.
inline constexpr const char TextDirection[] = "lumaCraft:TextDirection";
inline constexpr const char Alignment[] = "lumaCraft:Alignment";
inline constexpr const char WordSpacing[] = "lumaCraft:WordSpacing";
inline constexpr const char LineSpacing[] = "lumaCraft:LineSpacing";
} // namespace NativeAttribute

// URI bound to the "lumacraft" prefix in new documents (never consulted when reading).
inline constexpr const char LumacraftNamespaceUri[] = "http://www.lumacraft.net/scribo";

// Parameters the scene supplies for elements that lack them. All start at 0.
struct DefaultParameters
{
    double scanTimes = 0;
    double scanBuffer = 0;
    double scanAccuracy = 0;
    double scanAngle = 0;
    double scanError = 0;
    double XMotorMovementError = 0;
    double YMotorMovementError = 0;
};

// The nine print parameters of one drawable element.
struct PrintParameters
{
    double scanTimes = 0;
    double scanBuffer = 0;
    double scanAccuracy = 0;
    double scanAngle = 0;
    double scanError = 0;
    double scanPower = 100;
    double scanSpeed = 100;
    double XMotorMovementError = 0;
    double YMotorMovementError = 0;

    // Exact equality of every field (raster groups are told apart this way).
    bool operator==(const PrintParameters &other) const;
    bool operator!=(const PrintParameters &other) const { return !(*this == other); }
};

// Reads the print parameters of an element. Power and speed default to 100 and
// are left absent; every other missing or unreadable parameter takes the scene
// default, which is written into the element at once (six significant digits).
PrintParameters readPrintParameters(QDomElement &element, const DefaultParameters &defaults);
// The parameters readPrintParameters writes when missing, in the order of DefaultParameters.
const QStringList &defaultedParameterNames();

// The same values without touching the element: missing ones are taken from
// `defaults` (power and speed from 100) but not written.
PrintParameters printParametersOf(const QDomElement &element, const DefaultParameters &defaults);

// Text layout values as stored in "lumaCraft:Alignment" / "lumaCraft:TextDirection".
enum TextElementAlignment : int { AlignLeft = 0, AlignRight = 1, AlignCenter = 2 };
enum TextDirection : int { TextVertical = 0, TextHorizontal = 1 };

TextElementAlignment textAlignmentFromAttribute(const QString &value);
QString textAlignmentToAttribute(TextElementAlignment alignment);
TextDirection textDirectionFromAttribute(const QString &value);
QString textDirectionToAttribute(TextDirection direction);

// Image raster modes of "lumacraft:image".
inline constexpr const char ImageModeBlackWhite[] = "bw";
inline constexpr const char ImageModeGray[] = "gray";
inline constexpr const char ImageModeHalftone[] = "halftone";
