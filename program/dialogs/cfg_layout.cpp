#include "program/dialogs/cfg_layout.h"

#include <algorithm>
#include <cstdlib>

namespace yov {

namespace {

CfgRect rect(int32_t x, int32_t y, int32_t w = -1, int32_t h = -1) { return {x, y, w, h}; }

// The rows as the controls need them: the twips figures, or what was measured when more.
struct Rows {
    int32_t OH;  // an option or check box
    int32_t G;   // its mark before the caption
    int32_t CH;  // a combo box
    int32_t CR;  // a row of the display-mode frame: its combo or a button, the higher
    int32_t FT;  // the first row inside a frame with a caption
    int32_t FN;  // the first row inside a frame without one
    int32_t FE;  // a frame's line and margin
    int32_t IL;  // where a frame's rows begin across
};

Rows rowsOf(const CfgMetrics& m) {
    Rows r{};
    r.OH = std::max(m.LH, m.optionRow);
    r.G = std::max(m.BH, m.markRoom);
    r.CH = std::max(m.BH, m.comboHeight);
    r.CR = std::max(m.BH, r.CH);
    r.FT = std::max(17, m.captionedTop);
    r.FN = std::max(0, m.plainTop);
    r.FE = std::max(0, m.frameEdge);
    r.IL = std::max(10, r.FE);
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
    const int32_t B = cw.B;
    const int32_t BH = m.BH;
    const int32_t N = W - 60 - 2 * B;
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

    const int32_t x1 = W - 40 - 2 * B;
    const int32_t y = (53 - 2 * BH) / 2;
    const int32_t centred = (kCfgHeaderHeight - BH) / 2;
    out.cmdAbout = rect(x1, hd.helpHidden ? centred : y, B, BH);
    out.cmdHelp = rect(x1, y + BH + 5, B, BH);
    out.cmdOk = rect(W - 20 - B, centred, B, BH);
}

void layoutMainPage(CfgLayout& out, const CaptionWidths& cw, const CfgMetrics& m, int32_t PW, int32_t PH) {
    const Rows r = rowsOf(m);
    const int32_t BH = m.BH;
    const int32_t LH = m.LH;
    const int32_t A = cw.A;
    const int32_t D = cw.D;
    const int32_t Q = cw.Q;
    const int32_t gx = (PW - Q - 3 * A) / 5;
    const int32_t gy = (PH - 4 * BH - 2 * LH) / 5;
    const int32_t R = PW - Q - 2 * gx;

    const int32_t y1 = gy + LH;
    out.labF[0] = rect(gx, gy);
    out.cmbFil[0] = rect(gx, y1, R - D - 2 * gx);
    out.cmdBrw[0] = rect(R - D, y1, D, BH);
    out.chkBackup = rect(R + gx + r.IL, y1 + (BH - r.OH) / 2, cw.F, r.OH);

    const int32_t y2 = y1 + gy + BH + LH;
    out.labF[1] = rect(gx, y2 - LH);
    out.cmbFil[1] = rect(gx, y2, R - D - 2 * gx);
    out.cmdBrw[1] = rect(R - D, y2, D, BH);

    const int32_t s = gy + BH;
    const int32_t y3 = y2 + s + s / 2 + BH / 2;
    out.cmdStockList = rect(gx, y3, A, BH);
    out.cmdTestWindow = rect(2 * gx + A, y3, A, BH);
    out.cmdTestFull = rect(R - A, y3, A, BH);

    // The frame grows upwards with its rows: its bottom meets the bottom of row 3.
    const int32_t c = r.FT + 4 * r.OH + 20;
    out.frmCache = rect(R + gx, y3 - c, Q, c + BH);
    for (int32_t i = 0; i < 4; ++i) out.optCache[static_cast<size_t>(i)] = rect(r.IL, r.FT + i * r.OH, cw.F, r.OH);
    out.cmdClear = rect((Q - cw.E) / 2, r.FT + 4 * r.OH + 5, cw.E, BH);
}

void layoutModePage(CfgLayout& out, const CaptionWidths& cw, const CfgMetrics& m, int32_t PW, int32_t PH) {
    const Rows r = rowsOf(m);
    const int32_t BH = m.BH;
    const int32_t LH = m.LH;
    const int32_t check = (BH - r.OH) / 2;  // a check box beside an input box
    const int32_t U = cw.U;
    const int32_t V = cw.V;
    const int32_t X = cw.X;
    const int32_t Z1 = cw.Z1;
    const int32_t Z2 = cw.Z2;
    const int32_t hg = (PW - U - V - X) / 4;
    const int32_t vg = (PH - Z1 - Z2 - BH) / 4;

    out.frmDraw = rect(hg, vg, U, Z1);
    for (int32_t i = 0; i < 5; ++i) out.optAlg[static_cast<size_t>(i)] = rect(r.IL, r.FT + i * r.OH, cw.M, r.OH);
    // The check box heads the frame inside its line; the rows follow a gap of vg below it.
    const int32_t head = r.FN + r.OH;
    out.framDX = rect(hg, 2 * vg + Z1, U, vg + Z2 + head + r.FE);
    out.chkAct = rect(r.IL, r.FN, cw.M, r.OH);
    const int32_t rg = (Z2 - 3 * r.CR) / 2;
    int32_t yr = vg + head;
    for (size_t i = 0; i < 3; ++i) {
        out.modeLabel[i] = rect(r.FE, yr + (r.CR - LH) / 2, cw.L, LH);
        out.modeCombo[i] = rect(2 * r.FE + cw.L, yr + (r.CR - r.CH) / 2, U - cw.L - 3 * r.FE);
        yr += r.CR + rg;
    }

    const int32_t xc = 2 * hg + U;
    out.frmSeq = rect(xc, vg, V, Z1);
    for (int32_t i = 0; i < 4; ++i) out.optSeq[static_cast<size_t>(i)] = rect(r.IL, r.FT + 8 + i * r.OH, cw.S, r.OH);
    out.chkSkipErr = rect(xc + r.IL, 2 * vg + Z1, cw.S, r.OH);
    out.frmStp = rect(xc, 3 * vg + Z1 + r.OH, V, Z2);
    out.chkStopKey = rect(r.IL, r.FT, cw.S, r.OH);
    out.chkStopMove = rect(r.IL, r.FT + r.OH, cw.S, r.OH);
    out.chkStopClick = rect(r.IL, r.FT + 2 * r.OH, cw.S, r.OH);

    const int32_t K = cw.K;
    const int32_t vl = (PH - 5 * BH - LH - 5) / 4;
    const int32_t xb = PW - hg - 48;
    out.labSpeed = rect(xb - K, vl + (BH - LH) / 2, K, LH);
    out.txtSpeed = rect(xb + 5, vl, kCfgInputWidth, BH);
    int32_t y = 2 * vl + BH;
    out.limLab = rect(xb - K, y, K + 48, LH);
    y += LH + 5;
    out.chkLin = rect(xb - K, y + check, K, r.OH);
    out.txtLin = rect(xb + 5, y, kCfgInputWidth, BH);
    y += BH + 5;
    out.chkLen = rect(xb - K, y + check, K, r.OH);
    out.txtLen = rect(xb + 5, y, kCfgInputWidth, BH);
    y += BH + 5;
    out.chkAvg = rect(xb - K, y + check, K, r.OH);
    out.txtAvg = rect(xb + 5, y, kCfgInputWidth, BH);
    y += BH + vl;
    out.cmdTst = rect(PW - hg - cw.C - (X - cw.C) / 2, y, cw.C, BH);
}

}  // namespace

CaptionWidths MeasureCfgCaptions(const CfgCaptions& c, const CfgMetrics& m) {
    const Rows r = rowsOf(m);
    const int32_t G = r.G;
    const int32_t BH = m.BH;
    const int32_t LH = m.LH;
    CaptionWidths w;
    w.A = c.toolButtons + 10;
    w.B = std::max(c.headerButtons + 10, 60);
    w.C = c.testButton + 10;
    w.D = c.browseButton + 10;
    w.E = c.clearButton + 10;
    w.F = c.cacheOptions + G;
    w.M = c.drawMethods + G;
    w.L = c.displayLabels;
    w.S = c.sequenceStop + G;
    w.K = std::max(c.limitChecks + G, c.speedLabel);
    w.P = std::max(3 * w.A + 10, w.D + 205);
    w.Q = std::max(w.F, w.E) + 2 * r.IL;
    w.U = std::max(w.M + 2 * r.IL, w.L + 90 + 2 * r.FE);
    w.V = w.S + 2 * r.IL;
    w.X = std::max({w.K + 48, c.limitsLabel, w.C});
    w.Y = std::max(w.P + 5 + w.Q, w.V + w.U + w.X + 10);
    w.Z1 = std::max(5 * LH + 27, r.FT + 5 * r.OH + 10);
    w.Z2 = std::max(3 * r.CR + 10, r.FT + 3 * r.OH + 10);
    w.MinDialogWidth = w.Y + 20 + m.FW;
    w.MinDialogHeight = std::max(w.Z2 + w.Z1 + r.OH + 20, 4 * (LH + BH) + 25) + 88 + BH + m.FH;
    // Rows taller than a line of text need more room than the twips figures count on: the
    // smallest height is the first at which every control of both pages stands clear.
    constexpr int32_t kMostExtra = 2000;
    for (int32_t extra = 0; extra < kMostExtra; ++extra, ++w.MinDialogHeight) {
        const CfgLayout l = LayoutCfg(w, m, CfgHeader{}, w.MinDialogWidth - m.FW, w.MinDialogHeight - m.FH);
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
    const bool main =
        clear({sized(l.labF[0], m.LH), sized(l.cmbFil[0], r.CH), l.cmdBrw[0], l.chkBackup, sized(l.labF[1], m.LH),
               sized(l.cmbFil[1], r.CH), l.cmdBrw[1], l.cmdStockList, l.cmdTestWindow, l.cmdTestFull, l.frmCache});
    const bool mode = clear({l.frmDraw, l.framDX, l.frmSeq, l.chkSkipErr, l.frmStp, l.labSpeed, l.txtSpeed, l.limLab,
                             l.chkLin, l.txtLin, l.chkLen, l.txtLen, l.chkAvg, l.txtAvg, l.cmdTst});
    const CfgRect lastRow = l.modeCombo[2];
    const bool rows = lastRow.y + r.CH + r.FE <= l.framDX.h;
    return main && mode && rows;
}

CfgLayout LayoutCfg(const CaptionWidths& widths, const CfgMetrics& metrics, const CfgHeader& header,
                    int32_t clientWidth, int32_t clientHeight) {
    CfgLayout out;
    const int32_t W = clientWidth;
    const int32_t H = clientHeight - metrics.SH;
    layoutHeader(out, widths, metrics, header, W);
    out.tab1 = rect(5, 62, W - 10, H - 62);
    out.pageFrame = rect(10, 88, W - 20, H - 93);
    layoutMainPage(out, widths, metrics, W - 20, H - 93);
    layoutModePage(out, widths, metrics, W - 20, H - 93);
    return out;
}

}  // namespace yov
