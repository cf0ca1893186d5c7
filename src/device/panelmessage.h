#pragma once

#include <QString>
#include <QStringList>

// The small text messages exchanged by the device panel, the item panel and the
// device link, always as "set:<code> value:<value>" strings in a QStringList.

// Device panel -> device link.
enum SetLower {
    LowerPrintPower = 0,
    LowerPrintSpeed = 1,
    LowerLaserOpen = 2,
    LowerIdlePower = 3,
    LowerHome = 4,
    LowerMove = 5,
    LowerMoveSpeed = 6,
    LowerMoveDistance = 7,
    LowerMaxLaser = 8,
    LowerAutoConnect = 9,
    LowerConnectPort = 10,
    LowerRefreshPorts = 11,
    LowerStartPrint = 12,
    LowerStopPrint = 13,
    LowerPausePrint = 14,
    LowerFrame = 15,
    LowerWorkWidth = 16,
    LowerWorkHeight = 17,
    // 18 is reserved and has no sender.
    LowerOtaUpgrade = 19,
    LowerGetCoord = 20,
    LowerSetCoord = 21,
    LowerRunPara = 22,
    LowerRestoreDefault = 23,
    LowerLocTool = 24,
    LowerRoller = 25,
};

// Device link -> device panel.
enum SetPanel {
    PanelPortList = 0,
    PanelConnected = 1,
    PanelDisconnected = 2,
    PanelPrintPower = 3,
    PanelPrintSpeed = 4,
    PanelProgress = 5,
    PanelMoveSpeed = 6,
    PanelMoveDistance = 7,
    PanelMaxLaser = 8,
    PanelIdlePower = 9,
    PanelLaserOn = 10,
    PanelWorkWidth = 11,
    PanelWorkHeight = 12,
    PanelMaxSpeedX = 13,
    PanelMaxSpeedY = 14,
    PanelAccX = 15,
    PanelAccY = 16,
    PanelDirection = 17,
    PanelPrintDone = 18,
    PanelPosition = 19,
    PanelOtaProgress = 20,
    PanelOtaUpToDate = 21,
    PanelOtaError = 22,
    PanelOtaStarted = 23,
    PanelOtaDone = 24,
    PanelOtaAvailable = 25,
    PanelHardwareVersion = 26,
    PanelTransferStart = 29,
    PanelTransferDone = 30,
    // A job or the link failed in a way the user must hear about; the value is an
    // English explanation (see DeviceLinkError for the fixed texts).
    PanelLinkError = 31,
};

// Device panel -> item property panel.
enum SetItemProperty {
    ItemPrintSpeed = 0,
    ItemPrintPower = 1,
    ItemHardwareVersion = 2,
};

// The explanations sent with PanelLinkError.
namespace DeviceLinkError {
inline constexpr const char NoController[] = "no controller answered";
inline constexpr const char ControllerRefused[] = "controller refused: receive buffer too small";
inline constexpr const char PackageTimeout[] = "package transfer timed out";
inline constexpr const char ControllerReset[] = "controller reset during the job";
inline constexpr const char ReplyTooLong[] = "overlong reply from the controller dropped";
inline constexpr const char ControllerError[] = "controller rejected a line: ";
inline constexpr const char LinkLost[] = "link lost during the job";
inline constexpr const char StoppedAnswering[] = "the controller stopped answering; the job was stopped";
} // namespace DeviceLinkError

// Splits a message into its number fields: every character other than a digit,
// '-', '+', '.', '?', '(' or ')' separates fields; empty fields are skipped.
// So "set:21 value:value:x12.5,y40" gives 21, 12.5 and 40.
QStringList getNumbersFormStr(const QString &text);

// Numbers in messages: printf %g with six significant digits.
QString panelNumberText(double value);

// "set:<code> value:<value>".
QString panelMessageText(int code, const QString &value);
QString panelMessageNumber(int code, double value);

// The text after the first "value:" of a message, or an empty string.
QString panelMessageValueText(const QString &message);
