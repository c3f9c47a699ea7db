#include "program/ui/program_wiring.h"

#include "program/stock_data/stock_loading.h"
#include "program/show/show_wiring.h"
#include "program/ui/about_window.h"
#include "program/ui/cfg_frm.h"
#include "program/ui/preview_window.h"
#include "program/ui/show_input_wiring.h"
#include "program/ui/stock_frm.h"
#include "program/ui/text_window.h"
#include "program/ui/window_ops_qt.h"

namespace yov {

void WireProgram() {
    UseQtWindowSystem();
    WireShow();
    WirePreview();
    WireShowInputEntries();
    WireStockLoading();
    WireTextWindow();
    WireStockWindows();
    WireSettingsDialog();
    WireAbout();
}

}  // namespace yov
