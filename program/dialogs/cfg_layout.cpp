#include "program/dialogs/cfg_layout.h"

#include <algorithm>
#include <cstdlib>

namespace yov {

namespace {

CfgRect rect(int32_t x, int32_t y, int32_t w = -1, int32_t h = -1) { return {x, y, w, h}; }

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
    const int32_t BH = m.BH;
    const int32_t LH = m.LH;
    const int32_t LO = (BH - LH) / 2;
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
    out.chkBackup = rect(R + gx + 10, y1 + LO, cw.F, LH);

    const int32_t y2 = y1 + gy + BH + LH;
    out.labF[1] = rect(gx, y2 - LH);
    out.cmbFil[1] = rect(gx, y2, R - D - 2 * gx);
    out.cmdBrw[1] = rect(R - D, y2, D, BH);

    const int32_t s = gy + BH;
    const int32_t y3 = y2 + s + s / 2 + BH / 2;
    out.cmdStockList = rect(gx, y3, A, BH);
    out.cmdTestWindow = rect(2 * gx + A, y3, A, BH);
    out.cmdTestFull = rect(R - A, y3, A, BH);

    const int32_t c = 4 * LH + 37;
    out.frmCache = rect(R + gx, y3 - c, Q, c + BH);
    for (int32_t i = 0; i < 4; ++i) out.optCache[static_cast<size_t>(i)] = rect(10, 17 + i * LH, cw.F, LH);
    out.cmdClear = rect((Q - cw.E) / 2, 4 * LH + 22, cw.E, BH);
}

void layoutModePage(CfgLayout& out, const CaptionWidths& cw, const CfgMetrics& m, int32_t PW, int32_t PH) {
    const int32_t BH = m.BH;
    const int32_t LH = m.LH;
    const int32_t LO = (BH - LH) / 2;
    const int32_t U = cw.U;
    const int32_t V = cw.V;
    const int32_t X = cw.X;
    const int32_t Z1 = cw.Z1;
    const int32_t Z2 = cw.Z2;
    const int32_t hg = (PW - U - V - X) / 4;
    const int32_t vg = (PH - Z1 - Z2 - BH) / 4;

    out.frmDraw = rect(hg, vg, U, Z1);
    for (int32_t i = 0; i < 5; ++i) out.optAlg[static_cast<size_t>(i)] = rect(10, 17 + i * LH, cw.M, LH);
    out.framDX = rect(hg, 2 * vg + Z1, U, vg + Z2 + LH);
    out.chkAct = rect(10, 0, cw.M, LH);
    const int32_t rg = (Z2 - 3 * BH) / 2;
    int32_t yr = vg + LH;
    for (size_t i = 0; i < 3; ++i) {
        out.modeLabel[i] = rect(0, yr + LO, cw.L, LH);
        out.modeCombo[i] = rect(cw.L, yr, U - cw.L);
        yr += BH + rg;
    }

    const int32_t xc = 2 * hg + U;
    out.frmSeq = rect(xc, vg, V, Z1);
    for (int32_t i = 0; i < 4; ++i) out.optSeq[static_cast<size_t>(i)] = rect(10, 25 + i * LH, cw.S, LH);
    out.chkSkipErr = rect(xc + 10, 2 * vg + Z1, cw.S, LH);
    out.frmStp = rect(xc, 3 * vg + Z1 + LH, V, Z2);
    out.chkStopKey = rect(10, 17, cw.S, LH);
    out.chkStopMove = rect(10, 17 + LH, cw.S, LH);
    out.chkStopClick = rect(10, 17 + 2 * LH, cw.S, LH);

    const int32_t K = cw.K;
    const int32_t vl = (PH - 5 * BH - LH - 5) / 4;
    const int32_t xb = PW - hg - 48;
    out.labSpeed = rect(xb - K, vl + LO, K, LH);
    out.txtSpeed = rect(xb + 5, vl, kCfgInputWidth, BH);
    int32_t y = 2 * vl + BH;
    out.limLab = rect(xb - K, y, K + 48, LH);
    y += LH + 5;
    out.chkLin = rect(xb - K, y + LO, K, LH);
    out.txtLin = rect(xb + 5, y, kCfgInputWidth, BH);
    y += BH + 5;
    out.chkLen = rect(xb - K, y + LO, K, LH);
    out.txtLen = rect(xb + 5, y, kCfgInputWidth, BH);
    y += BH + 5;
    out.chkAvg = rect(xb - K, y + LO, K, LH);
    out.txtAvg = rect(xb + 5, y, kCfgInputWidth, BH);
    y += BH + vl;
    out.cmdTst = rect(PW - hg - cw.C - (X - cw.C) / 2, y, cw.C, BH);
}

}  // namespace

CaptionWidths MeasureCfgCaptions(const CfgCaptions& c, const CfgMetrics& m) {
    const int32_t G = m.BH;
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
    w.Q = std::max(w.F, w.E) + 20;
    w.U = std::max(w.M + 20, w.L + 90);
    w.V = w.S + 20;
    w.X = std::max({w.K + 48, c.limitsLabel, w.C});
    w.Y = std::max(w.P + 5 + w.Q, w.V + w.U + w.X + 10);
    w.Z1 = 5 * LH + 27;
    w.Z2 = std::max(3 * BH + 10, 3 * LH + 27);
    w.MinDialogWidth = w.Y + 20 + m.FW;
    w.MinDialogHeight = std::max(w.Z2 + w.Z1 + LH + 20, 4 * (LH + BH) + 25) + 88 + BH + m.FH;
    return w;
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
