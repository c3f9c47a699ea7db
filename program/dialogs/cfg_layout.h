// The settings dialog's geometry as plain arithmetic: the column widths and the smallest
// window size from the measured captions, and every control's rectangle for a client size.
// Pixels; every division rounds toward zero.
#pragma once

#include <array>
#include <cstdint>

namespace yov {

// A rectangle; a width or height of -1 keeps the control's own (labels, combo boxes).
struct CfgRect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t w = -1;
    int32_t h = -1;
    bool operator==(const CfgRect&) const = default;
};

// The rows the arithmetic is built on (a control row, a line of text and the status bar: 315,
// 195 and 285 twips), and what a sizable window with caption and menu bar adds around its
// client area, across and down.
//
// What the toolkit's controls need, as the dialog measures them (0: nothing beyond the twips
// figures, which alone give the arithmetic unchanged): a row of an option or check box
// (at least a line of text), the room of its mark before the caption (at least a control
// row), a combo box (at least a control row), the first row inside a frame with a caption
// (at least 17) and without one, and a frame's line with its margin at the sides and the
// bottom.
struct CfgMetrics {
    int32_t rowHeight = 21;
    int32_t lineHeight = 13;
    int32_t statusBarHeight = 19;
    int32_t borderWidth = 0;
    int32_t borderHeight = 0;
    int32_t optionRow = 0;
    int32_t markRoom = 0;
    int32_t comboHeight = 0;
    int32_t captionedTop = 0;
    int32_t plainTop = 0;
    int32_t frameEdge = 0;
};

// The widest caption of each group of controls, as measured.
struct CfgCaptions {
    int32_t toolButtons = 0;    // Cmd 4096, 4102, 4100
    int32_t headerButtons = 0;  // Cmd 4113, CmdHlp, CmdOk
    int32_t testButton = 0;     // CmdTst
    int32_t browseButton = 0;   // CmdBrw 0
    int32_t clearButton = 0;    // Cmd 4101
    int32_t cacheOptions = 0;   // OptCache 4104..4107, ChkBackup
    int32_t drawMethods = 0;    // OptAlg 0..4, ChkAct
    int32_t displayLabels = 0;  // Label1..Label3
    int32_t sequenceStop = 0;   // OptSeq 0..3, ChkSkipErr, ChkStopKey, ChkStopMove, ChkStopClick
    int32_t limitChecks = 0;    // ChkLin, ChkLen, ChkAvg
    int32_t speedLabel = 0;     // LabSpeed
    int32_t limitsLabel = 0;    // LimLab
};

// The widths the layout is built from: each group's widest caption with its margin or mark,
// then the columns and frames they make, and the dialog's smallest size.
struct CaptionWidths {
    int32_t toolButton = 0;      // the three buttons under the file rows
    int32_t headerButton = 0;    // About, Help and O.K., at least 60
    int32_t testButton = 0;      // the mode page's test button
    int32_t browseButton = 0;    // the browse button of a file row
    int32_t clearButton = 0;     // the cache frame's clear button
    int32_t cacheOption = 0;     // a cache option or the backup check box
    int32_t drawMethod = 0;      // a drawing method option or the hardware check box
    int32_t modeLabel = 0;       // a label of the display-mode rows
    int32_t sequenceOption = 0;  // a sequence option or a stop check box
    int32_t limitCheck = 0;      // a limit check box, or the speed label when wider
    int32_t mainButtons = 0;     // the main page's file rows and their buttons
    int32_t cacheFrame = 0;      // the cache frame
    int32_t drawFrame = 0;       // the drawing method and display-mode frames
    int32_t sequenceFrame = 0;   // the sequence and stop frames
    int32_t limitsColumn = 0;    // the speed and limits column
    int32_t pagesWidth = 0;      // the wider page's content
    int32_t upperFrames = 0;     // height of the drawing method and sequence frames
    int32_t lowerFrames = 0;     // height of the display-mode and stop frames
    int32_t MinDialogWidth = 0;
    int32_t MinDialogHeight = 0;
};

CaptionWidths MeasureCfgCaptions(const CfgCaptions& captions, const CfgMetrics& metrics);

// The header's two pictures (their widths and heights) and the title's size, measured on
// every resize; whether the help button is hidden.
struct CfgHeader {
    std::array<int32_t, 2> pictureWidth{};
    std::array<int32_t, 2> pictureHeight{};
    int32_t titleWidth = 0;
    int32_t titleHeight = 0;
    bool helpHidden = false;
};

struct CfgLayout {
    // Window (client coordinates).
    CfgRect shape1, title, cmdAbout, cmdHelp, cmdOk, tab1, pageFrame;
    std::array<CfgRect, 2> pic;
    // Page "Main", relative to FFrm.
    std::array<CfgRect, 2> labF, cmbFil, cmdBrw;
    CfgRect chkBackup, cmdStockList, cmdTestWindow, cmdTestFull, frmCache, cmdClear;
    std::array<CfgRect, 4> optCache;  // relative to FrmCache, as is cmdClear
    // Mode page, relative to WFrm; the options and rows relative to their frames.
    CfgRect frmDraw, framDX, chkAct, frmSeq, chkSkipErr, frmStp, chkStopKey, chkStopMove, chkStopClick;
    std::array<CfgRect, 5> optAlg;
    std::array<CfgRect, 3> modeLabel, modeCombo;
    std::array<CfgRect, 4> optSeq;
    CfgRect labSpeed, txtSpeed, limLab, chkLin, txtLin, chkLen, txtLen, chkAvg, txtAvg, cmdTst;
};

// The rectangles for a client area of clientWidth × clientHeight (the status bar included).
CfgLayout LayoutCfg(const CaptionWidths& widths, const CfgMetrics& metrics, const CfgHeader& header,
                    int32_t clientWidth, int32_t clientHeight);

// True when no control of either page overlaps another or leaves its page (the smallest
// height is the first where this holds).
bool PagesClear(const CfgLayout& layout, const CfgMetrics& metrics);

// Width and height of the input boxes of the limits column.
inline constexpr int32_t kCfgInputWidth = 43;
inline constexpr int32_t kCfgHeaderHeight = 58;

}  // namespace yov
