#pragma once

#include <QFlags>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <functional>

// Root of the settings store when it is the per-user store of the platform. Only prCurrentUser
// is the user's own store; the others select the machine-wide store where the platform has one.
enum TPlacementRegRoot { prCurrentUser, prLocalMachine, prCurrentConfig, prClassesRoot, prUsers, prDynData };

enum TPlacementOption { fpState = 0x1, fpPosition = 0x2, fpActiveControl = 0x4 };
Q_DECLARE_FLAGS(TPlacementOptions, TPlacementOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TPlacementOptions)

// Where a form goes when it is shown and no stored position was applied. Qt widgets have no such
// setting of their own, so the placement component keeps it for the form it sits on.
enum TFormPosition { poDesigned, poScreenCenter, poDesktopCenter };

// The window's placement as the settings store keeps it. Show commands and flags use the
// classic values: 0 hidden, 1 normal, 2 minimised, 3 maximised; flag 2 = restore to maximised.
struct TWindowPlacement
{
    int flags = 0;
    int showCmd = 1;
    QPoint minPosition;
    QPoint maxPosition;
    QRect normalRect; // left, top, width and height of the normal (not minimised, not maximised) window
};

inline constexpr int kShowCmdHide = 0;
inline constexpr int kShowCmdNormal = 1;
inline constexpr int kShowCmdMinimized = 2;
inline constexpr int kShowCmdMaximized = 3;
inline constexpr int kPlacementRestoreToMaximized = 2;

enum class TWindowShowState { Normal, Minimized, Maximized };

using TPlacementEvent = std::function<void(QObject *Sender)>;
