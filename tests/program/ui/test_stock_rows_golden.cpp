// The rows of a stock window over the demo stock, as "/l" opens it under the offscreen
// platform with the bundled font, at two sizes, compared with the golden pictures of
// tests/data/golden (YOV_WRITE_GOLDEN=1 writes them afresh; look at them before committing).
// The vehicle pictures may differ by a little where they are shrunk; everything must match
// within a small tolerance.
#include <QCoreApplication>
#include <QImage>
#include <QLayout>

#include <cstdlib>
#include <string>

#include "program/core/binding/engine_binding.h"
#include "program/core/pictures/canvas_buffers.h"
#include "program/core/settings/settings.h"
#include "program/core/startup/program_state.h"
#include "program/core/startup/service_window.h"
#include "program/core/startup/startup.h"
#include "program/stock_data/stock_loading.h"
#include "program/stock_data/stock_state.h"
#include "program/stock/stock_layout.h"
#include "program/stock/stock_windows_state.h"
#include "program/ui/stock_frm.h"
#include "stock_frm_fixture.h"

namespace {

using core_test::u16;

constexpr int kTolerance = 24;  // per colour component, where pictures are averaged

class StockRowsGolden : public stock_frm_test::StockFrmTest {
protected:
    void SetUp() override {
        StockFrmTest::SetUp();
        yov::SaveRegNumber(u"ShowHeight", 1);
        yov::SaveRegNumber(u"ShowAuth", 1);
        yov::SaveRegNumber(u"StBar", 0);
        yov::SaveRegNumber(u"P1", 1);
    }

    // The rows' picture with the window's rows area sized to width x rows.
    QImage Rows(int width, int rows) {
        yov::StockFrm* frm = Frm();
        EXPECT_NE(frm, nullptr);
        if (frm == nullptr) return {};
        const int rowHeight = yov::StockRowHeight(yov::programState().Shared.PictureHeight);
        QWidget* central = frm->centralWidget();
        for (int tries = 0; tries < 3; ++tries) {
            frm->resize(width + frm->width() - central->width(),
                        rows * rowHeight + 5 + frm->height() - central->height());
            runFor(100);
        }
        runFor(200);
        EXPECT_EQ(frm->window().CellCount, rows);
        QWidget* widget = frm->findChild<QWidget*>(QStringLiteral("StockRows"));
        EXPECT_NE(widget, nullptr);
        if (widget == nullptr) return {};
        return widget->grab(QRect(0, 0, widget->width(), rows * rowHeight + 5))
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    }

    void Compare(const QImage& got, const std::string& name) {
        ASSERT_FALSE(got.isNull());
        const std::string golden = std::string(YOV_TEST_DATA) + "/golden/" + name;
        const std::string written = std::string(YOV_BIN_DIR) + "/../" + name;
        got.save(QString::fromStdString(written));
        if (const char* w = std::getenv("YOV_WRITE_GOLDEN"); w != nullptr && *w == '1')
            got.save(QString::fromStdString(golden));
        QImage want(QString::fromStdString(golden));
        ASSERT_FALSE(want.isNull()) << golden;
        want = want.convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(want.size(), got.size()) << "see " << written;
        int differing = 0;
        for (int y = 0; y < got.height(); ++y) {
            const auto* a = reinterpret_cast<const QRgb*>(got.constScanLine(y));
            const auto* b = reinterpret_cast<const QRgb*>(want.constScanLine(y));
            for (int x = 0; x < got.width(); ++x) {
                const bool close = std::abs(qRed(a[x]) - qRed(b[x])) <= kTolerance &&
                                   std::abs(qGreen(a[x]) - qGreen(b[x])) <= kTolerance &&
                                   std::abs(qBlue(a[x]) - qBlue(b[x])) <= kTolerance;
                if (!close && differing++ < 5)
                    ADD_FAILURE() << "pixel " << x << "," << y << " differs; see " << written;
            }
        }
        EXPECT_EQ(differing, 0);
    }
};

TEST_F(StockRowsGolden, TheDemoStockAtTwoSizes) {
    ASSERT_TRUE(yov::Main(u"/l").keepRunning);
    Compare(Rows(420, 3), "stock_rows_small.png");
    Compare(Rows(700, 7), "stock_rows_large.png");
}

}  // namespace
