#include "program/dialogs/cfg_layout.h"

#include <algorithm>
#include <cstdlib>

namespace yov {

namespace {

CfgRect rect(int32_t x, int32_t y, int32_t w = -1, int32_t h = -1) { return {x, y, w, h}; }

// The rows as the controls need them: the twips figures, or what was measured when more.
struct Rows {
    int32_t optionRow;     // an option or check box
    int32_t markRoom;      // its mark before the caption
    int32_t comboHeight;   // a combo box
    int32_t modeRow;       // a row of the display-mode frame: its combo or a button, the higher
    int32_t captionedTop;  // the first row inside a frame with a caption
    int32_t plainTop;      // the first row inside a frame without one
    int32_t frameEdge;     // a frame's line and margin
    int32_t rowIndent;     // where a frame's rows begin across
};

Rows rowsOf(const CfgMetrics& m) {
    Rows r{};
    r.optionRow = std::max(m.lineHeight, m.optionRow);
    r.markRoom = std::max(m.rowHeight, m.markRoom);
    r.comboHeight = std::max(m.rowHeight, m.comboHeight);
    r.modeRow = std::max(m.rowHeight, r.comboHeight);
    r.captionedTop = std::max(17, m.captionedTop);
    r.plainTop = std::max(0, m.plainTop);
    r.frameEdge = std::max(0, m.frameEdge);
    r.rowIndent = std::max(10, r.frameEdge);
    return r;
}

// How much each header picture gives up when pictures and title do not fit the band.
struct Cut {
    int32_t r0 = 0;
    int32_t r1 = 0;
};

Cut cutPictures(int32_t p0, int32_t p1, int32_t v) {
    const int32_t d = std::abs(p0 - p1);
    const bool firstWider = p0 >= p1;
    int32_t wider = 0;
    int32_t other = 0;
    if (d > v) {
        wider = v;
    } else {
        const int32_t h = (v - d) / 2;
        wider = h + d;
        other = h;
    }
    return firstWider ? Cut{wider, other} : Cut{other, wider};
}

void layoutHeader(CfgLayout& out, const CaptionWidths& cw, const CfgMetrics& m, const CfgHeader& hd, int32_t W) {
    const int32_t headerButton = cw.headerButton;
    const int32_t rowHeight = m.rowHeight;
    const int32_t N = W - 60 - 2 * headerButton;
    out.shape1 = rect(0, 0, N, kCfgHeaderHeight);
    const int32_t p0 = hd.pictureWidth[0];
    const int32_t p1 = hd.pictureWidth[1];
    const int32_t v = p0 + p1 + hd.titleWidth - N + 10;
    int32_t left0 = 0;
    int32_t left1 = N - p1;
    int32_t titleLeft = p0 - v / 2 + 5;
    if (v > 0) {
        const Cut c = cutPictures(p0, p1, v);
        left0 = -c.r0;
        left1 = N - p1 + c.r1;
        titleLeft = p0 - c.r0 + 5;
    }
    out.pic[0] = rect(left0, kCfgHeaderHeight - hd.pictureHeight[0]);
    out.pic[1] = rect(left1, kCfgHeaderHeight - hd.pictureHeight[1]);
    out.title = rect(titleLeft, (kCfgHeaderHeight - hd.titleHeight) / 2);

    const int32_t x1 = W - 40 - 2 * headerButton;
    const int32_t y = (53 - 2 * rowHeight) / 2;
    const int32_t centred = (kCfgHeaderHeight - rowHeight) / 2;
    out.cmdAbout = rect(x1, hd.helpHidden ? centred : y, headerButton, rowHeight);
    out.cmdHelp = rect(x1, y + rowHeight + 5, headerButton, rowHeight);
    out.cmdOk = rect(W - 20 - headerButton, centred, headerButton, rowHeight);
}

void layoutMainPage(CfgLayout& out, const CaptionWidths& cw, const CfgMetrics& m, int32_t PW, int32_t PH) {
    const Rows r = rowsOf(m);
    const int32_t rowHeight = m.rowHeight;
    const int32_t lineHeight = m.lineHeight;
    const int32_t toolButton = cw.toolButton;
    const int32_t browseButton = cw.browseButton;
    const int32_t cacheFrame = cw.cacheFrame;
    const int32_t gx = (PW - cacheFrame - 3 * toolButton) / 5;
    const int32_t gy = (PH - 4 * rowHeight - 2 * lineHeight) / 5;
    const int32_t R = PW - cacheFrame - 2 * gx;

    const int32_t y1 = gy + lineHeight;
    out.labF[0] = rect(gx, gy);
    out.cmbFil[0] = rect(gx, y1, R - browseButton - 2 * gx);
    out.cmdBrw[0] = rect(R - browseButton, y1, browseButton, rowHeight);
    out.chkBackup = rect(R + gx + r.rowIndent, y1 + (rowHeight - r.optionRow) / 2, cw.cacheOption, r.optionRow);

    const int32_t y2 = y1 + gy + rowHeight + lineHeight;
    out.labF[1] = rect(gx, y2 - lineHeight);
    out.cmbFil[1] = rect(gx, y2, R - browseButton - 2 * gx);
    out.cmdBrw[1] = rect(R - browseButton, y2, browseButton, rowHeight);

    const int32_t s = gy + rowHeight;
    const int32_t y3 = y2 + s + s / 2 + rowHeight / 2;
    out.cmdStockList = rect(gx, y3, toolButton, rowHeight);
    out.cmdTestWindow = rect(2 * gx + toolButton, y3, toolButton, rowHeight);
    out.cmdTestFull = rect(R - toolButton, y3, toolButton, rowHeight);

    // The frame grows upwards with its rows: its bottom meets the bottom of row 3.
    const int32_t c = r.captionedTop + 4 * r.optionRow + 20;
    out.frmCache = rect(R + gx, y3 - c, cacheFrame, c + rowHeight);
    for (int32_t i = 0; i < 4; ++i)
        out.optCache[static_cast<size_t>(i)] =
            rect(r.rowIndent, r.captionedTop + i * r.optionRow, cw.cacheOption, r.optionRow);
    out.cmdClear =
        rect((cacheFrame - cw.clearButton) / 2, r.captionedTop + 4 * r.optionRow + 5, cw.clearButton, rowHeight);
}

void layoutModePage(CfgLayout& out, const CaptionWidths& cw, const CfgMetrics& m, int32_t PW, int32_t PH) {
    const Rows r = rowsOf(m);
    const int32_t rowHeight = m.rowHeight;
    const int32_t lineHeight = m.lineHeight;
    const int32_t check = (rowHeight - r.optionRow) / 2;  // a check box beside an input box
    const int32_t drawFrame = cw.drawFrame;
    const int32_t sequenceFrame = cw.sequenceFrame;
    const int32_t limitsColumn = cw.limitsColumn;
    const int32_t upperFrames = cw.upperFrames;
    const int32_t lowerFrames = cw.lowerFrames;
    const int32_t hg = (PW - drawFrame - sequenceFrame - limitsColumn) / 4;
    const int32_t vg = (PH - upperFrames - lowerFrames - rowHeight) / 4;

    out.frmDraw = rect(hg, vg, drawFrame, upperFrames);
    for (int32_t i = 0; i < 5; ++i)
        out.optAlg[static_cast<size_t>(i)] =
            rect(r.rowIndent, r.captionedTop + i * r.optionRow, cw.drawMethod, r.optionRow);
    // The check box heads the frame inside its line; the rows follow a gap of vg below it.
    const int32_t head = r.plainTop + r.optionRow;
    out.framDX = rect(hg, 2 * vg + upperFrames, drawFrame, vg + lowerFrames + head + r.frameEdge);
    out.chkAct = rect(r.rowIndent, r.plainTop, cw.drawMethod, r.optionRow);
    const int32_t rg = (lowerFrames - 3 * r.modeRow) / 2;
    int32_t yr = vg + head;
    for (size_t i = 0; i < 3; ++i) {
        out.modeLabel[i] = rect(r.frameEdge, yr + (r.modeRow - lineHeight) / 2, cw.modeLabel, lineHeight);
        out.modeCombo[i] = rect(2 * r.frameEdge + cw.modeLabel, yr + (r.modeRow - r.comboHeight) / 2,
                                drawFrame - cw.modeLabel - 3 * r.frameEdge);
        yr += r.modeRow + rg;
    }

    const int32_t xc = 2 * hg + drawFrame;
    out.frmSeq = rect(xc, vg, sequenceFrame, upperFrames);
    for (int32_t i = 0; i < 4; ++i)
        out.optSeq[static_cast<size_t>(i)] =
            rect(r.rowIndent, r.captionedTop + 8 + i * r.optionRow, cw.sequenceOption, r.optionRow);
    out.chkSkipErr = rect(xc + r.rowIndent, 2 * vg + upperFrames, cw.sequenceOption, r.optionRow);
    out.frmStp = rect(xc, 3 * vg + upperFrames + r.optionRow, sequenceFrame, lowerFrames);
    out.chkStopKey = rect(r.rowIndent, r.captionedTop, cw.sequenceOption, r.optionRow);
    out.chkStopMove = rect(r.rowIndent, r.captionedTop + r.optionRow, cw.sequenceOption, r.optionRow);
    out.chkStopClick = rect(r.rowIndent, r.captionedTop + 2 * r.optionRow, cw.sequenceOption, r.optionRow);

    const int32_t limitCheck = cw.limitCheck;
    const int32_t vl = (PH - 5 * rowHeight - lineHeight - 5) / 4;
    const int32_t xb = PW - hg - 48;
    out.labSpeed = rect(xb - limitCheck, vl + (rowHeight - lineHeight) / 2, limitCheck, lineHeight);
    out.txtSpeed = rect(xb + 5, vl, kCfgInputWidth, rowHeight);
    int32_t y = 2 * vl + rowHeight;
    out.limLab = rect(xb - limitCheck, y, limitCheck + 48, lineHeight);
    y += lineHeight + 5;
    out.chkLin = rect(xb - limitCheck, y + check, limitCheck, r.optionRow);
    out.txtLin = rect(xb + 5, y, kCfgInputWidth, rowHeight);
    y += rowHeight + 5;
    out.chkLen = rect(xb - limitCheck, y + check, limitCheck, r.optionRow);
    out.txtLen = rect(xb + 5, y, kCfgInputWidth, rowHeight);
    y += rowHeight + 5;
    out.chkAvg = rect(xb - limitCheck, y + check, limitCheck, r.optionRow);
    out.txtAvg = rect(xb + 5, y, kCfgInputWidth, rowHeight);
    y += rowHeight + vl;
    out.cmdTst = rect(PW - hg - cw.testButton - (limitsColumn - cw.testButton) / 2, y, cw.testButton, rowHeight);
}

}  // namespace

CaptionWidths MeasureCfgCaptions(const CfgCaptions& c, const CfgMetrics& m) {
    const Rows r = rowsOf(m);
    const int32_t markRoom = r.markRoom;
    const int32_t rowHeight = m.rowHeight;
    const int32_t lineHeight = m.lineHeight;
    CaptionWidths w;
    w.toolButton = c.toolButtons + 10;
    w.headerButton = std::max(c.headerButtons + 10, 60);
    w.testButton = c.testButton + 10;
    w.browseButton = c.browseButton + 10;
    w.clearButton = c.clearButton + 10;
    w.cacheOption = c.cacheOptions + markRoom;
    w.drawMethod = c.drawMethods + markRoom;
    w.modeLabel = c.displayLabels;
    w.sequenceOption = c.sequenceStop + markRoom;
    w.limitCheck = std::max(c.limitChecks + markRoom, c.speedLabel);
    w.mainButtons = std::max(3 * w.toolButton + 10, w.browseButton + 205);
    w.cacheFrame = std::max(w.cacheOption, w.clearButton) + 2 * r.rowIndent;
    w.drawFrame = std::max(w.drawMethod + 2 * r.rowIndent, w.modeLabel + 90 + 2 * r.frameEdge);
    w.sequenceFrame = w.sequenceOption + 2 * r.rowIndent;
    w.limitsColumn = std::max({w.limitCheck + 48, c.limitsLabel, w.testButton});
    w.pagesWidth = std::max(w.mainButtons + 5 + w.cacheFrame, w.sequenceFrame + w.drawFrame + w.limitsColumn + 10);
    w.upperFrames = std::max(5 * lineHeight + 27, r.captionedTop + 5 * r.optionRow + 10);
    w.lowerFrames = std::max(3 * r.modeRow + 10, r.captionedTop + 3 * r.optionRow + 10);
    w.MinDialogWidth = w.pagesWidth + 20 + m.borderWidth;
    w.MinDialogHeight = std::max(w.lowerFrames + w.upperFrames + r.optionRow + 20, 4 * (lineHeight + rowHeight) + 25) +
                        88 + rowHeight + m.borderHeight;
    // Rows taller than a line of text need more room than the twips figures count on: the
    // smallest height is the first at which every control of both pages stands clear.
    constexpr int32_t kMostExtra = 2000;
    for (int32_t extra = 0; extra < kMostExtra; ++extra, ++w.MinDialogHeight) {
        const CfgLayout l =
            LayoutCfg(w, m, CfgHeader{}, w.MinDialogWidth - m.borderWidth, w.MinDialogHeight - m.borderHeight);
        if (PagesClear(l, m)) break;
    }
    return w;
}

bool PagesClear(const CfgLayout& l, const CfgMetrics& m) {
    const Rows r = rowsOf(m);
    const int32_t PW = l.pageFrame.w;
    const int32_t PH = l.pageFrame.h;
    // Labels and combo boxes keep their own height (a line of text, a combo's).
    auto sized = [&](CfgRect c, int32_t height) {
        if (c.h < 0) c.h = height;
        if (c.w < 0) c.w = 1;
        return c;
    };
    auto clear = [&](std::initializer_list<CfgRect> rects) {
        for (auto a = rects.begin(); a != rects.end(); ++a) {
            if (a->x < 0 || a->y < 0 || a->x + a->w > PW || a->y + a->h > PH) return false;
            for (auto b = a + 1; b != rects.end(); ++b) {
                const bool apart =
                    a->x + a->w <= b->x || b->x + b->w <= a->x || a->y + a->h <= b->y || b->y + b->h <= a->y;
                if (!apart) return false;
            }
        }
        return true;
    };
    const bool main = clear({sized(l.labF[0], m.lineHeight), sized(l.cmbFil[0], r.comboHeight), l.cmdBrw[0],
                             l.chkBackup, sized(l.labF[1], m.lineHeight), sized(l.cmbFil[1], r.comboHeight),
                             l.cmdBrw[1], l.cmdStockList, l.cmdTestWindow, l.cmdTestFull, l.frmCache});
    const bool mode = clear({l.frmDraw, l.framDX, l.frmSeq, l.chkSkipErr, l.frmStp, l.labSpeed, l.txtSpeed, l.limLab,
                             l.chkLin, l.txtLin, l.chkLen, l.txtLen, l.chkAvg, l.txtAvg, l.cmdTst});
    const CfgRect lastRow = l.modeCombo[2];
    const bool rows = lastRow.y + r.comboHeight + r.frameEdge <= l.framDX.h;
    return main && mode && rows;
}

CfgLayout LayoutCfg(const CaptionWidths& widths, const CfgMetrics& metrics, const CfgHeader& header,
                    int32_t clientWidth, int32_t clientHeight) {
    CfgLayout out;
    const int32_t W = clientWidth;
    const int32_t H = clientHeight - metrics.statusBarHeight;
    layoutHeader(out, widths, metrics, header, W);
    out.tab1 = rect(5, 62, W - 10, H - 62);
    out.pageFrame = rect(10, 88, W - 20, H - 93);
    layoutMainPage(out, widths, metrics, W - 20, H - 93);
    layoutModePage(out, widths, metrics, W - 20, H - 93);
    return out;
}

}  // namespace yov
