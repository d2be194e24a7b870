#pragma once
// Enumerations and sets of the report objects. Their members carry the names
// documents and scripts use ("baClient", "fsSolid", "ftLeft"), so they live in
// one meta-object namespace: property reflection finds the member names here.
// Only this header may declare Q_NAMESPACE for valmoro::report; enumerations
// of other report classes go into their classes with Q_ENUM.

#include <QFlags>
#include <QObject>

namespace valmoro::report {
Q_NAMESPACE

// Placement of a view inside its band or page.
enum TfrxAlign { baNone, baLeft, baRight, baCenter, baWidth, baBottom, baClient };
Q_ENUM_NS(TfrxAlign)

// How a view moves down when a view above it grows.
enum TfrxShiftMode { smDontShift, smAlways, smWhenOverlapped };
Q_ENUM_NS(TfrxShiftMode)

enum TfrxStretchMode { smDontStretch, smActualHeight, smMaxHeight };
Q_ENUM_NS(TfrxStretchMode)

enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };
Q_ENUM_NS(TBrushStyle)

enum TfrxHAlign { haLeft, haRight, haCenter, haBlock };
Q_ENUM_NS(TfrxHAlign)

enum TfrxVAlign { vaTop, vaBottom, vaCenter };
Q_ENUM_NS(TfrxVAlign)

enum TfrxFrameStyle { fsSolid, fsDash, fsDot, fsDashDot, fsDashDotDot, fsDouble, fsAltDot, fsSquare };
Q_ENUM_NS(TfrxFrameStyle)

// Sets: member n is bit n, as documents store them.
enum TfrxFrameType { ftLeft = 0x1, ftRight = 0x2, ftTop = 0x4, ftBottom = 0x8 };
Q_DECLARE_FLAGS(TfrxFrameTypes, TfrxFrameType)
Q_FLAG_NS(TfrxFrameTypes)

enum TfrxRestriction {
  rfDontModify = 0x1,
  rfDontSize = 0x2,
  rfDontMove = 0x4,
  rfDontDelete = 0x8,
  rfDontEdit = 0x10,
};
Q_DECLARE_FLAGS(TfrxRestrictions, TfrxRestriction)
Q_FLAG_NS(TfrxRestrictions)

enum TFontStyle { fsBold = 0x1, fsItalic = 0x2, fsUnderline = 0x4, fsStrikeOut = 0x8 };
Q_DECLARE_FLAGS(TFontStyles, TFontStyle)
Q_FLAG_NS(TFontStyles)

enum TfrxFormatKind { fkText, fkNumeric, fkDateTime, fkBoolean };
Q_ENUM_NS(TfrxFormatKind)

enum TfrxShapeKind { skRectangle, skRoundRectangle, skEllipse, skTriangle, skDiamond, skDiagonal1, skDiagonal2 };
Q_ENUM_NS(TfrxShapeKind)

enum TPrinterOrientation { poPortrait, poLandscape };
Q_ENUM_NS(TPrinterOrientation)

enum TfrxDuplexMode { dmNone, dmVertical, dmHorizontal, dmSimplex };
Q_ENUM_NS(TfrxDuplexMode)

// Dialog pages: window border, position and state.
enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
Q_ENUM_NS(TFormBorderStyle)

enum TPosition {
  poDesigned,
  poDefault,
  poDefaultPosOnly,
  poDefaultSizeOnly,
  poScreenCenter,
  poDesktopCenter,
  poMainFormCenter,
  poOwnerFormCenter,
};
Q_ENUM_NS(TPosition)

enum TWindowState { wsNormal, wsMinimized, wsMaximized };
Q_ENUM_NS(TWindowState)

// Report options: how errors are shown, how pages are printed, the preview.
enum TfrxSilentMode { simMessageBoxes, simSilent, simReThrow };
Q_ENUM_NS(TfrxSilentMode)

enum TfrxPrintMode { pmDefault, pmSplit, pmJoin, pmScale };
Q_ENUM_NS(TfrxPrintMode)

enum TfrxPrintPages { ppAll, ppOdd, ppEven };
Q_ENUM_NS(TfrxPrintPages)

enum TfrxPreviewButton {
  pbPrint = 0x1,
  pbLoad = 0x2,
  pbSave = 0x4,
  pbExport = 0x8,
  pbZoom = 0x10,
  pbFind = 0x20,
  pbOutline = 0x40,
  pbPageSetup = 0x80,
  pbTools = 0x100,
  pbEdit = 0x200,
  pbNavigator = 0x400,
  pbExportQuick = 0x800,
  pbNoClose = 0x1000,
  pbNoFullScreen = 0x2000,
  pbNoEmail = 0x4000,
};
Q_DECLARE_FLAGS(TfrxPreviewButtons, TfrxPreviewButton)
Q_FLAG_NS(TfrxPreviewButtons)

enum TfrxZoomMode { zmDefault, zmWholePage, zmPageWidth, zmManyPages };
Q_ENUM_NS(TfrxZoomMode)

// Where a data set's records start and end for a report run.
enum TfrxRangeBegin { rbFirst, rbCurrent };
Q_ENUM_NS(TfrxRangeBegin)
enum TfrxRangeEnd { reLast, reCurrent, reCount };
Q_ENUM_NS(TfrxRangeEnd)

// The kind of a data field as reports see it.
enum TfrxFieldType { fftNumeric, fftString, fftBoolean };
Q_ENUM_NS(TfrxFieldType)

}  // namespace valmoro::report

Q_DECLARE_OPERATORS_FOR_FLAGS(valmoro::report::TfrxFrameTypes)
Q_DECLARE_OPERATORS_FOR_FLAGS(valmoro::report::TfrxRestrictions)
Q_DECLARE_OPERATORS_FOR_FLAGS(valmoro::report::TFontStyles)
Q_DECLARE_OPERATORS_FOR_FLAGS(valmoro::report::TfrxPreviewButtons)
